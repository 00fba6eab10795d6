// app.cpp - the entry and scene-flow unit: the start-up configuration of the media
// layer, the top-level loop, the frame pacing of the shell's scenes and every way
// out of the program.
//
// Owns: the start-up order and the exit code. Scenes live in their own units and are
// called from the top-level loop; this unit keeps no state of theirs.
#include "shell/app.h"

#include <stdint.h>
#include <stdlib.h>

#include "pavex.h"

namespace {

constexpr int kFramePeriodMs = 17;
constexpr int kEscapeKey = 1;
constexpr int kExitCode = 1;

// Sleeps in 1 ms steps until a frame that began at `frameStart` has lasted 17 ms.
void PaceFrame(uint32_t frameStart) {
    while (static_cast<int32_t>(GetTickMillis(0) - frameStart) < kFramePeriodMs)
        WaitMilliseconds(1);
}

// The scene that runs until the title menu takes its place: a cleared screen at the
// shell's frame rate, left when Escape is held or the program must end.
void RunBlankScene() {
    for (;;) {
        uint32_t frameStart = GetTickMillis(0);
        ClearScreen();
        FlipScreen();
        if (IsKeyDown(kEscapeKey)) return;
        PaceFrame(frameStart);
        if (ProcessMessage() != 0) return;
    }
}

}  // namespace

int StartUpApplication() {
    ChangeWindowMode(1);
    SetWindowTitle("VORLANE v0.53");
    SetScreenMode(800, 600, 32, 60);
    SetAllowDoubleStart(1);
    if (InitMediaLayer() == -1) return 0;
    SetFlipWaitsVBlank(0);
    SetDefaultFontType(3);
    SelectDrawTarget(PAVEX_SCREEN_BACK);
    SetClipRect(0, 0, 800, 600);
    SetRunWhileInactive(1);
    SetArchiveExtension("dat");
    SetArchiveKey("KWZ");
    return 1;
}

void ExitApplication() {
    EndMediaLayer();
    exit(kExitCode);
}

int RunApplication() {
    if (!StartUpApplication()) return -1;
    if (ProcessMessage() == 0) {
        while (IsKeyDown(kEscapeKey) == 0) {
            RunBlankScene();
            if (ProcessMessage() != 0) break;
        }
    }
    ExitApplication();
}
