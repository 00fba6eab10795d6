// gravity.cpp - gravity by elapsed time, the instant fall of the highest levels, and
// the fall gauge that drops a piece for the player when it has been in play too long.
//
// Owns `fallRefTime`, `fallStep`, the fall gauge and its warning. A piece resting
// on something is never locked here: only a drop leads to a lock.
#include "match/gravity.h"

#include "match/match_state.h"
#include "match/movement.h"
#include "match/playfield_draw.h"
#include "shell/assets.h"
#include "pavex.h"

namespace {

constexpr int kGaugeWarning = 200;
constexpr int kGaugeLimit = 256;
constexpr int kAccumulatorStep = 100;

// The gravity interval shrinks by 10 ms a level from 190 ms at level 1; the test is
// strictly greater, so from level 21 the piece falls every frame.
int32_t GravityIntervalMs(int level) {
    return 200 - 10 * level;
}

int GaugeStep(int level) {
    if (level >= 30) return 7;
    if (level >= 25) return 4;
    if (level >= 21) return 2;
    return 1;
}

void NoteLanding() {
    if (!match.landedSoundPlayed) PlaySoundEffect(kEffectBlockLanding2);
    match.landedSoundPlayed = true;
}

}  // namespace

void ApplyGravity() {
    ErasePiece();
    if (match.fallTimerRestart) {
        match.fallRefTime = GetTickMillis(0);
        match.fallTimerRestart = false;
    }
    const bool resting = PieceCollides(0, 1, match.pieceMatrix);
    if (resting) NoteLanding();
    if (MillisSince(match.fallRefTime) > GravityIntervalMs(match.level)) {
        if (!resting) {
            match.fallStep = true;
            match.landedSoundPlayed = false;
        }
        match.fallTimerRestart = true;
    }
    if (match.dropped) {
        match.fallStep = false;
    } else if (match.fallStep) {
        match.pieceY += 1;
        match.fallStep = false;
    }
}

void ApplyInstantGravity() {
    const uint32_t start = GetTickMillis(0);
    for (int fallen = 0; fallen <= kMaxFallRows && MillisSince(start) < kSearchLimitMs; ++fallen) {
        ErasePiece();
        if (PieceCollides(0, 1, match.pieceMatrix)) {
            NoteLanding();
            return;
        }
        match.pieceY += 1;
        match.fallGauge = 0;
        match.landedSoundPlayed = false;
        StampPiece();
    }
}

void UpdateFallGauge() {
    if (match.gaugeReset) {
        match.fallGauge = 0;
        match.fallGaugeAccumulator = 0;
        match.warningArmed = true;
        DrawFallGauge(0);
        match.gaugeReset = false;
    }
    match.fallGaugeAccumulator += 10 * match.level + 50;
    if (match.fallGaugeAccumulator >= kAccumulatorStep) {
        match.fallGauge += GaugeStep(match.level);
        match.fallGaugeAccumulator = 0;
    }
    DrawFallGauge(match.fallGauge);
    if (match.warningArmed && match.fallGauge > kGaugeWarning) {
        PlaySoundEffect(kEffectWarning);
        match.warningArmed = false;
    }
    if (match.fallGauge > kGaugeLimit) {
        HardDrop(false);
        match.gaugeReset = true;
        match.warningArmed = true;
    }
}
