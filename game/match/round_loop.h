// round_loop.h - one round from its start sequence to its end: the frame loop with its
// 17/17/16 ms budgets, the system keys, the clock and the frame counter.
#ifndef VORLANE_MATCH_ROUND_LOOP_H
#define VORLANE_MATCH_ROUND_LOOP_H

// Plays the round set up by InitRound. 1 when a fifty-line clear round reached its
// goal, 0 for every other end.
int RunRound();

#endif
