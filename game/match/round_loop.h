// round_loop.h - one round from its start sequence to its end: the frame loop with its
// 17/17/16 ms budgets, the system keys, the clock and the frame counter.
#ifndef VORLANE_MATCH_ROUND_LOOP_H
#define VORLANE_MATCH_ROUND_LOOP_H

#include <stdint.h>

// Plays the round set up by InitRound. 1 when a fifty-line clear round reached its
// goal, 0 for every other end (game over, the opponent's end, the window closed).
int RunRound();
// The frame budgets of a round: 17, 17, 17, 16 ms, then 17, 17, 16 repeating, so
// that any three frames after the first take 50 ms.
struct FramePacer {
    int budget = 17;
    int counter = 0;  // 0, 1, 2: the third frame of a run gets the short budget next
};
// Sleeps in 1 ms steps with message handling until the frame that began at
// `frameStart` has had its budget (a late frame is not made up for later), then moves
// the pacer to the next budget.
void WaitFrameBudget(FramePacer& pacer, uint32_t frameStart);
// One frame of rules and drawing, in the fixed order of the round; the screen is
// cleared before and flipped after by the caller.
void StepFrame();
// The music and background of the round, the opening curtain (30 frames) and the
// "Ready" animation (2000 ms).
void PlayStartSequence();
// F1 takes one screenshot per press (all keys must be released before the next);
// Escape ends the program.
void CheckSystemKeys();
// Recomputes clockDigits from the time since the round began.
void UpdateClock();
// The frames counted over the last second, as white text at the top right.
void DrawFps();

#endif
