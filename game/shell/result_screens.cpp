// result_screens.cpp - the game-over and game-clear scenes of single-player rounds.
//
// Owns the two displays and when the best record is updated (after the game-over
// display, never after a clear). It reads the match state and must not change a rule
// field; the final picture of the round is drawn by the play-screen unit.
#include "shell/result_screens.h"

#include <stdint.h>

#include "match/match_state.h"
#include "match/playfield_draw.h"
#include "pavex.h"
#include "shell/app.h"
#include "shell/assets.h"
#include "shell/best_record.h"

namespace {

constexpr int kEscapeKey = 1;
constexpr int kPad = 1;
constexpr int32_t kGameOverMs = 1500;
constexpr int32_t kGameClearMinimumMs = 1000;
constexpr int kShadingBackground = 0;

}  // namespace

void ShowGameOver() {
    const uint32_t start = GetTickMillis(0);
    StopPadVibration(kPad);
    if (ProcessMessage() == 0 && IsKeyDown(kEscapeKey) == 0) {
        // Paced like the menus rather than spinning: the picture does not change.
        while (MillisSince(start) < kGameOverMs) {
            const uint32_t frameStart = GetTickMillis(0);
            ClearScreen();
            DrawBackground(match.backgroundIndex);
            DrawWells();
            DrawHud();
            DrawWellFrames();
            DrawBackground(kShadingBackground);
            DrawImage(272, 268, roundImages.gameOver, 1);
            FlipScreen();
            WaitOutFrame(frameStart);
        }
    }
    UpdateBestRecord(match.score, match.lines, match.maxCombo);
    DeleteAllGraphics(0);
}

void ShowGameClear() {
    const uint32_t start = GetTickMillis(0);
    StopPadVibration(kPad);
    PlaySoundEffect(kEffectResult);
    while (MillisSince(start) < kGameClearMinimumMs) {
        if (ProcessMessage() == 0) {
            while (GetAnyKeyDown() == 0) {
                const uint32_t frameStart = GetTickMillis(0);
                ClearScreen();
                DrawBackground(match.backgroundIndex);
                DrawBackground(kShadingBackground);
                DrawImage(280, 268, roundImages.gameClear, 1);
                DrawClock(248, 300, 1, 1);
                FlipScreen();
                WaitOutFrame(frameStart);
                if (ProcessMessage() != 0) break;
            }
        }
        // A key held from before (or a closed window) waits out the first second.
        if (MillisSince(start) < kGameClearMinimumMs) WaitMilliseconds(1);
    }
    WaitForKeyRelease();
}
