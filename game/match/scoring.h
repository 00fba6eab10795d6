// scoring.h - points, lines, the combo window and the level.
#ifndef VORLANE_MATCH_SCORING_H
#define VORLANE_MATCH_SCORING_H

#include <stdint.h>

constexpr int32_t kMaxScore = 9999999;
constexpr int32_t kMaxLines = 999;
constexpr int32_t kMaxLevel = 30;

// Adds points, keeping the score within 0..9999999.
void AddScore(int64_t points);
// Scores a lock that cleared n rows (0..4) at the current level and combo, counts
// the lines (with the bonus lines of a clear round).
void AddScoreForLines(int n);
// Advances the combo window by one frame and closes it when it runs out.
void UpdateComboBar();
// Raises the level when enough lines are cleared, as far as the difficulty allows.
void CheckLevelUp();

#endif
