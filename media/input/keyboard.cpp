// keyboard.cpp - the 256-byte key state and the keyboard queries.
//
// Owns: the key state (refreshed at most once per millisecond, with one message pump
// per refresh), IsKeyDown, GetKeyStateAll, GetAnyKeyDown and the table of keys that
// GetPadState merges into the pad bits. Must not touch pads or vibration except
// through the area's shared functions (input_service.h).
#include <string.h>

#include "media/core/api_lock.h"
#include "media/core/frame.h"
#include "media/input/input_service.h"
#include "pavex.h"

namespace {

// The code that reads as always down on some keyboards (the hankaku/zenkaku toggle);
// "any key" never counts it.
constexpr int kIgnoredAnyKey = 148;

struct KeyBit {
    uint8_t code;
    uint32_t bit;
};

// clang-format off
const KeyBit kKeyBits[] = {
    {80, PAVEX_PAD_DOWN},  {208, PAVEX_PAD_DOWN},   // numeric-pad 2, Down
    {75, PAVEX_PAD_LEFT},  {203, PAVEX_PAD_LEFT},   // numeric-pad 4, Left
    {77, PAVEX_PAD_RIGHT}, {205, PAVEX_PAD_RIGHT},  // numeric-pad 6, Right
    {72, PAVEX_PAD_UP},    {200, PAVEX_PAD_UP},     // numeric-pad 8, Up
    {44, 0x10},   // Z
    {45, 0x20},   // X
    {46, 0x40},   // C
    {30, 0x80},   // A
    {31, 0x100},  // S
    {32, 0x200},  // D
    {16, 0x400},  // Q
    {17, 0x800},  // W
    {1, 0x1000},  // Escape
    {57, 0x2000}, // Space
};
// clang-format on

struct KeyboardData {
    uint8_t keys[256];
    uint32_t lastRefreshTick;
    int refreshed;
};

KeyboardData KEYBOARD = {};

int InternalIsKeyDown(int keyCode) {
    int result = 0;
    if (!InputBeginQuery(&result)) return result;
    if (keyCode < 0 || keyCode > 255) return 0;
    KeyboardRefresh();
    return (KEYBOARD.keys[keyCode] & 0x80) ? 1 : 0;
}

int InternalGetKeyStateAll(uint8_t* keys256) {
    if (!keys256) return -1;
    int result = 0;
    if (!InputBeginQuery(&result)) {
        memset(keys256, 0, 256);
        return result;
    }
    KeyboardRefresh();
    for (int i = 0; i < 256; ++i) keys256[i] = (KEYBOARD.keys[i] & 0x80) ? 1 : 0;
    return 0;
}

int InternalGetAnyKeyDown() {
    int result = 0;
    if (!InputBeginQuery(&result)) return result;
    KeyboardRefresh();
    for (int code = 0; code < 256; ++code) {
        if (code == kIgnoredAnyKey) continue;
        if (KEYBOARD.keys[code] & 0x80) return code;
    }
    int pads = PadCount();
    for (int pad = 1; pad <= pads; ++pad) {
        if (PadStateBits(pad) != 0) return -1;
    }
    if (PlatReadMouseButtons() != 0) return -1;
    return 0;
}

}  // namespace

void KeyboardReset() {
    KEYBOARD = KeyboardData{};
}

void KeyboardRefresh() {
    uint32_t now = GetTickMillis(0);
    if (KEYBOARD.refreshed && now == KEYBOARD.lastRefreshTick) return;
    // A refresh pumps the window's messages once; once the end is reported the
    // state is left as it was.
    if (FramePump() != 0) return;
    PlatReadKeyboard(KEYBOARD.keys);
    KEYBOARD.lastRefreshTick = now;
    KEYBOARD.refreshed = 1;
}

const uint8_t* KeyboardState() {
    return KEYBOARD.keys;
}

uint32_t KeyboardPadBits() {
    uint32_t bits = 0;
    for (const KeyBit& k : kKeyBits) {
        if (KEYBOARD.keys[k.code] & 0x80) bits |= k.bit;
    }
    return bits;
}

extern "C" {

int IsKeyDown(int keyCode) {
    ApiScope lock;
    return InternalIsKeyDown(keyCode);
}

int GetKeyStateAll(uint8_t* keys256) {
    ApiScope lock;
    return InternalGetKeyStateAll(keys256);
}

int GetAnyKeyDown(void) {
    ApiScope lock;
    return InternalGetAnyKeyDown();
}

}  // extern "C"
