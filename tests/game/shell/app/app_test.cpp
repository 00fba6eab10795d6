// The program's start-up and ways out, on the scripted platform.
#include <gtest/gtest.h>

#include "media/core/frame.h"
#include "media/graphics/screen.h"
#include "pavex.h"
#include "shell/app.h"
#include "tests/support/scripted.h"
#include "tests/support/temp_dir.h"

namespace {

class App : public ::testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        script::Reset();
        FrameResetDefaults();
    }
    void TearDown() override { EndMediaLayer(); }
    TempDir dir;
};

TEST_F(App, StartUpLeavesTheLayerReadyForTheScenes) {
    ASSERT_EQ(StartUpApplication(), 1);
    EXPECT_STREQ(script::WindowTitle(), "VORLANE v0.53");
    int w = 0, h = 0;
    GetScreenSize(&w, &h);
    const DrawState d = ScreenDrawState();
    EXPECT_EQ(std::vector<int>({script::WindowOpen(), FrameIsWindowed(), FrameAlwaysRun(), w, h,
                                d.target, d.clip.x1, d.clip.y1, d.clip.x2, d.clip.y2}),
              std::vector<int>({1, 1, 1, 800, 600, PAVEX_SCREEN_BACK, 0, 0, 800, 600}));
    // No wait for the vertical blank: the scenes pace themselves.
    const uint64_t slept = script::SleptMs();
    ASSERT_EQ(FlipScreen(), 0);
    EXPECT_EQ(script::SleptMs(), slept);
}

TEST_F(App, AFailedStartUpReturnsMinusOneAndEscapeOrAClosedWindowExitWithOne) {
    script::SetDesktop(1920, 1080, 24);  // the layer refuses 24-bit desktops
    EXPECT_EQ(RunApplication(), -1);
    EXPECT_FALSE(script::WindowOpen());
    script::Reset();
    EXPECT_EXIT((script::SetKey(1, true), RunApplication()), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT((script::RequestClose(), RunApplication()), ::testing::ExitedWithCode(1), "");
}

}  // namespace
