// network_game.cpp - the network scene.
//
// NOT YET BUILT: network play is open work of the network issue; until it lands the
// scene returns to the title at once.
#include "shell/network_game.h"

void RunNetworkGame() {}
