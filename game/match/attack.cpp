// attack.cpp - attack lines earned by combos in network play, and the garbage rows
// pushed in from below (the opponent's attacks and the periodic rows).
//
// Owns `outgoingAttack` and `pendingGarbage` on the rules side. Sending and reading
// them over the connection belongs to the match protocol unit.
#include "match/attack.h"

#include <string.h>

#include "match/match_state.h"
#include "shell/assets.h"
#include "pavex.h"

namespace {

constexpr int kHighestGapIndex = kPlayColumns - 1;
constexpr int kAttackFromCombo = 2;

}  // namespace

void EarnAttack(int rowsCleared) {
    if (match.netMode != 1 || rowsCleared <= 0 || match.combo < kAttackFromCombo) return;
    const int total = match.outgoingAttack + rowsCleared;
    match.outgoingAttack = static_cast<uint16_t>(total > UINT16_MAX ? UINT16_MAX : total);
}

void InsertRows(int n) {
    if (n <= 0) return;
    const int k = n > kMaxRowsPushedIn ? kMaxRowsPushedIn : n;
    // Everything moves up k rows; what stood in the top k rows is lost.
    for (int r = 0; r + k <= kLastPlayRow; ++r) {
        memcpy(&match.well[r][kFirstPlayColumn], &match.well[r + k][kFirstPlayColumn],
               kPlayColumns * sizeof(int32_t));
    }
    for (int r = kLastPlayRow + 1 - k; r <= kLastPlayRow; ++r) {
        for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c) match.well[r][c] = CellGarbage;
    }
    for (int r = kLastPlayRow + 1 - k; r <= kLastPlayRow; ++r) {
        const int gap = GetRandom(kHighestGapIndex);
        if (gap >= 0 && gap <= kHighestGapIndex) match.well[r][kFirstPlayColumn + gap] = CellEmpty;
    }
    PlaySoundEffect(kEffectAddLine);
}

void InsertPendingRows() {
    if (match.pendingGarbage > 0) InsertRows(match.pendingGarbage);
    match.pendingGarbage = 0;
}
