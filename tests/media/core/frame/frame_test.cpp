// Library frame: start-up settings, InitMediaLayer / EndMediaLayer, the message
// pump, window close, double start - driven on the scripted platform.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "media/core/frame.h"
#include "media/core/tracked_alloc.h"
#include "pavex.h"
#include "media/platform/plat_system.h"
#include "tests/support/scripted.h"
#include "tests/support/temp_dir.h"

namespace {

// The log as UTF-8 (the file is Shift-JIS).
std::string ReadLog(const TempDir& dir) {
    std::ifstream in(dir.file("Log.txt"), std::ios::binary);
    std::string sjis((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string utf8(sjis.size() * 3 + 1, '\0');
    size_t n = PlatShiftJisToUtf8(sjis.data(), sjis.size(), utf8.data(), utf8.size());
    utf8.resize(n);
    return utf8;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class Frame : public ::testing::Test {
protected:
    void SetUp() override {
        script::Reset();
        FrameResetDefaults();
        ChangeWindowMode(1);
    }
    void TearDown() override { EndMediaLayer(); }
    TempDir dir;
};

TEST_F(Frame, ProcessMessageBeforeStartUpReturnsZero) {
    EXPECT_EQ(ProcessMessage(), 0);
    EXPECT_EQ(ProcessMessage(), 0);
    EXPECT_FALSE(script::WindowOpen());
}

TEST_F(Frame, CloseRequestEndsTheProgramForGood) {
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_TRUE(script::WindowOpen());
    EXPECT_EQ(ProcessMessage(), 0);
    script::RequestClose();
    EXPECT_EQ(ProcessMessage(), -1);
    EXPECT_FALSE(script::WindowOpen());
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ProcessMessage(), -1);
    EXPECT_EQ(FrameEndRequested(), 1);

    std::string log = ReadLog(dir);
    size_t closing = log.find("ウインドウを閉じようとしています\r\n");
    size_t destroyed = log.find("ウインドウが破棄されようとしています\r\n");
    size_t ready = log.find("ソフトを終了する準備が整いました\r\n");
    ASSERT_NE(closing, std::string::npos);
    ASSERT_NE(destroyed, std::string::npos);
    ASSERT_NE(ready, std::string::npos);
    EXPECT_LT(closing, destroyed);
    EXPECT_LT(destroyed, ready);
    // A second close request for a window that is gone logs nothing more.
    script::RequestClose();
    EXPECT_EQ(ProcessMessage(), -1);
    EXPECT_EQ(ReadLog(dir).find("ウインドウを閉じようとしています", closing + 1),
              std::string::npos);
}

TEST_F(Frame, EndMediaLayerClosesTheWindowAndLeavesNoAllocation) {
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_TRUE(script::HoldsInstanceMark());
    EXPECT_EQ(EndMediaLayer(), 0);
    EXPECT_FALSE(script::WindowOpen());
    EXPECT_FALSE(script::HoldsInstanceMark());
    EXPECT_EQ(TrackedBlockCount(), 0);
    std::string log = ReadLog(dir);
    EXPECT_TRUE(Contains(log, "ウインドウを閉じようとしています\r\n"));
    EXPECT_TRUE(Contains(log, "ＣＯＭを終了... 完了\r\n"));
    EXPECT_TRUE(Contains(log, "Alloc memory dump"));
    EXPECT_TRUE(Contains(log, "Alloc num:0"));
}

TEST_F(Frame, CallsAfterShutdownFailOrAreIgnored) {
    ASSERT_EQ(InitMediaLayer(), 0);
    ASSERT_EQ(EndMediaLayer(), 0);
    EXPECT_EQ(ProcessMessage(), -1);
    EXPECT_EQ(ClearScreen(), -1);
    EXPECT_EQ(FlipScreen(), -1);
    EXPECT_EQ(SelectDrawTarget(PAVEX_SCREEN_BACK), -1);
    EXPECT_EQ(EndMediaLayer(), 0);
    EXPECT_EQ(SetWindowTitle("after"), 0);
    EXPECT_EQ(SetRunWhileInactive(1), 0);
    EXPECT_FALSE(script::WindowOpen());
    EXPECT_EQ(FrameInitialised(), 0);
}

TEST_F(Frame, SettingsBeforeStartUpOnlyStore) {
    EXPECT_EQ(SetWindowTitle("stored"), 0);
    EXPECT_EQ(SetScreenMode(800, 600, 32, 60), 0);
    EXPECT_EQ(ChangeWindowMode(1), 0);
    EXPECT_FALSE(script::WindowOpen());
    EXPECT_EQ(ClearScreen(), -1);
    EXPECT_EQ(FlipScreen(), -1);
    EXPECT_EQ(SelectDrawTarget(PAVEX_SCREEN_BACK), -1);
    EXPECT_EQ(script::PresentedCount(), 0);

    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_STREQ(script::WindowTitle(), "stored");
    ASSERT_EQ(FlipScreen(), 0);
    EXPECT_EQ(script::LastPresented().width, 800);
    EXPECT_EQ(script::LastPresented().height, 600);
}

TEST_F(Frame, EmptyTitleBecomesPavexAndLaterTitlesApplyAtOnce) {
    SetWindowTitle("");
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_STREQ(script::WindowTitle(), "Pavex");
    SetWindowTitle("VORLANE v0.53");
    EXPECT_STREQ(script::WindowTitle(), "VORLANE v0.53");
    SetWindowTitle(nullptr);
    EXPECT_STREQ(script::WindowTitle(), "Pavex");
}

TEST_F(Frame, OverlongTitleIsCutWithoutSplittingACharacter) {
    std::string title(254, 'a');
    title += "あい";  // 254 + 6 bytes: only the 'a's fit in 255 bytes
    SetWindowTitle(title.c_str());
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_EQ(std::string(script::WindowTitle()), std::string(254, 'a'));
}

TEST_F(Frame, StartUpLeavesTheFrontScreenSelected) {
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_EQ(FrameInitialised(), 1);
    // Drawing to the front screen is visible at once: a clear presents.
    int before = script::PresentedCount();
    ASSERT_EQ(ClearScreen(), 0);
    EXPECT_EQ(script::PresentedCount(), before + 1);
    // The back screen is shown only by a flip.
    ASSERT_EQ(SelectDrawTarget(PAVEX_SCREEN_BACK), 0);
    before = script::PresentedCount();
    ASSERT_EQ(ClearScreen(), 0);
    EXPECT_EQ(script::PresentedCount(), before);
    ASSERT_EQ(FlipScreen(), 0);
    EXPECT_EQ(script::PresentedCount(), before + 1);
}

TEST_F(Frame, SecondInstanceRefusedWhenDoubleStartIsOff) {
    script::SetOtherCopyRunning(true);
    SetAllowDoubleStart(0);
    EXPECT_EQ(InitMediaLayer(), -1);
    EXPECT_FALSE(script::WindowOpen());
    EXPECT_EQ(ProcessMessage(), -1);
    EXPECT_EQ(FrameInitialised(), 0);
    std::string log = ReadLog(dir);
    EXPECT_TRUE(
        Contains(log, "ソフトの二重起動検査... 二重起動されています、ソフトを終了します\r\n"));
    EXPECT_FALSE(Contains(log, "ウインドウクラスを登録します"));
    EXPECT_EQ(TrackedBlockCount(), 0);
}

TEST_F(Frame, SecondInstanceContinuesWhenDoubleStartIsOn) {
    script::SetOtherCopyRunning(true);
    SetAllowDoubleStart(1);
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_TRUE(script::WindowOpen());
    EXPECT_EQ(ProcessMessage(), 0);
    EXPECT_TRUE(
        Contains(ReadLog(dir), "ソフトの二重起動検査... 二重起動されていますが続行します\r\n"));
}

TEST_F(Frame, SecondInitWhileRunningFailsAndKeepsTheRun) {
    ASSERT_EQ(InitMediaLayer(), 0);
    std::string before = ReadLog(dir);
    EXPECT_EQ(InitMediaLayer(), -1);
    EXPECT_TRUE(script::WindowOpen());
    EXPECT_EQ(ProcessMessage(), 0);
    EXPECT_EQ(ReadLog(dir).compare(0, before.size(), before), 0);  // the log was not recreated
}

TEST_F(Frame, LayerStartsAgainAfterAFullEnd) {
    ASSERT_EQ(InitMediaLayer(), 0);
    ASSERT_EQ(EndMediaLayer(), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_TRUE(script::WindowOpen());
    EXPECT_EQ(ProcessMessage(), 0);
}

TEST_F(Frame, TwentyFourBitDesktopIsRefusedInWindowMode) {
    script::SetDesktop(1920, 1080, 24);
    EXPECT_EQ(InitMediaLayer(), -1);
    EXPECT_FALSE(script::WindowOpen());
    EXPECT_TRUE(Contains(ReadLog(dir),
                         "ＰＡＶＥＸライブラリは２４ビットカラーモードに対応していません\r\n"));
}

TEST_F(Frame, ChangeWindowModeLogsAndSkipsAnUnchangedMode) {
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_EQ(ChangeWindowMode(1), 0);
    std::string log = ReadLog(dir);
    EXPECT_TRUE(Contains(log, "ChangeWindowMode実行 \r\n"));
    EXPECT_FALSE(Contains(log, "ウインドウモードフラグが"));
    EXPECT_EQ(ChangeWindowMode(0), 0);
    log = ReadLog(dir);
    EXPECT_TRUE(Contains(log, "ウインドウモードフラグが倒されました\r\n"));
    EXPECT_TRUE(
        Contains(log, "ウインドウスタイルをフルスクリーンモード用に変更します... 完了\r\n"));
    // The rebuilt screen still presents.
    ASSERT_EQ(SelectDrawTarget(PAVEX_SCREEN_BACK), 0);
    int before = script::PresentedCount();
    EXPECT_EQ(FlipScreen(), 0);
    EXPECT_EQ(script::PresentedCount(), before + 1);
}

TEST_F(Frame, InactiveWindowWithAlwaysRunDoesNotPause) {
    SetRunWhileInactive(1);
    ASSERT_EQ(InitMediaLayer(), 0);
    script::SetFocus(false);
    EXPECT_EQ(ProcessMessage(), 0);
    EXPECT_EQ(FrameIsActive(), 0);
    // The screen calls do not wait either.
    EXPECT_EQ(ClearScreen(), 0);
    EXPECT_EQ(FlipScreen(), 0);
    script::SetFocus(true);
    EXPECT_EQ(ProcessMessage(), 0);
    EXPECT_EQ(FrameIsActive(), 1);
}

TEST_F(Frame, InactiveWindowPausesTheProgramUntilItIsActiveAgain) {
    SetRunWhileInactive(0);
    std::atomic<int> stage{0};
    std::atomic<bool> returned{false};
    // The thread that starts the layer is the one that polls its window, so the
    // program runs on a thread of its own while this one plays the player.
    std::thread program([&] {
        script::Reset();  // the virtual clock follows the sleeps of this thread
        if (InitMediaLayer() != 0) {
            stage = -1;
            return;
        }
        stage = 1;
        while (stage.load() == 1) std::this_thread::yield();
        ProcessMessage();
        returned = true;
        EndMediaLayer();
    });
    while (stage.load() == 0) std::this_thread::yield();
    ASSERT_EQ(stage.load(), 1);
    script::SetFocus(false);
    int sleepsBefore = script::SleepCalls();
    stage = 2;
    // The paused pump sleeps 1 ms per pass; let it go round many times.
    for (int spin = 0; spin < 20000000 && script::SleepCalls() < sleepsBefore + 200; ++spin)
        std::this_thread::yield();
    EXPECT_GE(script::SleepCalls(), sleepsBefore + 200);
    EXPECT_FALSE(returned.load());
    script::SetFocus(true);
    program.join();
    EXPECT_TRUE(returned.load());
}

TEST_F(Frame, LogLinesFollowTheFormat) {
    ASSERT_EQ(InitMediaLayer(), 0);
    ASSERT_EQ(EndMediaLayer(), 0);
    std::string log = ReadLog(dir);
    ASSERT_FALSE(log.empty());
    size_t pos = 0;
    int lines = 0;
    while (pos < log.size()) {
        size_t end = log.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos) << "unterminated line at " << pos;
        std::string line = log.substr(pos, end - pos);
        size_t digits = 0;
        while (digits < line.size() && isdigit(static_cast<unsigned char>(line[digits]))) ++digits;
        EXPECT_GT(digits, 0u) << line;
        EXPECT_EQ(line[digits], ':') << line;
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        pos = end + 2;
        ++lines;
    }
    EXPECT_GT(lines, 10);
}

}  // namespace
