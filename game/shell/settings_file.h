// settings_file.h - "./vorlane.cfg": the player's settings on disk.
#ifndef VORLANE_SHELL_SETTINGS_FILE_H
#define VORLANE_SHELL_SETTINGS_FILE_H

#include <stdint.h>

#include "shell/settings.h"

constexpr int kSettingsFileSize = 32;

// The 32-byte image of the file: eight little-endian signed integers, booleans as 1/0.
void SettingsToImage(const GameSettings& settings, uint8_t (&image)[kSettingsFileSize]);
// Applies the first `size` bytes of an image: only the integers held completely change
// their field; a boolean is on exactly when its integer is 1.
void SettingsFromImage(const uint8_t* image, int size, GameSettings& settings);

// Reads the file into `gameSettings`; a missing file is created with the values in
// memory (the defaults on the first run). Nothing is range-checked here: the readers
// of the values clamp them (settings.h).
void LoadSettings();
// Writes `gameSettings` to the file, whole or not at all; a file that cannot be
// written ends the program (ExitApplication).
void SaveSettings();

#endif
