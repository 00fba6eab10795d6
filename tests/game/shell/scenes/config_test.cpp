// The configuration screen: its editing rules, wrapping, saving and leaving.
#include <gtest/gtest.h>

#include <string.h>

#include <fstream>
#include <iterator>

#include "pavex.h"
#include "shell/config_screen.h"
#include "shell/settings.h"
#include "tests/game/shell/scenes/golden.h"
#include "tests/game/shell/scenes/scene_driver.h"
#include "tests/support/scripted.h"

namespace {

using namespace scene;

std::vector<uint8_t> FileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Config : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        LinkData();
    }
};

TEST_F(Config, EditingKeepsTheRangesAndRightBeforeLeft) {
    GameSettings& s = gameSettings;
    const int R = PAVEX_PAD_RIGHT, L = PAVEX_PAD_LEFT;
    s.Difficulty = 3;
    EditConfigValue(0, R);
    EXPECT_EQ(s.Difficulty, 3);
    EditConfigValue(0, L);
    EXPECT_EQ(s.Difficulty, 2);
    s.Difficulty = 0;
    EditConfigValue(0, L);
    EXPECT_EQ(s.Difficulty, 0);
    EditConfigValue(0, R | L);  // up, then down again
    EXPECT_EQ(s.Difficulty, 0);
    // Right makes the sideways repeat faster (fewer frames), Left slower.
    s.MoveSensitivity = 4;
    EditConfigValue(1, R);
    EditConfigValue(1, R);
    EXPECT_EQ(s.MoveSensitivity, 3);
    for (int i = 0; i < 5; ++i) EditConfigValue(1, L);
    EXPECT_EQ(s.MoveSensitivity, 6);
    // A value from a hand-edited file is brought into range before the step.
    s.Difficulty = 40;
    EditConfigValue(0, L);
    EXPECT_EQ(s.Difficulty, 2);
    s.MoveSensitivity = -8;
    EditConfigValue(1, L);
    EXPECT_EQ(s.MoveSensitivity, 4);
    // Switches: Right off, Left on, both on.
    EditConfigValue(2, R);
    EXPECT_FALSE(s.ShowLandingPoint);
    EditConfigValue(3, L);
    EXPECT_TRUE(s.ShowGrid);
    EditConfigValue(4, R | L);
    EXPECT_TRUE(s.PadVibration);
    const GameSettings before = s;
    EditConfigValue(5, L);
    EditConfigValue(6, R);
    EditConfigValue(7, L);
    EXPECT_EQ(memcmp(&before, &s, sizeof s), 0);
}

TEST_F(Config, CursorWrapsEditsOncePerPressAndTheLastItemSaves) {
    SetScript([](const Now& now) {
        // Right held four frames raises Difficulty once; Up on item 0 wraps to 6 and
        // Down there back to 0; Decide on item 5 does nothing.
        KeysByFrame({{0, {}},  {1, {kRight}}, {5, {}},  {6, {kDown}}, {7, {}},  {8, {kRight}},
                     {9, {}},  {10, {kUp}},   {11, {}}, {12, {kUp}},  {13, {}}, {14, {kDown}},
                     {15, {}}, {16, {kUp}},   {17, {}}, {18, {kUp}},  {19, {}}, {20, {kZ}},
                     {21, {}}, {22, {kDown}}, {23, {}}, {24, {kZ}},   {25, {}}})(now);
        // Item 1 (the bar at 3: empty) with Difficulty raised to HARD.
        if (now.flipped && now.frame == 10) {
            EXPECT_TRUE(MatchesGolden("config"));
        }
    });
    RunConfigScreen();
    EXPECT_EQ(Effects(), (std::vector<int>{2, 2, 2, 2, 2, 2, 2, 3}));
    EXPECT_EQ(FileBytes("vorlane.cfg"),
              (std::vector<uint8_t>{2, 0, 0, 0, 3,  0, 0, 0, 1,   0, 0, 0, 0,   0, 0, 0,
                                    0, 0, 0, 0, 40, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0}));
}

TEST_F(Config, EscapeAndAClosedWindowLeaveWithoutSaving) {
    SetScript(KeysByFrame({{0, {}}, {1, {kRight}}, {2, {}}, {3, {kEscape}}}));
    RunConfigScreen();
    EXPECT_EQ(gameSettings.Difficulty, 2);  // edited in memory only
    Hold({});
    SetScript([](const Now& now) {
        if (now.frame == 2) script::RequestClose();
    });
    RunConfigScreen();
    EXPECT_TRUE(FileBytes("vorlane.cfg").empty());
}

}  // namespace
