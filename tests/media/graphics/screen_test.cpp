// Screen: mode validation and spacing, clip rectangle, brightness, draw targets,
// clear and flip - on the scripted platform (virtual clock, frames kept).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "media/core/frame.h"
#include "media/core/tracked_alloc.h"
#include "media/graphics/screen.h"
#include "pavex.h"
#include "media/platform/plat_instance.h"
#include "media/platform/plat_system.h"
#include "tests/support/scripted.h"
#include "tests/support/temp_dir.h"

namespace {

class Screen : public ::testing::Test {
protected:
    void SetUp() override {
        script::Reset();
        FrameResetDefaults();
        ChangeWindowMode(1);
        SetAllowDoubleStart(1);
    }
    void TearDown() override { EndMediaLayer(); }
    void Start() {
        ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
        ASSERT_EQ(InitMediaLayer(), 0);
    }
    TempDir dir;
};

void ExpectSize(int w, int h) {
    int gotW = -7, gotH = -7;
    EXPECT_EQ(GetScreenSize(&gotW, &gotH), 0);
    EXPECT_EQ(gotW, w);
    EXPECT_EQ(gotH, h);
}

void ExpectClip(int x1, int y1, int x2, int y2) {
    ClipRect c = ScreenClip();
    EXPECT_EQ(c.x1, x1);
    EXPECT_EQ(c.y1, y1);
    EXPECT_EQ(c.x2, x2);
    EXPECT_EQ(c.y2, y2);
}

// ---- mode settings ----

TEST_F(Screen, SizeIs640By480WhenNoneWasChosen) {
    ExpectSize(640, 480);
    EXPECT_EQ(GetScreenSize(nullptr, nullptr), 0);
    int w = 0;
    EXPECT_EQ(GetScreenSize(&w, nullptr), 0);
    EXPECT_EQ(w, 640);
}

TEST_F(Screen, InvalidModesAreRefusedAndChangeNothing) {
    ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
    EXPECT_EQ(SetScreenMode(800, 600, 24, 60), -1);
    EXPECT_EQ(SetScreenMode(0, 600, 32, 60), -1);
    EXPECT_EQ(SetScreenMode(800, 0, 32, 60), -1);
    EXPECT_EQ(SetScreenMode(-5, 600, 32, 60), -1);
    EXPECT_EQ(SetScreenMode(100000, 600, 32, 60), -1);
    EXPECT_EQ(SetScreenMode(800, 600, 0, 60), -1);
    EXPECT_EQ(SetScreenMode(800, 600, 15, 60), -1);
    EXPECT_EQ(SetScreenMode(800, 600, 32, -2), -1);
    ExpectSize(800, 600);

    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_EQ(SetScreenMode(1024, 768, 24, 60), -1);
    EXPECT_EQ(SetScreenMode(0, 768, 32, 60), -1);
    ExpectSize(800, 600);
    ASSERT_EQ(SelectDrawTarget(PAVEX_SCREEN_BACK), 0);
    ASSERT_EQ(FlipScreen(), 0);
    EXPECT_EQ(script::LastPresented().width, 800);
}

TEST_F(Screen, AllMinusOneKeepsTheMode) {
    Start();
    uint32_t before = script::NowMs();
    EXPECT_EQ(SetScreenMode(-1, -1, -1, -1), 0);
    ExpectSize(800, 600);
    EXPECT_EQ(script::NowMs(), before);  // nothing changed, so nothing was rebuilt
    EXPECT_EQ(SetScreenMode(640, -1, -1, -1), 0);
    ExpectSize(640, 600);
}

TEST_F(Screen, ModeChangesAreSpacedByTwoSeconds) {
    Start();
    ASSERT_EQ(SetScreenMode(640, 480, 32, 60), 0);
    uint32_t first = script::NowMs();
    script::AdvanceMs(500);
    ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
    EXPECT_EQ(script::NowMs(), first + 2060);
    // Long after the last change only the short settling pause remains.
    script::AdvanceMs(2500);
    uint32_t before = script::NowMs();
    ASSERT_EQ(SetScreenMode(640, 480, 32, 60), 0);
    EXPECT_EQ(script::NowMs(), before + 60);
}

TEST_F(Screen, ModeChangeRebuildsTheSurfaces) {
    Start();
    ASSERT_EQ(SetScreenMode(640, 480, 16, 0), 0);
    ExpectSize(640, 480);
    EXPECT_EQ(SelectDrawTarget(PAVEX_SCREEN_BACK), 0);
    ExpectClip(0, 0, 640, 480);
    ASSERT_EQ(FlipScreen(), 0);
    EXPECT_EQ(script::LastPresented().width, 640);
    EXPECT_EQ(script::LastPresented().height, 480);
    EXPECT_TRUE(script::WindowOpen());
}

// ---- clip rectangle and brightness ----

TEST_F(Screen, ClipRectangleIsNormalisedAndClamped) {
    Start();
    EXPECT_EQ(SetClipRect(800, 600, 0, 0), 0);
    ExpectClip(0, 0, 800, 600);
    EXPECT_EQ(ScreenClipEmpty(), 0);
    EXPECT_EQ(SetClipRect(-50, 700, 9000, -3), 0);
    ExpectClip(0, 0, 800, 600);
    EXPECT_EQ(SetClipRect(300, 20, 100, 10), 0);
    ExpectClip(100, 10, 300, 20);
}

TEST_F(Screen, ClipWithoutAreaDrawsNothing) {
    Start();
    EXPECT_EQ(SetClipRect(10, 10, 10, 50), 0);
    EXPECT_EQ(ScreenClipEmpty(), 1);
    EXPECT_EQ(SetClipRect(10, 10, 20, 50), 0);
    EXPECT_EQ(ScreenClipEmpty(), 0);
    EXPECT_EQ(SetClipRect(900, 10, 1000, 50), 0);  // wholly outside: clamped to no width
    EXPECT_EQ(ScreenClipEmpty(), 1);
    // Selecting a target makes the clip the whole target again.
    ASSERT_EQ(SelectDrawTarget(PAVEX_SCREEN_BACK), 0);
    EXPECT_EQ(ScreenClipEmpty(), 0);
    ExpectClip(0, 0, 800, 600);
}

TEST_F(Screen, BrightnessIsClampedPerChannel) {
    EXPECT_EQ(SetDrawBrightness(300, -5, 128), 0);
    EXPECT_EQ(ScreenDrawBright(), 0xFF0080u);
    Start();
    EXPECT_EQ(ScreenDrawBright(), 0xFFFFFFu);  // start-up puts it back to no change
    EXPECT_EQ(SetDrawBrightness(1, 2, 3), 0);
    EXPECT_EQ(ScreenDrawBright(), 0x010203u);
}

// ---- draw targets, clear and flip ----

TEST_F(Screen, ClearAndFlipFailBeforeStartUp) {
    EXPECT_EQ(ClearScreen(), -1);
    EXPECT_EQ(FlipScreen(), -1);
    EXPECT_EQ(SelectDrawTarget(PAVEX_SCREEN_BACK), -1);
    EXPECT_EQ(SetClipRect(0, 0, 800, 600), 0);
    EXPECT_EQ(SetFlipWaitsVBlank(0), 0);
    EXPECT_EQ(script::PresentedCount(), 0);
}

TEST_F(Screen, OnlyFrontAndBackAreDrawTargets) {
    Start();
    ASSERT_EQ(SelectDrawTarget(PAVEX_SCREEN_BACK), 0);
    EXPECT_EQ(SelectDrawTarget(0), -1);
    EXPECT_EQ(SelectDrawTarget(-3), -1);
    EXPECT_EQ(SelectDrawTarget(0x08010005), -1);
    EXPECT_EQ(ScreenDrawTarget(), PAVEX_SCREEN_BACK);
    EXPECT_EQ(SelectDrawTarget(PAVEX_SCREEN_FRONT), 0);
    EXPECT_EQ(ScreenDrawTarget(), PAVEX_SCREEN_FRONT);
}

TEST_F(Screen, FlipPresentsTheBackScreenPixelForPixel) {
    Start();
    SetFlipWaitsVBlank(0);
    ASSERT_EQ(SelectDrawTarget(PAVEX_SCREEN_BACK), 0);
    DrawSurface back = ScreenDrawSurface();
    ASSERT_NE(back.pixels, nullptr);
    ASSERT_EQ(back.width, 800);
    ASSERT_EQ(back.height, 600);
    for (int y = 0; y < back.height; ++y)
        for (int x = 0; x < back.width; ++x)
            back.pixels[y * (back.pitch / 4) + x] = static_cast<uint32_t>((x * 7) ^ (y << 12));
    int before = script::PresentedCount();
    ASSERT_EQ(FlipScreen(), 0);
    ASSERT_EQ(script::PresentedCount(), before + 1);
    const script::Frame& shown = script::LastPresented();
    ASSERT_EQ(shown.width, 800);
    ASSERT_EQ(shown.height, 600);
    for (int y = 0; y < 600; y += 37)
        for (int x = 0; x < 800; x += 13)
            ASSERT_EQ(shown.pixels[y * 800 + x], static_cast<uint32_t>((x * 7) ^ (y << 12)))
                << x << "," << y;

    // Clearing the back screen leaves the finished picture on the front screen.
    ASSERT_EQ(ClearScreen(), 0);
    EXPECT_EQ(back.pixels[123 * 800 + 456], 0u);
    DrawSurface front = ScreenSurface(PAVEX_SCREEN_FRONT);
    EXPECT_EQ(front.pixels[123 * 800 + 456], static_cast<uint32_t>((456 * 7) ^ (123 << 12)));
    ASSERT_EQ(FlipScreen(), 0);
    EXPECT_EQ(script::LastPresented().pixels[123 * 800 + 456], 0u);
}

TEST_F(Screen, FlipWithoutVBlankWaitNeverSleeps) {
    Start();
    SetFlipWaitsVBlank(0);
    SelectDrawTarget(PAVEX_SCREEN_BACK);
    uint64_t slept = script::SleptMs();
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(ClearScreen(), 0);
        ASSERT_EQ(FlipScreen(), 0);
    }
    EXPECT_EQ(script::SleptMs(), slept);
}

TEST_F(Screen, FlipWithVBlankWaitKeepsASixtyHertzRhythm) {
    Start();
    SetFlipWaitsVBlank(1);
    SelectDrawTarget(PAVEX_SCREEN_BACK);
    ASSERT_EQ(FlipScreen(), 0);
    uint32_t start = script::NowMs();
    for (int i = 0; i < 6; ++i) ASSERT_EQ(FlipScreen(), 0);
    uint32_t elapsed = script::NowMs() - start;
    // Six blanks of 16.7 ms each, measured on the virtual clock.
    EXPECT_GE(elapsed, 99u);
    EXPECT_LE(elapsed, 102u);
}

TEST_F(Screen, ScreenTooLargeForTheDesktopEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            script::SetDesktop(1024, 768, 32);
            SetScreenMode(1280, 1024, 32, 60);
            InitMediaLayer();
        },
        ::testing::ExitedWithCode(255), "");
}

TEST_F(Screen, ShutdownReleasesBothSurfaces) {
    Start();
    EXPECT_GT(TrackedBlockCount(), 0);
    EndMediaLayer();
    EXPECT_EQ(TrackedBlockCount(), 0);
    EXPECT_EQ(ScreenDrawSurface().pixels, nullptr);
}

}  // namespace
