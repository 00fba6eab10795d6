// keymap_test.cpp - every key of a standard keyboard reports its own key code on the
// live platform, and the code leads back to the key; the stick axis scale.
#include <SDL.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "media/platform/live/sdl_input_tables.h"

namespace {

struct Key {
    SDL_Scancode scancode;
    int code;
    const char* name;
};

// The key codes as the library's key tables list them.
// clang-format off
const Key kListedKeys[] = {
    // Letters.
    {SDL_SCANCODE_A, 30, "A"}, {SDL_SCANCODE_B, 48, "B"}, {SDL_SCANCODE_C, 46, "C"},
    {SDL_SCANCODE_D, 32, "D"}, {SDL_SCANCODE_E, 18, "E"}, {SDL_SCANCODE_F, 33, "F"},
    {SDL_SCANCODE_G, 34, "G"}, {SDL_SCANCODE_H, 35, "H"}, {SDL_SCANCODE_I, 23, "I"},
    {SDL_SCANCODE_J, 36, "J"}, {SDL_SCANCODE_K, 37, "K"}, {SDL_SCANCODE_L, 38, "L"},
    {SDL_SCANCODE_M, 50, "M"}, {SDL_SCANCODE_N, 49, "N"}, {SDL_SCANCODE_O, 24, "O"},
    {SDL_SCANCODE_P, 25, "P"}, {SDL_SCANCODE_Q, 16, "Q"}, {SDL_SCANCODE_R, 19, "R"},
    {SDL_SCANCODE_S, 31, "S"}, {SDL_SCANCODE_T, 20, "T"}, {SDL_SCANCODE_U, 22, "U"},
    {SDL_SCANCODE_V, 47, "V"}, {SDL_SCANCODE_W, 17, "W"}, {SDL_SCANCODE_X, 45, "X"},
    {SDL_SCANCODE_Y, 21, "Y"}, {SDL_SCANCODE_Z, 44, "Z"},
    // Digits of the main block.
    {SDL_SCANCODE_0, 11, "0"}, {SDL_SCANCODE_1, 2, "1"}, {SDL_SCANCODE_2, 3, "2"},
    {SDL_SCANCODE_3, 4, "3"}, {SDL_SCANCODE_4, 5, "4"}, {SDL_SCANCODE_5, 6, "5"},
    {SDL_SCANCODE_6, 7, "6"}, {SDL_SCANCODE_7, 8, "7"}, {SDL_SCANCODE_8, 9, "8"},
    {SDL_SCANCODE_9, 10, "9"},
    // Arrows.
    {SDL_SCANCODE_LEFT, 203, "Left"}, {SDL_SCANCODE_UP, 200, "Up"},
    {SDL_SCANCODE_RIGHT, 205, "Right"}, {SDL_SCANCODE_DOWN, 208, "Down"},
    // Punctuation at the positions that keep their code on every layout.
    {SDL_SCANCODE_SEMICOLON, 39, "semicolon"}, {SDL_SCANCODE_LEFTBRACKET, 26, "left bracket"},
    {SDL_SCANCODE_RIGHTBRACKET, 27, "right bracket"}, {SDL_SCANCODE_BACKSLASH, 43, "backslash"},
    {SDL_SCANCODE_COMMA, 51, "comma"}, {SDL_SCANCODE_MINUS, 12, "minus"},
    {SDL_SCANCODE_INTERNATIONAL3, 125, "yen"}, {SDL_SCANCODE_PERIOD, 52, "full stop"},
    {SDL_SCANCODE_SLASH, 53, "slash"},
    // Editing and control.
    {SDL_SCANCODE_DELETE, 211, "Delete"}, {SDL_SCANCODE_ESCAPE, 1, "Escape"},
    {SDL_SCANCODE_SPACE, 57, "Space"}, {SDL_SCANCODE_BACKSPACE, 14, "Backspace"},
    {SDL_SCANCODE_TAB, 15, "Tab"}, {SDL_SCANCODE_RETURN, 28, "Enter"},
    // Numeric pad.
    {SDL_SCANCODE_KP_0, 82, "pad 0"}, {SDL_SCANCODE_KP_1, 79, "pad 1"},
    {SDL_SCANCODE_KP_2, 80, "pad 2"}, {SDL_SCANCODE_KP_3, 81, "pad 3"},
    {SDL_SCANCODE_KP_4, 75, "pad 4"}, {SDL_SCANCODE_KP_5, 76, "pad 5"},
    {SDL_SCANCODE_KP_6, 77, "pad 6"}, {SDL_SCANCODE_KP_7, 71, "pad 7"},
    {SDL_SCANCODE_KP_8, 72, "pad 8"}, {SDL_SCANCODE_KP_9, 73, "pad 9"},
    {SDL_SCANCODE_KP_MULTIPLY, 55, "pad multiply"}, {SDL_SCANCODE_KP_PLUS, 78, "pad add"},
    {SDL_SCANCODE_KP_MINUS, 74, "pad subtract"}, {SDL_SCANCODE_KP_PERIOD, 83, "pad decimal"},
    {SDL_SCANCODE_KP_DIVIDE, 181, "pad divide"}, {SDL_SCANCODE_KP_ENTER, 156, "pad Enter"},
    // Modifiers.
    {SDL_SCANCODE_LSHIFT, 42, "left Shift"}, {SDL_SCANCODE_RSHIFT, 54, "right Shift"},
    {SDL_SCANCODE_LCTRL, 29, "left Ctrl"}, {SDL_SCANCODE_RCTRL, 157, "right Ctrl"},
    {SDL_SCANCODE_LALT, 56, "left Alt"}, {SDL_SCANCODE_RALT, 184, "right Alt"},
    // Navigation, locks and Pause.
    {SDL_SCANCODE_PAGEUP, 201, "Page Up"}, {SDL_SCANCODE_PAGEDOWN, 209, "Page Down"},
    {SDL_SCANCODE_END, 207, "End"}, {SDL_SCANCODE_HOME, 199, "Home"},
    {SDL_SCANCODE_INSERT, 210, "Insert"}, {SDL_SCANCODE_SCROLLLOCK, 70, "Scroll Lock"},
    {SDL_SCANCODE_CAPSLOCK, 58, "Caps Lock"}, {SDL_SCANCODE_PAUSE, 197, "Pause"},
    // Function keys.
    {SDL_SCANCODE_F1, 59, "F1"}, {SDL_SCANCODE_F2, 60, "F2"}, {SDL_SCANCODE_F3, 61, "F3"},
    {SDL_SCANCODE_F4, 62, "F4"}, {SDL_SCANCODE_F5, 63, "F5"}, {SDL_SCANCODE_F6, 64, "F6"},
    {SDL_SCANCODE_F7, 65, "F7"}, {SDL_SCANCODE_F8, 66, "F8"}, {SDL_SCANCODE_F9, 67, "F9"},
    {SDL_SCANCODE_F10, 68, "F10"}, {SDL_SCANCODE_F11, 87, "F11"}, {SDL_SCANCODE_F12, 88, "F12"},
};
// clang-format on

// The rest of a standard 105/109-key keyboard: their set-1 scan codes, with 0x80
// added for the extended keys.
// clang-format off
const Key kOtherKeys[] = {
    {SDL_SCANCODE_GRAVE, 0x29, "grave"},
    {SDL_SCANCODE_EQUALS, 0x0D, "equals"},
    {SDL_SCANCODE_APOSTROPHE, 0x28, "apostrophe"},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56, "ISO backslash"},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45, "Num Lock"},
    {SDL_SCANCODE_PRINTSCREEN, 0x80 + 0x37, "Print Screen"},
    {SDL_SCANCODE_LGUI, 0x80 + 0x5B, "left Windows"},
    {SDL_SCANCODE_RGUI, 0x80 + 0x5C, "right Windows"},
    {SDL_SCANCODE_APPLICATION, 0x80 + 0x5D, "Menu"},
    {SDL_SCANCODE_INTERNATIONAL1, 0x73, "ro"},
    {SDL_SCANCODE_INTERNATIONAL2, 0x70, "kana"},
    {SDL_SCANCODE_INTERNATIONAL4, 0x79, "henkan"},
    {SDL_SCANCODE_INTERNATIONAL5, 0x7B, "muhenkan"},
    {SDL_SCANCODE_LANG5, 148, "hankaku/zenkaku"},
};
// clang-format on

TEST(KeyMap, EveryListedKeyReportsItsCodeAndTheCodeLeadsBack) {
    for (const Key& key : kListedKeys) {
        EXPECT_EQ(PlatKeyCodeFromScancode(key.scancode), key.code) << key.name;
        EXPECT_EQ(PlatScancodeFromKeyCode(key.code), key.scancode) << key.name;
    }
}

TEST(KeyMap, TheOtherKeysOfAStandardKeyboardReportTheirScanCodes) {
    for (const Key& key : kOtherKeys) {
        EXPECT_EQ(PlatKeyCodeFromScancode(key.scancode), key.code) << key.name;
        EXPECT_EQ(PlatScancodeFromKeyCode(key.code), key.scancode) << key.name;
    }
}

TEST(KeyMap, NoTwoKeysShareACodeExceptTheKnownSecondNames) {
    // Two SDL names for one physical key each: the ISO key left of Enter and the
    // backslash key, and the two mute keys.
    const std::set<int> secondNames = {SDL_SCANCODE_NONUSHASH, SDL_SCANCODE_AUDIOMUTE};
    std::map<int, int> owner;
    int mapped = 0;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        int code = PlatKeyCodeFromScancode(scancode);
        if (code == 0) continue;
        ++mapped;
        EXPECT_GT(code, 0);
        EXPECT_LT(code, 256);
        if (secondNames.count(scancode)) {
            EXPECT_NE(PlatScancodeFromKeyCode(code), scancode);
            continue;
        }
        auto [it, inserted] = owner.emplace(code, scancode);
        EXPECT_TRUE(inserted) << "code " << code << " from scancodes " << it->second << " and "
                              << scancode;
        EXPECT_EQ(PlatScancodeFromKeyCode(code), scancode);
    }
    EXPECT_GE(mapped, static_cast<int>(sizeof kListedKeys / sizeof kListedKeys[0] +
                                       sizeof kOtherKeys / sizeof kOtherKeys[0]));
}

TEST(KeyMap, ValuesOutsideTheTablesGiveNothing) {
    EXPECT_EQ(PlatKeyCodeFromScancode(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(PlatKeyCodeFromScancode(-1), 0);
    EXPECT_EQ(PlatKeyCodeFromScancode(SDL_NUM_SCANCODES), 0);
    EXPECT_EQ(PlatKeyCodeFromScancode(1 << 30), 0);
    EXPECT_EQ(PlatScancodeFromKeyCode(0), 0);
    EXPECT_EQ(PlatScancodeFromKeyCode(-7), 0);
    EXPECT_EQ(PlatScancodeFromKeyCode(256), 0);
    EXPECT_EQ(PlatScancodeFromKeyCode(0x5A), 0);  // no key has this code
}

TEST(StickAxis, AQuarterAroundTheCentreIsDeadAndTheEndsReachFullScale) {
    EXPECT_EQ(PlatScaleStickAxis(0), 0);
    EXPECT_EQ(PlatScaleStickAxis(8000), 0);
    EXPECT_EQ(PlatScaleStickAxis(-8192), 0);
    EXPECT_EQ(PlatScaleStickAxis(32767), 1000);
    EXPECT_EQ(PlatScaleStickAxis(-32768), -1000);
    EXPECT_EQ(PlatScaleStickAxis(100000), 1000);
    EXPECT_EQ(PlatScaleStickAxis(-100000), -1000);
    // Half-way through the live travel reads half scale, on both sides alike.
    int half = 8192 + (32767 - 8192) / 2;
    EXPECT_NEAR(PlatScaleStickAxis(half), 500, 1);
    EXPECT_NEAR(PlatScaleStickAxis(-half), -500, 1);
    // Just outside the dead zone the value is small but the direction is there.
    EXPECT_GE(PlatScaleStickAxis(8192 + 100), 0);
    EXPECT_LT(PlatScaleStickAxis(8192 + 100), 10);
    int previous = -1001;
    for (int raw = -32768; raw <= 32767; raw += 97) {
        int value = PlatScaleStickAxis(raw);
        EXPECT_GE(value, previous) << "raw " << raw;
        previous = value;
    }
}

}  // namespace
