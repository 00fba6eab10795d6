// The program's start-up and ways out, on the scripted platform.
#include <gtest/gtest.h>

#include "shell/app.h"
#include "media/core/frame.h"
#include "media/graphics/screen.h"
#include "pavex.h"
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
    EXPECT_TRUE(script::WindowOpen());
    EXPECT_STREQ(script::WindowTitle(), "VORLANE v0.53");
    EXPECT_EQ(FrameIsWindowed(), 1);
    EXPECT_EQ(FrameAlwaysRun(), 1);
    int w = 0, h = 0;
    GetScreenSize(&w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    const DrawState d = ScreenDrawState();
    EXPECT_EQ(d.target, PAVEX_SCREEN_BACK);
    const ClipRect clip = d.clip;
    EXPECT_EQ(clip.x1, 0);
    EXPECT_EQ(clip.y1, 0);
    EXPECT_EQ(clip.x2, 800);
    EXPECT_EQ(clip.y2, 600);
    // No wait for the vertical blank: the scenes pace themselves.
    uint64_t slept = script::SleptMs();
    ASSERT_EQ(FlipScreen(), 0);
    EXPECT_EQ(script::SleptMs(), slept);
    EXPECT_EQ(script::LastPresented().width, 800);
}

TEST_F(App, FailedStartUpReturnsMinusOne) {
    script::SetDesktop(1920, 1080, 24);  // the layer refuses 24-bit desktops
    EXPECT_EQ(RunApplication(), -1);
    EXPECT_FALSE(script::WindowOpen());
}

TEST_F(App, EscapeHeldEndsTheProgramWithExitCodeOne) {
    EXPECT_EXIT(
        {
            script::SetKey(1, true);
            RunApplication();
        },
        ::testing::ExitedWithCode(1), "");
}

TEST_F(App, ClosedWindowEndsTheProgramWithExitCodeOne) {
    EXPECT_EXIT(
        {
            script::RequestClose();
            RunApplication();
        },
        ::testing::ExitedWithCode(1), "");
}

}  // namespace
