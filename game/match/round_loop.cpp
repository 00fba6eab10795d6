// round_loop.cpp - the round loop.
//
// NOT YET BUILT: the round loop is open work of the game issue; until it lands a round
// ends at once.
#include "match/round_loop.h"

int RunRound() {
    return 0;
}
