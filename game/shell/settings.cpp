// settings.cpp - the one in-memory `GameSettings` instance.
//
// Owns the instance and its start values only; it must not touch files (the
// settings file is read and written by its own unit) and knows nothing of scenes.
#include "shell/settings.h"

GameSettings gameSettings = kDefaultGameSettings;
bool ShowFps = false;

namespace {

int Clamp(int value, int low, int high) {
    return value < low ? low : (value > high ? high : value);
}

}  // namespace

int ClampedDifficulty() {
    return Clamp(gameSettings.Difficulty, kMinDifficulty, kMaxDifficulty);
}

int ClampedMoveSensitivity() {
    return Clamp(gameSettings.MoveSensitivity, kMinMoveSensitivity, kMaxMoveSensitivity);
}
