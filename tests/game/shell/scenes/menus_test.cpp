// The title and game-mode menus: cursor steps, latches, fades, Escape, the hidden
// sequence, the record view, and how they look.
#include "media/graphics/screen.h"
#include "shell/record_screen.h"
#include "shell/settings.h"
#include "shell/title_menu.h"
#include "tests/game/golden.h"
#include "tests/game/shell/scenes/scene_driver.h"

namespace {

using namespace scene;
using Menus = SceneTest;

// Runs `script` and compares the frame presented as number `frame` with `golden`.
Script WithGolden(Script script, int frame, const char* golden) {
    return [=](const Now& now) {
        script(now);
        if (now.flipped && now.frame == frame) ExpectGolden(golden);
    };
}

TEST_F(Menus, TitleStepsOncePerPressStopsAtTheEndsAndFadesItemTwo) {
    // Down held three frames, three more presses (the last on item 3), Up held two.
    // clang-format off
    SetScript(WithGolden(KeysByFrame({{0, {}}, {2, {kDown}}, {5, {}}, {6, {kDown}}, {7, {}},
                                      {8, {kDown}}, {9, {}}, {10, {kDown}}, {11, {}},
                                      {12, {kUp}}, {14, {}}, {15, {kZ}}}), 4, "title"));
    // clang-format on
    EXPECT_EQ(RunTitleMenu(), 2);
    EXPECT_EQ(seen.effects, (Keys{2, 2, 2, 2, 3}));
    EXPECT_EQ(seen.presented, 16 + 51);  // the fade to black
    EXPECT_EQ(ScreenDrawState().bright, 0u);
    EXPECT_GE(script::SleptMs(), 67u * 16);  // 17 ms per frame on the virtual clock
}

TEST_F(Menus, HeldDecideChoosesPlayAtOnceButWaitsForAReleaseInTheModeMenuEscapeOnlyAlone) {
    // Down held from before the title moves nothing; Decide needs no release there.
    SetScript(KeysByFrame({{0, {kDown}}, {2, {kZ}}}));
    EXPECT_EQ(RunTitleMenu(), 0);
    EXPECT_EQ(seen.presented, 3);  // no fade for item 0
    // Up with Decide on item 1 steps up; on item 0 it chooses.
    SetScript(WithGolden(
        KeysByFrame(
            {{0, {kZ}}, {3, {}}, {4, {kDown}}, {5, {}}, {6, {kUp, kZ}}, {8, {}}, {9, {kUp, kZ}}}),
        6, "game_mode"));
    EXPECT_EQ(RunGameModeMenu(), 0);
    EXPECT_EQ(seen.effects, (Keys{3, 2, 2, 3}));
    EXPECT_EQ(seen.presented, 3 + 10 + 51);

    // Escape ends the program only when it is the only keyboard key down.
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
    auto press = [&](std::vector<Keys> steps) {
        for (const Keys& keys : steps) {
            Hold(keys);
            script::AdvanceMs(1);
            CheckHiddenSequence(&background);
        }
    };
    // X held from the start does not count: C, A, S after it are wrong buttons.
    press({{kX}, {kX}, {}, {kC}, {}, {kA}, {}, {kS}, {}});
    // Counted once while held (S right after A, unreleased, is not counted); a
    // direction between two steps, a wrong button and two buttons at once change
    // nothing (and do not start the count again).
    press({{kX}, {kX}, {}, {kDown}, {kC}, {}, {kS}, {}, {kX, kA}, {}, {kA}, {kS}, {}});
    EXPECT_TRUE(background == 9 && !ShowFps);
    press({{kS}});
    EXPECT_TRUE(background == 1 && ShowFps);
    background = 9;  // once per run
    press({{}, {kX}, {}, {kC}, {}, {kA}, {}, {kS}});
    EXPECT_EQ(background, 9);
}

TEST_F(Menus, RecordViewShowsTheBestRecordUntilDecide) {
    // Title item 2 leads to the record; Decide still held from the title is ignored
    // until released.
    SetScript(
        [record = WithGolden(KeysByFrame({{0, {kZ}}, {4, {}}, {6, {kZ}}, {7, {}}}), 5, "record"),
         title = Taps({kDown, kDown, kZ})](const Now& now) {
            (now.scene == "record" ? record : title)(now);
        });
    WriteFile("score.dat", {0x87, 0xD6, 0x12, 0, 123, 0, 0, 0, 45, 0, 0, 0});  // 1234567
    ASSERT_EQ(RunTitleMenu(), 2);
    ShowBestRecord();
    EXPECT_EQ(seen.presented, 6 + 51 + 7);
    // Escape leaves the view too, and is released before the title is back.
    SetScript(Taps({kEscape}, 2));
    ShowBestRecord();
    EXPECT_EQ(IsKeyDown(kEscape), 0);
}

}  // namespace
