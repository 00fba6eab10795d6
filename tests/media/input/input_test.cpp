// input_test.cpp - keys and pads through the public calls on the scripted platform: the
// key state and queries, the keys merged into GetPadState, pad bits, the selector
// rules, per-millisecond reads, pads plugged in or pulled out while the program runs.
#include <string.h>

#include <vector>

#include "tests/support/input_fixture.h"

namespace {

constexpr int kEscape = 1, kZ = 44, kF1 = 59, kKanji = 148;
constexpr int kUp = 200, kLeft = 203, kRight = 205, kDown = 208;
constexpr int kL = PAVEX_PAD_LEFT, kR = PAVEX_PAD_RIGHT, kD = PAVEX_PAD_DOWN, kU = PAVEX_PAD_UP;

}  // namespace

// A query before InitMediaLayer starts input and returns the start-up result; the
// next query reads the keys. The game's controls and the pad bits they give; with no
// pad attached the keyboard selector and the keyboard-and-first-pad selector agree,
// and pad 1 reads nothing.
TEST_F(InputTest, AQueryBeforeStartUpStartsInputAndKeysMergeIntoPadBits) {
    script::SetKey(kEscape, true);
    EXPECT_EQ(IsKeyDown(kEscape), 0);
    EXPECT_EQ(IsKeyDown(kEscape), 1);
    Start();
    // clang-format off
    const std::pair<std::vector<int>, int> cases[] = {
        {{80}, kD}, {{kDown}, kD}, {{75}, kL}, {{kLeft}, kL}, {{77}, kR}, {{kRight}, kR},
        {{72}, kU}, {{kUp}, kU}, {{kZ}, 0x10}, {{45}, 0x20}, {{46}, 0x40}, {{30}, 0x80},
        {{31}, 0x100}, {{32}, 0x200}, {{16}, 0x400}, {{17}, 0x800}, {{kEscape}, 0x1000},
        {{57}, 0x2000}, {{kF1, 18, 0}, 0}, {{kLeft, kRight, kZ}, kL | kR | 0x10}};
    // clang-format on
    for (const auto& [keys, bits] : cases) {
        Press(keys);
        EXPECT_EQ(GetPadState(PAVEX_INPUT_KEYBOARD), bits) << "key " << keys[0];
        EXPECT_EQ(GetPadState(PAVEX_INPUT_KEY_PAD1), bits) << "key " << keys[0];
        EXPECT_EQ(GetPadState(1), 0);
    }
}

// IsKeyDown and GetKeyStateAll report the keys that are down, one state per
// millisecond; GetAnyKeyDown gives the lowest code that is down (never the
// hankaku/zenkaku toggle), else -1 for a pad button or direction or a mouse button.
TEST_F(InputTest, KeyQueriesAndPadBitsReadOneStatePerMillisecond) {
    uint32_t pad = script::PlugPad();
    Start();
    Press({kEscape, kF1});
    for (int code : {kEscape, kF1, kZ, -1, 256})
        EXPECT_EQ(IsKeyDown(code), code == kEscape || code == kF1 ? 1 : 0) << code;
    uint8_t keys[256];
    memset(keys, 0xEE, sizeof keys);
    EXPECT_EQ(GetKeyStateAll(keys), 0);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(keys[i], (i == kEscape || i == kF1) ? 1 : 0) << i;
    EXPECT_EQ(GetKeyStateAll(nullptr), -1);

    Press({kDown});
    ASSERT_EQ(IsKeyDown(kDown), 1);
    script::SetKey(kDown, false);  // the clock has not moved: every query still sees it
    EXPECT_EQ(IsKeyDown(kDown), 1);
    EXPECT_EQ(GetPadState(PAVEX_INPUT_KEYBOARD), kD);
    EXPECT_EQ(GetAnyKeyDown(), kDown);
    script::AdvanceMs(1);
    EXPECT_EQ(IsKeyDown(kDown), 0);
    EXPECT_EQ(GetPadState(PAVEX_INPUT_KEYBOARD), 0);

    // clang-format off
    const struct {
        std::vector<int> keys;
        bool button, down, mouse;
        int expected;
    } anyKeyCases[] = {  // keys, pad button 1, pad down, mouse button 3, result
        {{}, 0, 0, 0, 0}, {{kKanji}, 0, 0, 0, 0}, {{kKanji, kRight}, 0, 0, 0, kRight},
        {{kRight, kZ}, 0, 0, 0, kZ}, {{}, 1, 0, 0, -1}, {{kEscape}, 1, 0, 0, kEscape},
        {{}, 0, 1, 0, -1}, {{}, 0, 0, 1, -1}};
    // clang-format on
    for (const auto& c : anyKeyCases) {
        script::SetPadButton(pad, 1, c.button);
        script::SetPadAxis(pad, script::kAxisY, c.down ? 1000 : 0);
        script::SetMouseButton(3, c.mouse);
        Press(c.keys);
        EXPECT_EQ(GetAnyKeyDown(), c.expected) << "case " << &c - anyKeyCases;
    }

    // Only X and Y give directions (Z, Rx, Ry and Rz never do); buttons 1..24 give bits
    // 0x10 upwards, 25..32 nothing. A pad is read at most once per millisecond.
    // clang-format off
    const int cases[][4] = {  // x, y, the other axes, bits
        {0, 0, 0, 0}, {-1, 0, 0, kL}, {1000, 0, 0, kR}, {0, 1, 0, kD}, {0, -1000, 0, kU},
        {-500, 700, 0, kL | kD}, {300, -300, 0, kR | kU}, {0, 0, 1000, 0}, {0, 0, -1000, 0}};
    // clang-format on
    for (const auto& c : cases) {
        for (int axis = script::kAxisX; axis <= script::kAxisRz; ++axis)
            script::SetPadAxis(pad, axis, axis < script::kAxisZ ? c[axis] : c[2]);
        script::AdvanceMs(1);
        EXPECT_EQ(GetPadState(1), c[3]) << c[0] << " " << c[1] << " " << c[2];
    }
    for (int button = 1; button <= 32; ++button) {
        script::SetPadButton(pad, button, true);
        script::AdvanceMs(1);
        EXPECT_EQ(GetPadState(1), button <= 24 ? 0x10 << (button - 1) : 0) << "button " << button;
        script::SetPadButton(pad, button, false);
    }
    int reads = script::PadReads(pad);
    script::SetPadButton(pad, 3, true);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(GetPadState(1), 0);
    EXPECT_EQ(script::PadReads(pad), reads);
    script::AdvanceMs(1);
    EXPECT_EQ(GetPadState(1), 0x40);
    EXPECT_EQ(script::PadReads(pad), reads + 1);
}

// Selectors pick a pad by number; the keyboard is merged only with its bit; pads
// plugged in or pulled out between frames (or a controller that cannot be opened) are
// renumbered cleanly, and many arrivals and departures never break the table.
TEST_F(InputTest, SelectorsAndPadsPluggedInOrPulledOut) {
    uint32_t first = script::PlugPad();
    Start();
    script::SetPadAxis(first, script::kAxisX, -1000);
    script::SetPadButton(first, 2, true);
    Press({kRight});
    // clang-format off
    const int cases[][2] = {  // selector, bits; a pad alone never reports both sides
        {1, kL | 0x20}, {PAVEX_INPUT_KEY_PAD1, kL | kR | 0x20}, {PAVEX_INPUT_KEYBOARD, kR},
        {PAVEX_INPUT_KEYBOARD | 2, kR}, {2, 0}, {0, 0}, {9, 0}, {0x2001, 0}, {0x7FFFEFFF, 0},
        {static_cast<int>(0x80000000u), 0}};
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(GetPadState(c[0]), c[1]) << std::hex << c[0];

    uint32_t second = script::PlugPad();
    script::SetPadButton(second, 3, true);
    script::FailNextPadOpen();
    EXPECT_EQ(script::PlugPad(), 0u);
    EXPECT_EQ(ProcessMessage(), 0);
    script::AdvanceMs(1);
    EXPECT_EQ(GetPadState(2), 0x40);
    EXPECT_EQ(GetPadState(3), 0);
    EXPECT_TRUE(Logged("入力装置の取得に失敗しました"));
    script::UnplugPad(first);
    EXPECT_EQ(ProcessMessage(), 0);
    script::AdvanceMs(1);
    EXPECT_EQ(GetPadState(1), 0x40);
    EXPECT_EQ(GetPadState(2), 0);
    // Pulled out with no pump in between: the very next query already sees it gone.
    script::UnplugPad(second);
    script::AdvanceMs(1);
    EXPECT_EQ(GetPadState(1), 0);
    EXPECT_EQ(StartPadVibration(1, 1000, -1), 0);
    uint32_t again = script::PlugPad();  // a new pad with a new state
    script::SetPadAxis(again, script::kAxisY, 1000);
    script::AdvanceMs(1);
    EXPECT_EQ(GetPadState(1), kD);

    uint32_t ids[8] = {again};
    for (int round = 0; round < 50; ++round) {
        uint32_t& id = ids[round % 8];
        if (id) script::UnplugPad(id);
        id = script::PlugPad(round % 2 == 0);
        script::SetPadButton(id, 1 + round % 10, true);
        if (round % 3 == 0) ProcessMessage();
        script::AdvanceMs(1);
        int pads = 0;
        for (int n = 1; n <= 8; ++n) pads += GetPadState(n) != 0;
        EXPECT_EQ(pads, script::PadCount()) << "round " << round;
        StartPadVibration(1 + round % 8, 700, 50);
    }
}
