// The title and game-mode menus: cursor steps, latches, fades, Escape, the hidden
// sequence, and how the menus look.
#include <gtest/gtest.h>

#include "media/graphics/screen.h"
#include "pavex.h"
#include "shell/record_screen.h"
#include "shell/settings.h"
#include "shell/title_menu.h"
#include "tests/game/shell/scenes/golden.h"
#include "tests/game/shell/scenes/scene_driver.h"
#include "tests/support/scripted.h"

namespace {

using namespace scene;
using Effects_ = std::vector<int>;

class Menus : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        LinkData();
    }
};

TEST_F(Menus, TitleStepsOncePerPressStopsAtTheEndsAndFadesItemTwo) {
    SetScript([](const Now& now) {
        KeysByFrame({{0, {}},
                     {2, {kDown}},
                     {5, {}},
                     {6, {kDown}},
                     {7, {}},
                     {8, {kDown}},
                     {9, {}},
                     {10, {kDown}},
                     {11, {}},
                     {12, {kUp}},
                     {14, {}},
                     {15, {kZ}}})(now);
        // Frame 3 is the first drawn with the cursor on item 1.
        if (now.flipped && now.frame == 4) {
            EXPECT_TRUE(MatchesGolden("title"));
        }
    });
    EXPECT_EQ(RunTitleMenu(), 2);
    // Down on item 3 plays nothing; the held Up steps once.
    EXPECT_EQ(Effects(), (Effects_{2, 2, 2, 2, 3}));
    EXPECT_EQ(PresentedFrames(), 16 + 51);  // the fade to black
    EXPECT_EQ(ScreenDrawState().bright, 0u);
    // 17 ms per frame on the virtual clock.
    EXPECT_GE(script::SleptMs(), 67u * 16);
}

TEST_F(Menus, HeldDecideChoosesPlayAtOnceButWaitsForAReleaseInTheModeMenu) {
    SetScript(KeysByFrame({{0, {kZ}}}));
    EXPECT_EQ(RunTitleMenu(), 0);
    EXPECT_EQ(PresentedFrames(), 1);  // no fade for item 0
    SetScript([](const Now& now) {
        KeysByFrame(
            {{0, {kZ}}, {3, {}}, {4, {kDown}}, {5, {}}, {6, {kUp, kZ}}, {8, {}}, {9, {kUp, kZ}}})(
            now);
        if (now.flipped && now.frame == 6) {
            EXPECT_TRUE(MatchesGolden("game_mode"));
        }
    });
    // Up with Decide on item 1 steps up; on item 0 it chooses.
    EXPECT_EQ(RunGameModeMenu(), 0);
    EXPECT_EQ(Effects(), (Effects_{3, 2, 2, 3}));
    EXPECT_EQ(PresentedFrames(), 1 + 10 + 51);
    EXPECT_EQ(ScreenDrawState().bright, 0u);
}

TEST_F(Menus, EscapeEndsTheProgramOnlyWhenItIsTheOnlyKeyboardKey) {
    SetScript(KeysByFrame({{0, {kEscape, kZ}}}));
    EXPECT_EQ(RunTitleMenu(), 0);
    SetScript(KeysByFrame(
        {{0, {kEscape, kDown}}, {5, {}}, {6, {kEscape, kDown}}, {7, {}}, {8, {kEscape, kZ}}}));
    EXPECT_EQ(RunGameModeMenu(), 1);
    SetScript(KeysByFrame({{0, {}}, {3, {kEscape}}}));
    EXPECT_EXIT(RunTitleMenu(), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(RunGameModeMenu(), ::testing::ExitedWithCode(1), "");
}

TEST_F(Menus, HiddenSequenceCountsSingleButtonPressesOnce) {
    const int kX = 45, kC = 46, kA = 30, kS = 31;
    int background = 9;
    auto press = [&](std::vector<int> keys) {
        Hold(keys);
        script::AdvanceMs(1);
        CheckHiddenSequence(&background);
    };
    // X held from the start does not count: C, A, S after it are wrong buttons.
    for (auto keys : std::vector<std::vector<int>>{{kX}, {kX}, {}, {kC}, {}, {kA}, {}, {kS}, {}})
        press(keys);
    EXPECT_EQ(background, 9);
    // Counted once while held; a direction between two steps, a wrong button and two
    // buttons at once change nothing (and do not start the count again).
    for (auto keys : std::vector<std::vector<int>>{
             {kX}, {kX}, {}, {kDown}, {kC}, {}, {kS}, {}, {kX, kA}, {}, {kA}, {}})
        press(keys);
    EXPECT_EQ(background, 9);
    EXPECT_FALSE(ShowFps);
    press({kS});
    EXPECT_EQ(background, 1);
    EXPECT_TRUE(ShowFps);
    // Once per run.
    background = 9;
    for (auto keys : std::vector<std::vector<int>>{{}, {kX}, {}, {kC}, {}, {kA}, {}, {kS}})
        press(keys);
    EXPECT_EQ(background, 9);
}

TEST_F(Menus, RecordViewShowsTheBestRecordUntilDecide) {
    // The record scene is reached from the title after its fade (title item 2).
    SetScript([](const Now& now) {
        if (now.scene == "title")
            KeysByFrame({{0, {}}, {1, {kDown}}, {2, {}}, {3, {kDown}}, {4, {}}, {5, {kZ}}})(now);
        if (now.scene != "record") return;
        // Decide still held from the title: ignored until released.
        KeysByFrame({{0, {kZ}}, {4, {}}, {6, {kZ}}, {7, {}}})(now);
        if (now.flipped && now.frame == 5) {
            EXPECT_TRUE(MatchesGolden("record"));
        }
    });
    WriteFile("score.dat", {0x87, 0xD6, 0x12, 0, 123, 0, 0, 0, 45, 0, 0, 0});  // 1234567
    ASSERT_EQ(RunTitleMenu(), 2);
    ShowBestRecord();
    EXPECT_EQ(Scenes(), (std::vector<std::string>{"title", "record"}));
    EXPECT_EQ(PresentedFrames(), 6 + 51 + 7);
    // Escape leaves the view too, and is released before the title is back.
    SetScript(KeysByFrame({{0, {}}, {2, {kEscape}}, {3, {}}}));
    ShowBestRecord();
    EXPECT_EQ(IsKeyDown(kEscape), 0);
}

}  // namespace
