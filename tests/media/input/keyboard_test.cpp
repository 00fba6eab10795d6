// keyboard_test.cpp - the key state, the keyboard queries and the keyboard side of
// GetPadState, through the public calls on the scripted platform.
#include <string.h>

#include "tests/media/input/input_fixture.h"

namespace {

constexpr int kEscape = 1, kZ = 44, kF1 = 59, kKanji = 148;
constexpr int kUp = 200, kLeft = 203, kRight = 205, kDown = 208;

using KeyboardTest = InputTest;

TEST_F(KeyboardTest, KeysMergeIntoPadBitsTheSameWithAndWithoutPadOne) {
    StartLayer();
    struct Case {
        std::vector<int> keys;
        int bits;
    };
    // The merged keys as the game's input rules list them; no pad is attached.
    const Case cases[] = {
        {{80}, 0x1},
        {{208}, 0x1},
        {{75}, 0x2},
        {{203}, 0x2},
        {{77}, 0x4},
        {{205}, 0x4},
        {{72}, 0x8},
        {{200}, 0x8},
        {{44}, 0x10},
        {{45}, 0x20},
        {{46}, 0x40},
        {{30}, 0x80},
        {{31}, 0x100},
        {{32}, 0x200},
        {{16}, 0x400},
        {{17}, 0x800},
        {{1}, 0x1000},
        {{57}, 0x2000},
        {{kF1, 18}, 0},
        {{}, 0},
        {{kLeft, kRight}, 0x2 | 0x4},
        {{kUp, 80}, 0x8 | 0x1},
        {{kLeft, kZ, kEscape}, 0x2 | 0x10 | 0x1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "keys from " << (c.keys.empty() ? 0 : c.keys[0]));
        Press(c.keys);
        EXPECT_EQ(GetPadState(PAVEX_INPUT_KEYBOARD), c.bits);
        EXPECT_EQ(GetPadState(PAVEX_INPUT_KEY_PAD1), c.bits);
        EXPECT_EQ(GetPadState(1), 0);
    }
}

TEST_F(KeyboardTest, KeyQueriesReportOnlyDownKeysAndOneStatePerMillisecond) {
    StartLayer();
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
    script::SetKey(kDown, false);  // the clock has not moved
    EXPECT_EQ(IsKeyDown(kDown), 1);
    EXPECT_EQ(GetPadState(PAVEX_INPUT_KEYBOARD), PAVEX_PAD_DOWN);
    EXPECT_EQ(GetAnyKeyDown(), kDown);
    script::AdvanceMs(1);
    EXPECT_EQ(IsKeyDown(kDown), 0);
    EXPECT_EQ(GetPadState(PAVEX_INPUT_KEYBOARD), 0);
}

TEST_F(KeyboardTest, AnyKeyGivesTheLowestCodeElseMinusOneForAPadOrMouseButton) {
    uint32_t pad = script::PlugPad();
    StartLayer();
    struct Case {
        std::vector<int> keys;
        bool padButton;
        int padY;
        bool mouse;
        int expected;
    };
    const Case cases[] = {
        {{}, false, 0, false, 0},
        {{kKanji}, false, 0, false, 0},
        {{kKanji, kRight}, false, 0, false, kRight},
        {{kRight, kZ}, false, 0, false, kZ},
        {{}, true, 0, false, -1},
        {{kEscape}, true, 0, false, kEscape},
        {{}, false, 1000, false, -1},
        {{}, false, 0, true, -1},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        script::SetPadButton(pad, 1, cases[i].padButton);
        script::SetPadAxis(pad, script::kAxisY, cases[i].padY);
        script::SetMouseButton(3, cases[i].mouse);
        Press(cases[i].keys);
        EXPECT_EQ(GetAnyKeyDown(), cases[i].expected);
    }
}

TEST_F(KeyboardTest, AQueryBeforeStartUpStartsInputAndReturnsItsResult) {
    script::SetKey(kEscape, true);
    EXPECT_EQ(IsKeyDown(kEscape), 0);  // the start-up result, not the key
    uint8_t keys[256];
    memset(keys, 0xEE, sizeof keys);
    EXPECT_EQ(GetKeyStateAll(keys), 0);
    EXPECT_EQ(keys[kEscape] & 0xFE, 0);
    StartLayer();
    script::AdvanceMs(1);
    EXPECT_EQ(IsKeyDown(kEscape), 1);
}

TEST_F(KeyboardTest, StartUpAndShutdownAreLoggedInOrder) {
    script::PlugPad(true, "First Pad");
    script::PlugPad(false, "Second Pad");
    StartLayer();
    EXPECT_FALSE(LogContains("DirectInput 関連の終了処理"));
    EndLayer();
    const char* const lines[] = {
        "DirectInput関係初期化処理",
        "キーボードデバイスの初期化... 成功",
        "マウスデバイスの初期化... 成功",
        "ジョイパッドの初期化... ",
        "入力装置を見つけました",
        "デバイスの登録名:First Pad",
        "ジョイパッドの追加は正常に終了しました",
        "デバイスの製品登録名:Second Pad",
        "ジョイパッドの初期化は正常に終了しました",
        "パッドの数は 2 個です",
        "DirectInput 関連の初期化は正常に終了しました",
        "入力関連の初期化をしました",
        "DirectInput 関連の終了処理... 完了",
    };
    std::string log = LogText();
    size_t at = 0;
    for (const char* line : lines) {
        at = log.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << " missing or out of order in\n" << log;
    }
}

}  // namespace
