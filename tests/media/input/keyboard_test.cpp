// keyboard_test.cpp - the key state, the keyboard queries and the keyboard side of
// GetPadState, through the public calls on the scripted platform.
#include <stdint.h>
#include <string.h>

#include "tests/media/input/input_fixture.h"

namespace {

// The keys GetPadState merges with 0x1000, and their bits, as the game's input
// rules list them.
struct MergedKey {
    int code;
    int bit;
};
// clang-format off
const MergedKey kMergedKeys[] = {
    {80, 0x1},    {208, 0x1},   {75, 0x2},     {203, 0x2},    {77, 0x4},  {205, 0x4},
    {72, 0x8},    {200, 0x8},   {44, 0x10},    {45, 0x20},    {46, 0x40}, {30, 0x80},
    {31, 0x100},  {32, 0x200},  {16, 0x400},   {17, 0x800},   {1, 0x1000}, {57, 0x2000},
};
// clang-format on

constexpr int kEscape = 1;
constexpr int kZ = 44;
constexpr int kF1 = 59;
constexpr int kLeft = 203;
constexpr int kRight = 205;
constexpr int kUp = 200;
constexpr int kDown = 208;
constexpr int kKanji = 148;

using KeyboardTest = InputTest;

TEST_F(KeyboardTest, EachMergedKeySetsItsOwnBitAndNothingElse) {
    StartLayer();
    for (const MergedKey& key : kMergedKeys) {
        script::ReleaseAllKeys();
        script::SetKey(key.code, true);
        NextMillisecond();
        EXPECT_EQ(GetPadState(PAVEX_INPUT_KEYBOARD), key.bit) << "key code " << key.code;
    }
    // Keys outside the table add nothing.
    script::ReleaseAllKeys();
    script::SetKey(kF1, true);
    script::SetKey(18, true);  // E
    NextMillisecond();
    EXPECT_EQ(GetPadState(PAVEX_INPUT_KEYBOARD), 0);
}

TEST_F(KeyboardTest, KeyboardBitsWithoutPadsAreTheSameForBothSelectors) {
    StartLayer();
    script::SetKey(kLeft, true);
    script::SetKey(kZ, true);
    script::SetKey(kEscape, true);
    NextMillisecond();
    EXPECT_EQ(GetPadState(PAVEX_INPUT_KEYBOARD), 0x2 | 0x10 | 0x1000);
    EXPECT_EQ(GetPadState(PAVEX_INPUT_KEY_PAD1), 0x2 | 0x10 | 0x1000);
    // Without the keyboard bit and without pads nothing is read.
    EXPECT_EQ(GetPadState(1), 0);
}

TEST_F(KeyboardTest, OppositeArrowsTogetherGiveBothBits) {
    StartLayer();
    script::SetKey(kLeft, true);
    script::SetKey(kRight, true);
    NextMillisecond();
    EXPECT_EQ(GetPadState(PAVEX_INPUT_KEYBOARD), PAVEX_PAD_LEFT | PAVEX_PAD_RIGHT);

    script::ReleaseAllKeys();
    script::SetKey(kUp, true);
    script::SetKey(80, true);  // numeric-pad 2
    NextMillisecond();
    EXPECT_EQ(GetPadState(PAVEX_INPUT_KEYBOARD), PAVEX_PAD_UP | PAVEX_PAD_DOWN);
}

TEST_F(KeyboardTest, IsKeyDownAndGetKeyStateAllReportOnlyDownKeys) {
    StartLayer();
    script::SetKey(kEscape, true);
    script::SetKey(kF1, true);
    NextMillisecond();
    EXPECT_EQ(IsKeyDown(kEscape), 1);
    EXPECT_EQ(IsKeyDown(kF1), 1);
    EXPECT_EQ(IsKeyDown(kZ), 0);
    EXPECT_EQ(IsKeyDown(-1), 0);
    EXPECT_EQ(IsKeyDown(256), 0);

    uint8_t keys[256];
    memset(keys, 0xEE, sizeof keys);
    EXPECT_EQ(GetKeyStateAll(keys), 0);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(keys[i], (i == kEscape || i == kF1) ? 1 : 0) << "key code " << i;
    }
    EXPECT_EQ(GetKeyStateAll(nullptr), -1);
}

TEST_F(KeyboardTest, QueriesWithinOneMillisecondSeeOneState) {
    StartLayer();
    script::SetKey(kDown, true);
    NextMillisecond();
    ASSERT_EQ(IsKeyDown(kDown), 1);
    // The key goes up, but the clock has not moved: every query still sees it down.
    script::SetKey(kDown, false);
    EXPECT_EQ(IsKeyDown(kDown), 1);
    EXPECT_EQ(GetPadState(PAVEX_INPUT_KEYBOARD), PAVEX_PAD_DOWN);
    EXPECT_EQ(GetAnyKeyDown(), kDown);
    NextMillisecond();
    EXPECT_EQ(IsKeyDown(kDown), 0);
    EXPECT_EQ(GetPadState(PAVEX_INPUT_KEYBOARD), 0);
}

TEST_F(KeyboardTest, AnyKeyGivesTheLowestCodeAndSkipsTheKanjiKey) {
    StartLayer();
    EXPECT_EQ(GetAnyKeyDown(), 0);

    script::SetKey(kKanji, true);
    NextMillisecond();
    EXPECT_EQ(GetAnyKeyDown(), 0);

    script::SetKey(kRight, true);
    NextMillisecond();
    EXPECT_EQ(GetAnyKeyDown(), kRight);

    script::SetKey(kZ, true);
    NextMillisecond();
    EXPECT_EQ(GetAnyKeyDown(), kZ);
}

TEST_F(KeyboardTest, AnyKeyGivesMinusOneForAPadButtonOrAMouseButton) {
    uint32_t pad = script::PlugPad();
    StartLayer();
    script::SetPadButton(pad, 1, true);
    NextMillisecond();
    EXPECT_EQ(GetAnyKeyDown(), -1);

    // A key down wins over the pad.
    script::SetKey(kEscape, true);
    NextMillisecond();
    EXPECT_EQ(GetAnyKeyDown(), kEscape);

    script::SetKey(kEscape, false);
    script::SetPadButton(pad, 1, false);
    script::SetPadAxis(pad, script::kAxisY, 1000);
    NextMillisecond();
    EXPECT_EQ(GetAnyKeyDown(), -1);

    script::SetPadAxis(pad, script::kAxisY, 0);
    script::SetMouseButton(3, true);
    NextMillisecond();
    EXPECT_EQ(GetAnyKeyDown(), -1);

    script::SetMouseButton(3, false);
    NextMillisecond();
    EXPECT_EQ(GetAnyKeyDown(), 0);
}

TEST_F(KeyboardTest, AQueryBeforeStartUpStartsInputAndReturnsItsResult) {
    script::SetKey(kEscape, true);
    // The first query starts input and answers with the start-up result, not a state.
    EXPECT_EQ(IsKeyDown(kEscape), 0);
    uint8_t keys[256];
    memset(keys, 0xEE, sizeof keys);
    EXPECT_EQ(GetKeyStateAll(keys), 0);
    EXPECT_EQ(keys[kEscape] & 0xFE, 0);
    // The layer starts normally afterwards, and its shutdown ends input.
    StartLayer();
    NextMillisecond();
    EXPECT_EQ(IsKeyDown(kEscape), 1);
    EndMediaLayer();
    started_ = false;
    EXPECT_TRUE(LogContains("DirectInput 関連の終了処理... 完了"));
}

TEST_F(KeyboardTest, StartUpAndShutdownAreLogged) {
    script::PlugPad(true, "First Pad");
    script::PlugPad(false, "Second Pad");
    StartLayer();
    EXPECT_TRUE(LogContains("キーボードデバイスの初期化... 成功"));
    EXPECT_TRUE(LogContains("マウスデバイスの初期化... 成功"));
    EXPECT_TRUE(LogContains("入力装置を見つけました"));
    EXPECT_TRUE(LogContains("デバイスの登録名:First Pad"));
    EXPECT_TRUE(LogContains("デバイスの製品登録名:Second Pad"));
    EXPECT_TRUE(LogContains("ジョイパッドの初期化は正常に終了しました"));
    EXPECT_TRUE(LogContains("パッドの数は 2 個です"));
    EXPECT_TRUE(LogContains("入力関連の初期化をしました"));
    EXPECT_FALSE(LogContains("DirectInput 関連の終了処理... 完了"));
    EndMediaLayer();
    started_ = false;
    EXPECT_TRUE(LogContains("DirectInput 関連の終了処理... 完了"));
}

}  // namespace
