// settings.h - the player's settings as the game keeps them in memory.
//
// Owns the `GameSettings` record and its one static instance, valid from program
// start with the default values. The scenes edit it; the match rules read it.
// Reading and writing "./vorlane.cfg" belongs to the settings-file unit and is not
// done here.
#ifndef VORLANE_SHELL_SETTINGS_H
#define VORLANE_SHELL_SETTINGS_H

#include <stdint.h>

struct GameSettings {
    int32_t Difficulty;       // 0..3: highest level reachable, periodic rows in 3
    int32_t MoveSensitivity;  // 3..5 frames between repeated sideways moves; 6 = per press
    bool ShowLandingPoint;    // draw where the falling piece would land
    bool ShowGrid;            // draw the grid of the well
    bool PadVibration;        // joypad vibration during rounds
    int32_t Reserved1;        // kept in the file and in memory, read by nothing
    int32_t Reserved2;
    int32_t Reserved3;
};

// The default values, as a fresh program and a missing settings file have them.
constexpr GameSettings kDefaultGameSettings = {1, 4, true, false, false, 40, 255, 255};

// The one instance the whole game reads and the configuration scene edits.
extern GameSettings gameSettings;

// Ranges the configuration screen keeps. The settings file may hold anything, so a
// reader that indexes a table or counts frames with a value takes it through these
// accessors, clamped into range (the file keeps its value until the next save).
constexpr int kMinDifficulty = 0;
constexpr int kMaxDifficulty = 3;
constexpr int kMinMoveSensitivity = 3;
constexpr int kMaxMoveSensitivity = 6;
int ClampedDifficulty();
int ClampedMoveSensitivity();

// The play screen shows its frame counter; off at start, switched on for the rest of
// the run by the title menu's hidden sequence.
extern bool ShowFps;

#endif
