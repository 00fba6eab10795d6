// pad_test.cpp - pad bits, the selector rules, per-millisecond pad reads and pads
// plugged in or pulled out while the program runs.
#include <stdint.h>

#include "tests/media/input/input_fixture.h"

namespace {

using PadTest = InputTest;

constexpr int kRight = 205;

TEST_F(PadTest, AxesGiveOneDirectionPerAxis) {
    uint32_t pad = script::PlugPad();
    StartLayer();
    struct Case {
        int x, y, bits;
    };
    const Case cases[] = {
        {0, 0, 0},
        {-1, 0, PAVEX_PAD_LEFT},
        {1000, 0, PAVEX_PAD_RIGHT},
        {0, 1, PAVEX_PAD_DOWN},
        {0, -1000, PAVEX_PAD_UP},
        {-500, 700, PAVEX_PAD_LEFT | PAVEX_PAD_DOWN},
        {300, -300, PAVEX_PAD_RIGHT | PAVEX_PAD_UP},
    };
    for (const Case& c : cases) {
        script::SetPadAxis(pad, script::kAxisX, c.x);
        script::SetPadAxis(pad, script::kAxisY, c.y);
        NextMillisecond();
        EXPECT_EQ(GetPadState(1), c.bits) << "x " << c.x << " y " << c.y;
    }
    // The other axes never give directions.
    script::SetPadAxis(pad, script::kAxisX, 0);
    script::SetPadAxis(pad, script::kAxisY, 0);
    script::SetPadAxis(pad, script::kAxisZ, 1000);
    script::SetPadAxis(pad, script::kAxisRx, -1000);
    script::SetPadAxis(pad, script::kAxisRy, 1000);
    NextMillisecond();
    EXPECT_EQ(GetPadState(1), 0);
}

TEST_F(PadTest, ButtonsOneToTwentyFourSetTheirBitsAndTheRestAreNotReported) {
    uint32_t pad = script::PlugPad();
    StartLayer();
    // Buttons 1..10 as the pad table lists them, then button n sets bit n + 3.
    const int listed[] = {0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x400, 0x800, 0x1000, 0x2000};
    for (int button = 1; button <= 32; ++button) {
        script::SetPadButton(pad, button, true);
        NextMillisecond();
        int expected = button <= 10 ? listed[button - 1] : button <= 24 ? (1 << (button + 3)) : 0;
        EXPECT_EQ(GetPadState(1), expected) << "button " << button;
        script::SetPadButton(pad, button, false);
    }
    script::SetPadButton(pad, 24, true);
    NextMillisecond();
    EXPECT_EQ(GetPadState(1), 0x8000000);
}

TEST_F(PadTest, PadAndKeyboardMergeOnlyWithTheKeyboardBit) {
    uint32_t pad = script::PlugPad();
    StartLayer();
    script::SetPadAxis(pad, script::kAxisX, -1000);
    script::SetPadButton(pad, 2, true);
    script::SetKey(kRight, true);
    NextMillisecond();
    // A pad alone never reports both left and right; the keyboard adds the other side.
    EXPECT_EQ(GetPadState(1), PAVEX_PAD_LEFT | 0x20);
    EXPECT_EQ(GetPadState(PAVEX_INPUT_KEY_PAD1), PAVEX_PAD_LEFT | PAVEX_PAD_RIGHT | 0x20);
    EXPECT_EQ(GetPadState(PAVEX_INPUT_KEYBOARD), PAVEX_PAD_RIGHT);
}

TEST_F(PadTest, PadNumbersOutOfRangeGiveZeroUnlessTheKeyboardIsMerged) {
    uint32_t pad = script::PlugPad();
    StartLayer();
    script::SetPadButton(pad, 1, true);
    script::SetKey(kRight, true);
    NextMillisecond();
    EXPECT_EQ(GetPadState(2), 0);
    EXPECT_EQ(GetPadState(0), 0);
    EXPECT_EQ(GetPadState(9), 0);
    EXPECT_EQ(GetPadState(0x2001), 0);
    EXPECT_EQ(GetPadState(0x7FFFEFFF), 0);
    EXPECT_EQ(GetPadState(static_cast<int>(0x80000000u)), 0);
    // With the keyboard bit an absent pad still gives the keyboard's bits.
    EXPECT_EQ(GetPadState(PAVEX_INPUT_KEYBOARD | 2), PAVEX_PAD_RIGHT);
    EXPECT_EQ(GetPadState(1), 0x10);
}

TEST_F(PadTest, APadIsReadAtMostOncePerMillisecond) {
    uint32_t pad = script::PlugPad();
    StartLayer();
    NextMillisecond();
    EXPECT_EQ(GetPadState(1), 0);
    int reads = script::PadReads(pad);
    script::SetPadButton(pad, 3, true);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(GetPadState(1), 0);
    EXPECT_EQ(script::PadReads(pad), reads);
    NextMillisecond();
    EXPECT_EQ(GetPadState(1), 0x40);
    EXPECT_EQ(script::PadReads(pad), reads + 1);
}

TEST_F(PadTest, APadPluggedInWhileRunningIsNumberedAfterTheOthers) {
    uint32_t first = script::PlugPad();
    StartLayer();
    script::SetPadButton(first, 1, true);
    NextMillisecond();
    EXPECT_EQ(GetPadState(2), 0);

    uint32_t second = script::PlugPad();
    ASSERT_NE(second, 0u);
    script::SetPadButton(second, 4, true);
    EXPECT_EQ(ProcessMessage(), 0);
    NextMillisecond();
    EXPECT_EQ(GetPadState(1), 0x10);
    EXPECT_EQ(GetPadState(2), 0x80);
    EXPECT_TRUE(LogContains("ジョイパッドの追加は正常に終了しました"));
}

TEST_F(PadTest, APadPulledOutBetweenFramesLeavesNoTraceAndTheNextMovesUp) {
    uint32_t first = script::PlugPad();
    uint32_t second = script::PlugPad();
    StartLayer();
    script::SetPadAxis(first, script::kAxisX, -1000);
    script::SetPadButton(second, 2, true);
    NextMillisecond();
    ASSERT_EQ(GetPadState(1), PAVEX_PAD_LEFT);
    ASSERT_EQ(GetPadState(2), 0x20);

    script::UnplugPad(first);
    EXPECT_EQ(ProcessMessage(), 0);
    NextMillisecond();
    EXPECT_EQ(GetPadState(1), 0x20);
    EXPECT_EQ(GetPadState(2), 0);
    EXPECT_EQ(GetAnyKeyDown(), -1);

    // Pulled out with no pump in between: the very next query already sees it gone.
    script::UnplugPad(second);
    NextMillisecond();
    EXPECT_EQ(GetPadState(1), 0);
    EXPECT_EQ(GetPadState(PAVEX_INPUT_KEY_PAD1), 0);
    EXPECT_EQ(GetAnyKeyDown(), 0);
    EXPECT_EQ(StartPadVibration(1, 1000, -1), 0);
    EXPECT_EQ(StopPadVibration(1), 0);

    // Plugged in again it is a new pad with a new state.
    uint32_t again = script::PlugPad();
    NextMillisecond();
    EXPECT_EQ(GetPadState(1), 0);
    script::SetPadAxis(again, script::kAxisY, 1000);
    NextMillisecond();
    EXPECT_EQ(GetPadState(1), PAVEX_PAD_DOWN);
}

TEST_F(PadTest, PluggingAndPullingManyTimesNeverBreaksTheTable) {
    StartLayer();
    uint32_t ids[8] = {};
    for (int round = 0; round < 50; ++round) {
        int slot = round % 8;
        if (ids[slot]) script::UnplugPad(ids[slot]);
        ids[slot] = script::PlugPad(round % 2 == 0);
        ASSERT_NE(ids[slot], 0u);
        script::SetPadButton(ids[slot], 1 + round % 10, true);
        if (round % 3 == 0) ProcessMessage();
        NextMillisecond();
        int pads = 0;
        for (int n = 1; n <= 8; ++n) {
            if (GetPadState(n) != 0) ++pads;
        }
        EXPECT_EQ(pads, script::PadCount()) << "round " << round;
        StartPadVibration(1 + round % 8, 700, 50);
    }
}

TEST_F(PadTest, AControllerThatCannotBeOpenedIsLoggedAndSkipped) {
    StartLayer();
    script::FailNextPadOpen();
    EXPECT_EQ(script::PlugPad(), 0u);
    NextMillisecond();
    EXPECT_EQ(GetPadState(1), 0);
    EXPECT_TRUE(LogContains("入力装置の取得に失敗しました"));
}

}  // namespace
