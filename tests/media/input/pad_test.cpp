// pad_test.cpp - pad bits, the selector rules, per-millisecond pad reads and pads
// plugged in or pulled out while the program runs.
#include "tests/media/input/input_fixture.h"

namespace {

using PadTest = InputTest;

TEST_F(PadTest, AxesGiveOneDirectionPerAxisAndButtonsOneToTwentyFourTheirBits) {
    uint32_t pad = script::PlugPad();
    StartLayer();
    struct Case {
        int x, y, other, bits;
    };
    // "other" goes on Z, Rx, Ry and Rz, which never give directions.
    const Case cases[] = {
        {0, 0, 0, 0},
        {-1, 0, 0, PAVEX_PAD_LEFT},
        {1000, 0, 0, PAVEX_PAD_RIGHT},
        {0, 1, 0, PAVEX_PAD_DOWN},
        {0, -1000, 0, PAVEX_PAD_UP},
        {-500, 700, 0, PAVEX_PAD_LEFT | PAVEX_PAD_DOWN},
        {300, -300, 0, PAVEX_PAD_RIGHT | PAVEX_PAD_UP},
        {0, 0, 1000, 0},
        {0, 0, -1000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "x " << c.x << " y " << c.y << " other " << c.other);
        script::SetPadAxis(pad, script::kAxisX, c.x);
        script::SetPadAxis(pad, script::kAxisY, c.y);
        for (int axis = script::kAxisZ; axis <= script::kAxisRz; ++axis)
            script::SetPadAxis(pad, axis, c.other);
        script::AdvanceMs(1);
        EXPECT_EQ(GetPadState(1), c.bits);
    }
    const int listed[] = {0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x400, 0x800, 0x1000, 0x2000};
    for (int button = 1; button <= 32; ++button) {
        script::SetPadButton(pad, button, true);
        script::AdvanceMs(1);
        int expected = button <= 10 ? listed[button - 1] : button <= 24 ? (1 << (button + 3)) : 0;
        EXPECT_EQ(GetPadState(1), expected) << "button " << button;
        script::SetPadButton(pad, button, false);
    }
}

TEST_F(PadTest, SelectorsPickThePadMergeTheKeyboardOnlyWithItsBitAndReadOncePerMs) {
    uint32_t pad = script::PlugPad();
    StartLayer();
    script::SetPadAxis(pad, script::kAxisX, -1000);
    script::SetPadButton(pad, 2, true);
    Press({205});  // Right
    struct Case {
        int selector, bits;
    };
    const Case cases[] = {
        {1, PAVEX_PAD_LEFT | 0x20},  // a pad alone never reports both sides
        {PAVEX_INPUT_KEY_PAD1, PAVEX_PAD_LEFT | PAVEX_PAD_RIGHT | 0x20},
        {PAVEX_INPUT_KEYBOARD, PAVEX_PAD_RIGHT},
        {PAVEX_INPUT_KEYBOARD | 2, PAVEX_PAD_RIGHT},
        {2, 0},
        {0, 0},
        {9, 0},
        {0x2001, 0},
        {0x7FFFEFFF, 0},
        {static_cast<int>(0x80000000u), 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetPadState(c.selector), c.bits) << "selector 0x" << std::hex << c.selector;
    }
    // The pad is read at most once per millisecond.
    int reads = script::PadReads(pad);
    script::SetPadButton(pad, 3, true);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(GetPadState(1), PAVEX_PAD_LEFT | 0x20);
    EXPECT_EQ(script::PadReads(pad), reads);
    script::AdvanceMs(1);
    EXPECT_EQ(GetPadState(1), PAVEX_PAD_LEFT | 0x20 | 0x40);
    EXPECT_EQ(script::PadReads(pad), reads + 1);
}

TEST_F(PadTest, PadsPluggedInOrPulledOutBetweenFramesAreRenumberedCleanly) {
    uint32_t first = script::PlugPad();
    StartLayer();
    script::SetPadAxis(first, script::kAxisX, -1000);
    script::AdvanceMs(1);
    EXPECT_EQ(GetPadState(2), 0);

    uint32_t second = script::PlugPad();
    script::SetPadButton(second, 2, true);
    script::FailNextPadOpen();  // a controller that cannot be opened is logged and skipped
    EXPECT_EQ(script::PlugPad(), 0u);
    EXPECT_EQ(ProcessMessage(), 0);
    script::AdvanceMs(1);
    EXPECT_EQ(GetPadState(1), PAVEX_PAD_LEFT);
    EXPECT_EQ(GetPadState(2), 0x20);
    EXPECT_EQ(GetPadState(3), 0);
    EXPECT_TRUE(LogContains("ジョイパッドの追加は正常に終了しました"));
    EXPECT_TRUE(LogContains("入力装置の取得に失敗しました"));

    script::UnplugPad(first);
    EXPECT_EQ(ProcessMessage(), 0);
    script::AdvanceMs(1);
    EXPECT_EQ(GetPadState(1), 0x20);
    EXPECT_EQ(GetPadState(2), 0);
    EXPECT_EQ(GetAnyKeyDown(), -1);

    // Pulled out with no pump in between: the very next query already sees it gone.
    script::UnplugPad(second);
    script::AdvanceMs(1);
    EXPECT_EQ(GetPadState(1), 0);
    EXPECT_EQ(GetPadState(PAVEX_INPUT_KEY_PAD1), 0);
    EXPECT_EQ(GetAnyKeyDown(), 0);
    EXPECT_EQ(StartPadVibration(1, 1000, -1), 0);
    EXPECT_EQ(StopPadVibration(1), 0);

    uint32_t again = script::PlugPad();  // a new pad with a new state
    script::AdvanceMs(1);
    EXPECT_EQ(GetPadState(1), 0);
    script::SetPadAxis(again, script::kAxisY, 1000);
    script::AdvanceMs(1);
    EXPECT_EQ(GetPadState(1), PAVEX_PAD_DOWN);
}

TEST_F(PadTest, PluggingAndPullingManyTimesNeverBreaksTheTable) {
    StartLayer();
    uint32_t ids[8] = {};
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

}  // namespace
