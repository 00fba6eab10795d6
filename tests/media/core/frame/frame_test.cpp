// Library frame: start-up settings, InitMediaLayer / EndMediaLayer and the order of
// the areas, the message pump and the background pump, window close and focus, the
// single-instance mark - driven on the scripted platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "media/core/tracked_alloc.h"
#include "tests/support/layer_fixture.h"

namespace {

using Frame = LayerTest;

// Each part is found in the log, after the one before it.
void ExpectInOrder(std::initializer_list<const char*> parts,
                   const std::vector<std::string>& lines) {
    size_t at = 0;
    for (const char* part : parts) {
        while (at < lines.size() && lines[at].find(part) == std::string::npos) ++at;
        ASSERT_LT(at, lines.size()) << "missing or out of order: " << part;
    }
}

TEST_F(Frame, StartAndEndRunTheAreasInTheirOrderAndTheCloseBoxEndsForGood) {
    EXPECT_EQ(ProcessMessage(), 0);  // before start-up: nothing to pump
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_TRUE(script::HoldsInstanceMark());
    EXPECT_TRUE(script::PumpRunning());
    ASSERT_EQ(EndMediaLayer(), 0);
    EXPECT_FALSE(script::WindowOpen());
    EXPECT_FALSE(script::HoldsInstanceMark());
    EXPECT_FALSE(script::PumpRunning());
    EXPECT_EQ(TrackedBlockCount(), 0);
    const std::vector<std::string> lines = LogLines();
    for (const std::string& l : lines) ASSERT_EQ(l.find('<'), std::string::npos) << l;
    ExpectInOrder({"ＣＯＭの初期化... 成功しました", "メモリ総量:", "タイマーの精度を検査します",
                   "ソフトの二重起動検査", "ウインドウモード起動用のウインドウを作成します",
                   "DirectInput関係初期化処理", "グラフィック管理系の初期化を行います",
                   "グラフィック管理系の終了処理は正常に終了しました",
                   "DirectInput 関連の終了処理... 完了", "ウインドウを閉じようとしています",
                   "ウインドウが破棄されようとしています", "ソフトを終了する準備が整いました",
                   "ＣＯＭを終了... 完了", "Alloc memory dump", "Alloc num:0"},
                  lines);

    // Everything after the end fails or is ignored; the layer can start again.
    EXPECT_EQ(ProcessMessage(), -1);
    EXPECT_EQ(ClearScreen(), -1);
    EXPECT_EQ(SelectDrawTarget(PAVEX_SCREEN_BACK), -1);
    EXPECT_EQ(EndMediaLayer(), 0);
    EXPECT_EQ(FrameInitialised(), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_EQ(ProcessMessage(), 0);

    // The close box ends the program for good.
    script::RequestClose();
    EXPECT_EQ(ProcessMessage(), -1);
    EXPECT_FALSE(script::WindowOpen());
    EXPECT_EQ(FrameEndRequested(), 1);
    script::RequestClose();  // a window that is gone logs nothing more
    EXPECT_EQ(ProcessMessage(), -1);
    const std::vector<std::string> closed = LogLines();
    EXPECT_EQ(std::count(closed.begin(), closed.end(), "ウインドウを閉じようとしています"), 1);
    ExpectInOrder({"ウインドウを閉じようとしています", "ウインドウが破棄されようとしています"},
                  closed);
}

TEST_F(Frame, SettingsBeforeStartUpOnlyStoreTitlesFollowAndTheModeChanges) {
    EXPECT_EQ(SetWindowTitle(""), 0);
    EXPECT_EQ(SetScreenMode(800, 600, 32, 60), 0);
    EXPECT_FALSE(script::WindowOpen());
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_STREQ(script::WindowTitle(), "Pavex");
    // Start-up leaves the front screen selected: a clear there shows at once.
    const int before = script::PresentedCount();
    ASSERT_EQ(ClearScreen(), 0);
    EXPECT_EQ(script::PresentedCount(), before + 1);
    EXPECT_EQ(script::LastPresented().width, 800);

    SetWindowTitle("VORLANE v0.53");
    EXPECT_STREQ(script::WindowTitle(), "VORLANE v0.53");
    // Only the 'a's fit in 255 bytes without cutting a character.
    SetWindowTitle((std::string(254, 'a') + "あい").c_str());
    EXPECT_EQ(std::string(script::WindowTitle()), std::string(254, 'a'));
    SetWindowTitle(nullptr);
    EXPECT_STREQ(script::WindowTitle(), "Pavex");

    std::vector<std::string> lines = LogLines();
    EXPECT_EQ(InitMediaLayer(), -1);  // a running layer keeps its run and its log
    EXPECT_TRUE(script::WindowOpen());
    EXPECT_EQ(LogLines().size(), lines.size());

    // A change of the window mode is logged; an unchanged mode is skipped.
    EXPECT_EQ(ChangeWindowMode(1), 0);
    EXPECT_TRUE(Logged("ChangeWindowMode実行 "));
    EXPECT_FALSE(Logged("ウインドウモードフラグが"));
    EXPECT_EQ(ChangeWindowMode(0), 0);
    EXPECT_TRUE(Logged("ウインドウモードフラグが倒されました"));
    EXPECT_TRUE(Logged("ウインドウスタイルをフルスクリーンモード用に変更します... 完了"));
    ASSERT_EQ(SelectDrawTarget(PAVEX_SCREEN_BACK), 0);
    EXPECT_EQ(FlipScreen(), 0);  // the rebuilt screen presents
    EXPECT_EQ(script::PresentedCount(), before + 2);
    EXPECT_EQ(script::LastPresented().width, 800);
}

// Twenty-four bits and a second copy are refused before the window opens.
TEST_F(Frame, RefusedStartsDoubleStartAllowedAndTheMarkIsTakenOver) {
    script::SetDesktop(1920, 1080, 24);
    EXPECT_EQ(InitMediaLayer(), -1);
    EXPECT_TRUE(Logged("ＰＡＶＥＸライブラリは２４ビットカラーモードに対応していません"));
    script::SetDesktop(1920, 1080, 32);
    script::SetOtherCopyRunning(true);
    SetAllowDoubleStart(0);
    EXPECT_EQ(InitMediaLayer(), -1);
    EXPECT_FALSE(script::WindowOpen());
    EXPECT_TRUE(Logged("ソフトの二重起動検査... 二重起動されています、ソフトを終了します"));
    EXPECT_FALSE(Logged("ウインドウクラスを登録します"));
    EXPECT_EQ(TrackedBlockCount(), 0);

    FrameResetDefaults();
    ChangeWindowMode(1);
    SetAllowDoubleStart(1);
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_TRUE(Logged("二重起動されていますが続行します"));
    EXPECT_FALSE(script::HoldsInstanceMark());
    // The first copy ends; the background pump takes the mark over while the main
    // thread is busy, so a third copy still finds a running one.
    script::SetOtherCopyRunning(false);
    script::AdvanceMs(1100);
    EXPECT_TRUE(script::HoldsInstanceMark());
}

TEST_F(Frame, InactiveWindowPausesTheProgramUntilItIsActiveAgain) {
    SetRunWhileInactive(0);
    std::atomic<int> sleepsBefore{-1};
    std::atomic<bool> returned{false};
    // The thread that starts the layer is the one that polls its window, so the
    // program runs on a thread of its own while this one plays the player.
    std::thread program([&] {
        script::Reset();  // the virtual clock follows the sleeps of this thread
        if (InitMediaLayer() == 0) {
            script::SetFocus(false);
            sleepsBefore = script::SleepCalls();
            ProcessMessage();
        }
        returned = true;
        EndMediaLayer();
    });
    while (sleepsBefore.load() < 0 && !returned.load()) std::this_thread::yield();
    // The paused pump sleeps 1 ms per pass; let it go round many times.
    for (int spin = 0; spin < 20000000 && script::SleepCalls() < sleepsBefore + 200; ++spin)
        std::this_thread::yield();
    EXPECT_GE(script::SleepCalls(), sleepsBefore + 200);
    EXPECT_FALSE(returned.load());
    script::SetFocus(true);
    program.join();
}

}  // namespace
