// round_frame.h - the rules of one frame of a round, in the order the round loop runs
// them. The round loop's StepFrame draws around StepFrameRules; after the frame's end
// tests it calls EndFrameRules.
#ifndef VORLANE_MATCH_ROUND_FRAME_H
#define VORLANE_MATCH_ROUND_FRAME_H

// Lines that win a clear round.
constexpr int kClearRoundGoal = 50;

// The rules steps of a frame, after the wells are drawn and before the panel: gravity,
// the pad (read through GetPadState), the vibration stop, the fall gauge, the landing
// point, the stamp, the combo bar and the level-up.
void StepFrameRules();
// True when a clear round has reached its goal; the round loop then ends the round
// before it locks anything.
bool ClearGoalReached();
// After the end tests of a frame: locks a dropped piece and marks the round lost when
// the next piece does not fit, then changes the level music of an endless
// single-player round.
void EndFrameRules();

#endif
