// Screen: modes and their spacing, the draw state (clip, brightness, target), clear
// and flip, the desktop rules - on the scripted platform.
#include <gtest/gtest.h>

#include <vector>

#include "media/core/tracked_alloc.h"
#include "media/graphics/screen.h"
#include "tests/support/layer_fixture.h"

namespace {

using Screen = LayerTest;

int Size() {  // width * 10000 + height
    int w = -7, h = -7;
    return GetScreenSize(&w, &h) == 0 ? w * 10000 + h : -1;
}

void ExpectClip(int x1, int y1, int x2, int y2, int empty) {
    const DrawState d = ScreenDrawState();
    EXPECT_EQ(std::vector<int>({d.clip.x1, d.clip.y1, d.clip.x2, d.clip.y2, d.clipEmpty}),
              std::vector<int>({x1, y1, x2, y2, empty}));
}

TEST_F(Screen, ModesAreCheckedStoredAndSpacedAndFlipShowsTheBackScreen) {
    EXPECT_EQ(Size(), 6400480);
    EXPECT_EQ(ClearScreen(), -1);  // nothing runs before start-up
    EXPECT_EQ(FlipScreen(), -1);
    EXPECT_EQ(SelectDrawTarget(PAVEX_SCREEN_BACK), -1);
    // clang-format off
    const int bad[][4] = {{800, 600, 24, 60}, {0, 600, 32, 60}, {-5, 600, 32, 60},
                          {100000, 600, 32, 60}, {800, 600, 32, -2}};
    // clang-format on
    for (const auto& m : bad) EXPECT_EQ(SetScreenMode(m[0], m[1], m[2], m[3]), -1);
    EXPECT_EQ(Size(), 6400480);

    Start();
    uint32_t before = script::NowMs();
    EXPECT_EQ(SetScreenMode(-1, -1, -1, -1), 0);
    EXPECT_EQ(script::NowMs(), before);  // nothing changed, nothing rebuilt
    ASSERT_EQ(SetScreenMode(640, 480, 16, 0), 0);
    const uint32_t first = script::NowMs();
    EXPECT_EQ(Size(), 6400480);
    script::AdvanceMs(500);
    ASSERT_EQ(SetScreenMode(800, -1, -1, -1), 0);
    EXPECT_EQ(script::NowMs(), first + 2060);  // a second change within 2 s waits
    EXPECT_EQ(Size(), 8000480);
    script::AdvanceMs(2500);
    before = script::NowMs();
    ASSERT_EQ(SetScreenMode(640, 480, 32, 60), 0);
    EXPECT_EQ(script::NowMs(), before + 60);
    ASSERT_EQ(SelectDrawTarget(PAVEX_SCREEN_BACK), 0);
    ASSERT_EQ(FlipScreen(), 0);
    EXPECT_EQ(script::LastPresented().width * 1000 + script::LastPresented().height, 640480);

    // Flip shows the back screen; clear leaves the front alone.
    SetFlipWaitsVBlank(0);
    const int at = 123 * 640 + 456;  // whole frames are compared by the game's golden tests
    ScreenDrawState().surface.pixels[at] = 0xABCDEF;
    const int shown = script::PresentedCount();
    const uint64_t slept = script::SleptMs();
    ASSERT_EQ(FlipScreen(), 0);
    EXPECT_EQ(script::SleptMs(), slept);  // no vertical-blank wait asked: no sleep
    ASSERT_EQ(script::PresentedCount(), shown + 1);
    EXPECT_EQ(script::LastPresented().pixels[at], 0xABCDEFu);
    ASSERT_EQ(ClearScreen(), 0);
    EXPECT_EQ(ScreenSurface(PAVEX_SCREEN_BACK).pixels[at], 0u);
    EXPECT_EQ(ScreenSurface(PAVEX_SCREEN_FRONT).pixels[at], 0xABCDEFu);
    ASSERT_EQ(FlipScreen(), 0);
    EXPECT_EQ(script::LastPresented().pixels[at], 0u);

    SetFlipWaitsVBlank(1);
    ASSERT_EQ(FlipScreen(), 0);
    before = script::NowMs();
    for (int i = 0; i < 6; ++i) ASSERT_EQ(FlipScreen(), 0);
    EXPECT_NEAR(script::NowMs() - before, 100u, 2u);  // six blanks of a 60 Hz rhythm
    EndMediaLayer();                                  // shutdown releases both surfaces
    EXPECT_EQ(TrackedBlockCount(), 0);
    EXPECT_EQ(ScreenDrawState().surface.pixels, nullptr);
}

TEST_F(Screen, DrawStateHoldsClipBrightnessAndTargetAndTheDesktopRules) {
    ChangeWindowMode(0);
    EXPECT_EQ(SetDrawBrightness(300, -5, 128), 0);
    EXPECT_EQ(ScreenDrawState().bright, 0xFF0080u);
    Start();
    DrawState d = ScreenDrawState();
    EXPECT_EQ(d.bright, 0xFFFFFFu);  // start-up puts it back
    EXPECT_EQ(d.target, PAVEX_SCREEN_BACK);
    EXPECT_EQ(d.surface.pixels, ScreenSurface(PAVEX_SCREEN_BACK).pixels);
    EXPECT_EQ(d.surface.width, 800);

    EXPECT_EQ(SetClipRect(800, 600, 0, 0), 0);
    ExpectClip(0, 0, 800, 600, 0);
    EXPECT_EQ(SetClipRect(300, 20, 100, 10), 0);
    ExpectClip(100, 10, 300, 20, 0);
    EXPECT_EQ(SetClipRect(10, 10, 10, 50), 0);
    ExpectClip(10, 10, 10, 50, 1);
    EXPECT_EQ(SetClipRect(900, 10, 1000, 50), 0);  // wholly outside: no width left
    ExpectClip(800, 10, 800, 50, 1);

    EXPECT_EQ(SelectDrawTarget(0x08010005), -1);  // not a live graphic
    ASSERT_EQ(SelectDrawTarget(PAVEX_SCREEN_FRONT), 0);
    ExpectClip(0, 0, 800, 600, 0);  // a new target clips to all of it
    EXPECT_EQ(ScreenDrawState().target, PAVEX_SCREEN_FRONT);
    EXPECT_EQ(SetDrawBrightness(1, 2, 3), 0);
    EXPECT_EQ(ScreenDrawState().bright, 0x010203u);
    EXPECT_FALSE(Logged("フルスクリーンモードから抜けます"));
    ASSERT_EQ(ChangeWindowMode(1), 0);
    EXPECT_TRUE(Logged("フルスクリーンモードから抜けます"));
    // A desktop that no longer holds the screen closes the window.
    script::SetDesktop(1920, 1080, 16);  // still fits
    EXPECT_EQ(ProcessMessage(), 0);
    script::SetDesktop(640, 480, 32);
    ProcessMessage();
    EXPECT_EQ(ProcessMessage(), -1);
    EXPECT_FALSE(script::WindowOpen());
    EXPECT_TRUE(
        Logged("またはスクリーンが小さすぎるためか色ビット数の違いが大きいためか終了します"));
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

}  // namespace
