// locking.cpp - the lock after a drop and the clearing of full rows.
//
// Owns the order of a lock (clear, score the drop, periodic row, pending rows,
// spawn) and which rows count as full. The point values live in scoring, the
// pushed-in rows in attack, the queue in queue.
#include "match/locking.h"

#include <string.h>

#include "match/attack.h"
#include "match/match_state.h"
#include "match/queue.h"
#include "match/scoring.h"
#include "match/vibration.h"
#include "shell/assets.h"
#include "shell/settings.h"

namespace {

constexpr int kPeriodicRowDifficulty = 3;
constexpr int kPeriodicRowEvery = 10;
constexpr int kPeriodicRowFromLevel = 10;
constexpr int kComboBarGivenBackPerRow = 60;

// A row is full when each playable cell holds a block or garbage; walls never count.
bool RowIsFull(int row) {
    for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c) {
        const int32_t cell = match.well[row][c];
        if (cell < 1 || cell > CellGarbage) return false;
    }
    return true;
}

// Empties the row and lets everything above it fall by one row.
void RemoveRow(int row) {
    for (int r = row; r > 0; --r) {
        memcpy(&match.well[r][kFirstPlayColumn], &match.well[r - 1][kFirstPlayColumn],
               kPlayColumns * sizeof(int32_t));
    }
    for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c) match.well[0][c] = CellEmpty;
}

}  // namespace

int ClearLines() {
    int cleared = 0;
    for (int row = 0; row <= kLastPlayRow; ++row) {
        if (!RowIsFull(row)) continue;
        RemoveRow(row);
        cleared += 1;
        match.comboActive = true;
    }
    if (cleared > 0) match.combo += 1;
    EarnAttack(cleared);
    if (cleared == 4) {
        PlaySoundEffect(kEffectQuartet);
    } else if (cleared > 0) {
        PlaySoundEffect(kEffectDeleteLine);
    }
    if (gameSettings.PadVibration) UpdateVibration(cleared);
    AddScoreForLines(cleared);
    match.comboBarValue -= kComboBarGivenBackPerRow * cleared;
    if (match.comboBarValue < 0) match.comboBarValue = 0;
    return cleared;
}

void LockPiece() {
    ClearLines();
    AddScore(static_cast<int64_t>(match.level) * match.dropBonus / 10);
    if (ClampInt(gameSettings.Difficulty, 0, 3) == kPeriodicRowDifficulty &&
        match.periodicRowCount >= kPeriodicRowEvery) {
        InsertRows(1);
        match.periodicRowCount = 0;
    }
    InsertPendingRows();
    SpawnPiece();
    if (match.level >= kPeriodicRowFromLevel && match.periodicRowCount < INT32_MAX) {
        match.periodicRowCount += 1;
    }
    match.lockPending = false;
    match.landedSoundPlayed = false;
    match.moveLatch = true;
    PlaySoundEffect(kEffectBlockLanding);
}
