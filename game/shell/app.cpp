// app.cpp - the entry and scene-flow unit: the start-up configuration of the media
// layer, the top-level loop, the frame pacing of the shell's scenes and every way
// out of the program.
//
// Owns: the start-up order, the mapping of title items to scenes and the exit code.
// Scenes live in their own units; this unit keeps no state of theirs.
#include "shell/app.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "match/match_state.h"
#include "match/round_loop.h"
#include "pavex.h"
#include "shell/config_screen.h"
#include "shell/network_game.h"
#include "shell/record_screen.h"
#include "shell/result_screens.h"
#include "shell/title_menu.h"

namespace {

constexpr int kFramePeriodMs = 17;
constexpr int kEscapeKey = 1;
constexpr int kExitCode = 1;

bool Exists(const char* path) {
    struct stat info;
    return stat(path, &info) == 0;
}

// The game reads its pictures and sounds relative to the working folder. Started
// from anywhere else it would run silent and blank without saying why.
void ReportMissingData() {
    if (Exists("./data") || Exists("./data.dat")) return;
    char folder[1024];
    if (getcwd(folder, sizeof folder) == nullptr) snprintf(folder, sizeof folder, "?");
    char line[1400];
    snprintf(line, sizeof line,
             "vorlane: no ./data or ./data.dat in %s; start the game from the build folder "
             "(cd build && ./vorlane)",
             folder);
    fprintf(stderr, "%s\n", line);
    AddLogFormat("%s", line);
}

void PlaySinglePlayerRound(int mode) {
    match.netMode = 0;
    InitRound(mode);
    if (RunRound() == 1 && mode == 1) {
        ShowGameClear();
    } else {
        ShowGameOver();
    }
}

}  // namespace

void WaitOutFrame(unsigned frameStart) {
    while (static_cast<int32_t>(GetTickMillis(0) - frameStart) < kFramePeriodMs)
        WaitMilliseconds(1);
}

void WaitForKeyRelease() {
    while (GetAnyKeyDown() != 0) {
        if (ProcessMessage() != 0) return;
        WaitMilliseconds(1);
    }
}

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
    ReportMissingData();
    if (ProcessMessage() == 0) {
        while (IsKeyDown(kEscapeKey) == 0) {
            const int item = RunTitleMenu();
            if (item == 0) {
                PlaySinglePlayerRound(RunGameModeMenu() == 1 ? 1 : 0);
            } else if (item == 1) {
                RunNetworkGame();
            } else if (item == 2) {
                ShowBestRecord();
            } else if (item == 3) {
                RunConfigScreen();
            }
            if (ProcessMessage() != 0) break;
        }
    }
    ExitApplication();
}
