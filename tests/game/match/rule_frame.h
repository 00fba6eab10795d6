// rule_frame.h - one frame of the round's rules in the order the round loop runs
// them, without drawing, and a simple player that plans where each piece goes.
// Shared by the rule tests and the rules benchmark.
#ifndef VORLANE_TESTS_MATCH_RULE_FRAME_H
#define VORLANE_TESTS_MATCH_RULE_FRAME_H

#include <stdint.h>
#include <string.h>

#include "match/gravity.h"
#include "match/level_music.h"
#include "match/locking.h"
#include "match/match_state.h"
#include "match/movement.h"
#include "match/pieces.h"
#include "match/scoring.h"
#include "match/vibration.h"
#include "shell/settings.h"

namespace rules {

// The rule steps of one frame: gravity, input, vibration, gauge, landing point,
// stamp, combo bar, level. `afterInput`, when given, acts for a player right after
// the pad is read (the benchmark moves pieces that way instead of through keys).
inline void StepRules(void (*afterInput)(void*) = nullptr, void* context = nullptr) {
    if (match.level < 25) {
        ApplyGravity();
    } else {
        ApplyInstantGravity();
    }
    ReadPlayInput();
    if (afterInput) afterInput(context);
    if (gameSettings.PadVibration) UpdateVibration(-1);
    UpdateFallGauge();
    if (gameSettings.ShowLandingPoint) ComputeGhost();
    StampPiece();
    UpdateComboBar();
    CheckLevelUp();
}

// What the round loop does after the frame: end tests, the lock with its fit test,
// and the level music. False when the round is over. `locked` tells whether a piece
// was locked (and a new one spawned) after this frame.
inline bool EndFrame(bool* locked) {
    if (locked) *locked = false;
    if (match.gameOver) return false;
    if (match.clearMode == 1 && match.lines >= 50) return false;
    if (match.lockPending) {
        LockPiece();
        if (locked) *locked = true;
        if (PieceCollides(0, 0, match.pieceMatrix)) match.gameOver = true;
    }
    if (match.netMode != 1 && match.clearMode != 1) SetLevelMusic(match.level);
    return true;
}

// Frame budgets of the round loop: 17, 17, 16 ms so that three frames take 50 ms.
inline uint32_t FrameBudgetMs(uint64_t frame) {
    return frame % 3 == 2 ? 16 : 17;
}

// A placement: rotation and box column the player aims for.
struct Target {
    int rotation;
    int x;
};

// Picks a placement for the falling piece by looking at the settled blocks: few
// holes, low stack, full rows preferred. `noise` (0..) varies the choice a little.
inline Target PlanPlacement(uint32_t noise) {
    int32_t settled[kWellRows][kWellColumns];
    memcpy(settled, match.well, sizeof settled);
    for (int r = 0; r < kBoxSize; ++r) {
        for (int c = 0; c < kBoxSize; ++c) {
            const int wr = match.pieceY + r, wc = match.pieceX + c;
            const bool inside = wr >= 0 && wr < kWellRows && wc >= 0 && wc < kWellColumns;
            if (match.pieceMatrix[r][c] != 0 && inside) settled[wr][wc] = CellEmpty;
        }
    }
    auto fits = [&](const PieceMatrix& m, int x, int y) {
        for (int r = 0; r < kBoxSize; ++r) {
            for (int c = 0; c < kBoxSize; ++c) {
                if (m[r][c] == 0) continue;
                if (x + c < 0 || x + c >= kWellColumns || y + r < 0 || y + r >= kWellRows ||
                    settled[y + r][x + c] != CellEmpty)
                    return false;
            }
        }
        return true;
    };
    Target best = {match.rotation, match.pieceX};
    int64_t bestScore = INT64_MIN;
    for (int rot = 0; rot < 4; ++rot) {
        PieceMatrix m;
        LoadShape(m, kShapeSame, match.pieceKind, rot);
        for (int x = -2; x < kWellColumns; ++x) {
            if (!fits(m, x, 0)) continue;
            int y = 0;
            while (fits(m, x, y + 1)) ++y;
            int32_t trial[kWellRows][kWellColumns];
            memcpy(trial, settled, sizeof trial);
            for (int r = 0; r < kBoxSize; ++r) {
                for (int c = 0; c < kBoxSize; ++c) {
                    if (m[r][c] != 0) trial[y + r][x + c] = m[r][c];
                }
            }
            int full = 0, holes = 0, heightSum = 0;
            for (int r = 0; r <= kLastPlayRow; ++r) {
                int blocks = 0;
                for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c) blocks += trial[r][c] > 0;
                full += blocks == kPlayColumns ? 1 : 0;
            }
            for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c) {
                bool seenBlock = false;
                for (int r = 0; r <= kLastPlayRow; ++r) {
                    if (trial[r][c] != CellEmpty && !seenBlock) heightSum += kPlayRows - r;
                    holes += trial[r][c] == CellEmpty && seenBlock ? 1 : 0;
                    seenBlock |= trial[r][c] != CellEmpty;
                }
            }
            const int64_t score = 80LL * full - 35LL * holes - 5LL * heightSum + 10LL * y +
                                  static_cast<int64_t>((noise >> ((rot * 13 + x + 2) % 24)) & 3);
            if (score > bestScore) {
                bestScore = score;
                best = {rot, x};
            }
        }
    }
    return best;
}

}  // namespace rules

#endif
