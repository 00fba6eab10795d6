// settings_file.cpp - reading and writing "./vorlane.cfg".
//
// Owns the file's layout and when it is created. The in-memory record belongs to
// settings.cpp; the crash-safe write to data_file.cpp. Values are taken as the file
// holds them: clamping is done where a value is used, so the file keeps what it
// holds until the player saves.
#include "shell/settings_file.h"

#include "shell/app.h"
#include "shell/data_file.h"

namespace {

const char kSettingsPath[] = "./vorlane.cfg";

}  // namespace

void SettingsToImage(const GameSettings& s, uint8_t (&image)[kSettingsFileSize]) {
    const int32_t values[8] = {s.Difficulty,
                               s.MoveSensitivity,
                               s.ShowLandingPoint ? 1 : 0,
                               s.ShowGrid ? 1 : 0,
                               s.PadVibration ? 1 : 0,
                               s.Reserved1,
                               s.Reserved2,
                               s.Reserved3};
    for (int i = 0; i < 8; ++i) PutLe32(image, i, values[i]);
}

void SettingsFromImage(const uint8_t* image, int size, GameSettings& s) {
    const int count = size < 0 ? 0 : (size > kSettingsFileSize ? 8 : size / 4);
    int32_t* const ints[8] = {&s.Difficulty, &s.MoveSensitivity, nullptr,      nullptr,
                              nullptr,       &s.Reserved1,       &s.Reserved2, &s.Reserved3};
    bool* const flags[8] = {nullptr,     nullptr,         &s.ShowLandingPoint,
                            &s.ShowGrid, &s.PadVibration, nullptr,
                            nullptr,     nullptr};
    for (int i = 0; i < count; ++i) {
        const int32_t value = GetLe32(image, i);
        if (ints[i] != nullptr) *ints[i] = value;
        if (flags[i] != nullptr) *flags[i] = value == 1;
    }
}

void LoadSettings() {
    uint8_t image[kSettingsFileSize];
    SettingsToImage(gameSettings, image);
    const int size = ReadDataFile(kSettingsPath, image, kSettingsFileSize);
    if (size >= 0) {
        SettingsFromImage(image, size, gameSettings);
        return;
    }
    // Missing or not a regular file: written with the values in force. A failure
    // here is not fatal; the settings stay as they are.
    WriteDataFile(kSettingsPath, image, kSettingsFileSize);
}

void SaveSettings() {
    uint8_t image[kSettingsFileSize];
    SettingsToImage(gameSettings, image);
    if (!WriteDataFile(kSettingsPath, image, kSettingsFileSize)) ExitApplication();
}
