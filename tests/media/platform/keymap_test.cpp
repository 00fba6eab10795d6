// keymap_test.cpp - the live key map and stick scale (pure functions of the SDL
// back-end): the game's controls report their codes, every code leads back to its one
// key, and the stick has a quarter dead zone.
#include <SDL.h>
#include <gtest/gtest.h>

#include <map>

#include "media/platform/live/sdl_input_tables.h"

TEST(KeyMap, TheGamesControlsEveryKeysOwnCodeAndTheStickScale) {
    const std::pair<SDL_Scancode, int> controls[] = {
        {SDL_SCANCODE_ESCAPE, 1}, {SDL_SCANCODE_F1, 59},    {SDL_SCANCODE_Z, 44},
        {SDL_SCANCODE_X, 45},     {SDL_SCANCODE_C, 46},     {SDL_SCANCODE_A, 30},
        {SDL_SCANCODE_UP, 200},   {SDL_SCANCODE_LEFT, 203}, {SDL_SCANCODE_RIGHT, 205},
        {SDL_SCANCODE_DOWN, 208}, {SDL_SCANCODE_KP_2, 80},  {SDL_SCANCODE_KP_4, 75},
        {SDL_SCANCODE_KP_6, 77},  {SDL_SCANCODE_KP_8, 72},  {SDL_SCANCODE_SPACE, 57},
    };
    for (const auto& [scancode, code] : controls)
        EXPECT_EQ(PlatKeyCodeFromScancode(scancode), code) << SDL_GetScancodeName(scancode);

    // Every key has a code of its own that leads back to it, except two second names of
    // one physical key (the ISO key left of Enter is the backslash key; a media mute key).
    std::map<int, int> owner;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        int code = PlatKeyCodeFromScancode(scancode);
        if (code == 0) continue;
        if (scancode == SDL_SCANCODE_NONUSHASH || scancode == SDL_SCANCODE_AUDIOMUTE) {
            EXPECT_NE(PlatScancodeFromKeyCode(code), scancode);
            continue;
        }
        auto [it, inserted] = owner.emplace(code, scancode);
        EXPECT_TRUE(inserted) << "code " << code << ": " << it->second << ", " << scancode;
        EXPECT_EQ(PlatScancodeFromKeyCode(code), scancode);
    }
    EXPECT_GE(owner.size(), 105u) << "a full keyboard";
    for (int scancode : {int(SDL_SCANCODE_UNKNOWN), -1, int(SDL_NUM_SCANCODES), 1 << 30})
        EXPECT_EQ(PlatKeyCodeFromScancode(scancode), 0) << scancode;
    for (int code : {0, -7, 256, 0x5A}) EXPECT_EQ(PlatScancodeFromKeyCode(code), 0) << code;

    // The stick: a quarter around the centre is dead and the ends reach full scale.
    const int half = 8192 + (32767 - 8192) / 2;  // half-way through the live travel
    // clang-format off
    const int cases[][3] = {  // raw, lowest, highest
        {0, 0, 0}, {8000, 0, 0}, {-8192, 0, 0}, {8292, 1, 9}, {-8292, -9, -1},
        {half, 499, 501}, {-half, -501, -499}, {32767, 1000, 1000}, {-32768, -1000, -1000},
        {100000, 1000, 1000}, {-100000, -1000, -1000}};
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_GE(PlatScaleStickAxis(c[0]), c[1]) << c[0];
        EXPECT_LE(PlatScaleStickAxis(c[0]), c[2]) << c[0];
    }
    for (int raw = -32768, previous = -1001; raw <= 32767; raw += 97) {
        EXPECT_GE(PlatScaleStickAxis(raw), previous) << raw;
        previous = PlatScaleStickAxis(raw);
    }
}
