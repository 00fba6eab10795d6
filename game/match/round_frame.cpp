// round_frame.cpp - the order of the rules within a frame of a round and between two
// frames: the one sequence the round loop, the rule tests and the rules benchmark run.
//
// Owns only the order and the conditions under which a step runs. It must not draw,
// allocate, read the pad itself or decide a rule: each step lives in its own unit.
#include "match/round_frame.h"

#include "match/gravity.h"
#include "match/level_music.h"
#include "match/locking.h"
#include "match/match_state.h"
#include "match/movement.h"
#include "match/scoring.h"
#include "match/vibration.h"
#include "shell/settings.h"

namespace {

constexpr int kInstantGravityLevel = 25;

}  // namespace

void StepFrameRules() {
    // Both gravity steps begin by erasing the piece; the stamp below writes it back, so
    // every step in between sees the settled blocks only.
    if (match.level < kInstantGravityLevel) {
        ApplyGravity();
    } else {
        ApplyInstantGravity();
    }
    ReadPlayInput();
    if (gameSettings.PadVibration) UpdateVibration(-1);
    UpdateFallGauge();
    if (gameSettings.ShowLandingPoint) ComputeGhost();
    StampPiece();
    UpdateComboBar();
    CheckLevelUp();
}

bool ClearGoalReached() {
    return match.clearMode == 1 && match.lines >= kClearRoundGoal;
}

void EndFrameRules() {
    if (match.lockPending) {
        LockPiece();
        if (PieceCollides(0, 0, match.pieceMatrix)) match.gameOver = true;
    }
    if (match.netMode != 1 && match.clearMode != 1) SetLevelMusic(match.level);
}
