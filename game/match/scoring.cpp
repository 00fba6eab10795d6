// scoring.cpp - the points of a clear, the lines count, the combo window and the
// level-ups with their per-difficulty caps.
//
// Owns score, lines, combo, maxCombo, comboBarValue and level. It must not touch
// the well: which rows are full is decided by locking.
#include "match/scoring.h"

#include "match/match_state.h"
#include "match/playfield_draw.h"
#include "shell/assets.h"
#include "shell/settings.h"

namespace {

constexpr int kComboWindowFrames = 256;  // the window closes when the bar passes this
constexpr int kLinesPerLevel = 10;

// Points of a clear by rows: base + base x m / 100, m = 20 x level x combo.
constexpr int64_t kBasePoints[5] = {0, 100, 500, 2000, 10000};

void AddLines(int64_t n) {
    int64_t lines = static_cast<int64_t>(match.lines) + n;
    if (lines > kMaxLines) lines = kMaxLines;
    if (lines < 0) lines = 0;
    match.lines = static_cast<int32_t>(lines);
}

void RaiseLevel() {
    match.level += 1;
    match.levelUpShow = true;
    PlayVoice(kVoiceLevelUp);
    PlaySoundEffect(kEffectLevelUp);
}

// The highest level each difficulty reaches by single steps; difficulty 2 climbs in
// double steps below 25.
int LevelCap(int difficulty) {
    switch (difficulty) {
        case 0:
            return 9;
        case 1:
            return 19;
        case 2:
            return 25;
        case 3:
            return kMaxLevel;
        default:
            return 0;
    }
}

}  // namespace

void AddScore(int64_t points) {
    int64_t score = static_cast<int64_t>(match.score) + points;
    if (score > kMaxScore) score = kMaxScore;
    if (score < 0) score = 0;
    match.score = static_cast<int32_t>(score);
}

void AddScoreForLines(int n) {
    if (n < 1 || n > 4) return;
    const int64_t m = 20 * static_cast<int64_t>(match.level) * match.combo;
    const int64_t base = kBasePoints[n];
    AddScore(base + base * m / 100);
    int64_t lines = n;
    if (match.clearMode == 1 && n == 4) lines += match.combo < 2 ? 1 : int64_t{match.combo} + 1;
    AddLines(lines);
}

void UpdateComboBar() {
    if (!match.comboActive) {
        match.comboBarValue = 0;
        DrawComboBar(0);
        return;
    }
    match.comboBarValue += 1;
    if (match.comboBarValue > kComboWindowFrames) {
        if (match.combo > match.maxCombo) match.maxCombo = match.combo;
        match.combo = 0;
        match.comboActive = false;
        match.comboBarValue = 0;
    }
    DrawComboBar(match.comboBarValue);
}

void CheckLevelUp() {
    if (match.netMode == 1) return;
    if (match.lines < kLinesPerLevel * match.level) return;
    const int difficulty = ClampInt(gameSettings.Difficulty, 0, 3);
    if (match.level < LevelCap(difficulty)) RaiseLevel();
    if (difficulty == 2 && match.level < kMaxLevel) RaiseLevel();
}
