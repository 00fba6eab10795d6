// The round loop on the scripted platform: the start sequence, the frame budgets, the
// ends of a round, the system keys and no allocation while a round is played.
#include <algorithm>
#include <vector>

#include "match/round_loop.h"
#include "tests/support/scripted_input.h"
#include "tests/game/round/round_fixture.h"

namespace {

constexpr int kKeyF1 = 59, kKeyB = 48, kKeyC = 46;

// The frame of the loop a flip presents; negative before the loop.
int RoundFrame(int flip) {
    return flip - RoundTest::FirstRoundFlip();
}
std::vector<int> Clock() {
    return std::vector<int>(match.clockDigits, match.clockDigits + 6);
}

// Keys set at the flip of a loop frame, seen by its system keys and the next frame's
// rules: F1 (0..2), B (3), F1 with B (4), none (5), F1 (6); the hard drop, held from
// frame 9, fires on the third frame it is seen (12).
void ScriptClearRound(int flip) {
    const int f = RoundFrame(flip);
    if (f < 0) return;
    script::ReleaseAllKeys();
    if (f <= 2 || f == 4 || f == 6) script::SetKey(kKeyF1, true);
    if (f == 3 || f == 4) script::SetKey(kKeyB, true);
    script::SetKey(kKeyC, f >= 9);
}

// A clear round two lines short of its goal, the square to fall into the gap.
TEST_F(RoundTest, ClearRoundFromTheCurtainToTheFrameAfterTheLockThatReachedFiftyLines) {
    InitRound(1);
    match.lines = 48;
    match.nextKinds[0] = 6;  // the square falls into columns 5 and 6
    for (int row : {19, 20})
        for (int c = 1; c <= 10; ++c)
            if (c != 5 && c != 6) match.well[row][c] = CellGarbage;
    rspy::onFlip = ScriptClearRound;
    EXPECT_EQ(RunRound(), 1);
    EXPECT_EQ(match.backgroundIndex, 4);
    const int first = FirstRoundFlip();
    auto period = [](int i) { return int(rspy::flips[i].at - rspy::flips[i - 1].at); };
    for (int i = 1; i < 30; ++i) EXPECT_EQ(period(i), 17) << i;
    // 2000 ms of 17 ms frames: 118 frames; frames 1..7, held until 1921 ms, then one
    // step a frame (1921, 1938, 1955, 1972, 1989 ms) to 12.
    ASSERT_EQ(first - 30, 118);
    for (int i = 30; i < first; ++i) {
        const int at = int(rspy::flips[i].at - rspy::flips[30].at);
        const int expected = at >= 1921 ? 8 + (at - 1921) / 17 : std::min(i - 29, 7);
        EXPECT_EQ(rspy::flips[i].ready, expected) << "at " << at << " ms";
    }
    EXPECT_EQ(rspy::flips[first - 1].ready, 12);
    // The round ends after frame 13 has shown the lines of the lock.
    ASSERT_EQ(rspy::flipCount - first, 14);
    EXPECT_EQ(match.lines, 50);
    // The loop: 17, 17, 17, 16, then every third frame 16.
    for (int i = 1; i < 14; ++i) EXPECT_EQ(period(first + i), i > 1 && i % 3 == 1 ? 16 : 17) << i;
    // The clock of the last frame: 9 x 17 + 4 x 16 = 217 ms after the first.
    EXPECT_EQ(Clock(), std::vector<int>({0, 0, 0, 0, 2, 1}));
    EXPECT_EQ(rspy::effects[kEffectScreenShot], 2);
    // 5 December 2026, 21:43:07 on the scripted calendar; the numbers are not padded.
    EXPECT_EQ(access("screen/Screen202612521437.bmp", F_OK), 0);
}

TEST_F(RoundTest, ClockCountsMinutesSecondsAndHundredthsSinceTheRoundBegan) {
    match.roundStartTime = script::NowMs() - (12 * 60000 + 34 * 1000 + 567);
    UpdateClock();
    EXPECT_EQ(Clock(), std::vector<int>({1, 2, 3, 4, 5, 6}));
    script::SetNowMs(5);  // the tick wrapped since the round began
    match.roundStartTime = 0xFFFFFFFFu - 994;
    UpdateClock();
    EXPECT_EQ(Clock(), std::vector<int>({0, 0, 0, 1, 0, 0}));
    match.roundStartTime = 5005;  // not begun yet: no time shown
    UpdateClock();
    EXPECT_EQ(Clock(), std::vector<int>(6, 0));
}

TEST_F(RoundTest, EscapeEndsTheProgramAndAClosedWindowTheRoundAtTheEndOfTheFrame) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    InitRound(0);
    rspy::onFlip = [](int flip) {
        if (RoundFrame(flip) >= 0) script::SetKey(1, true);
    };
    EXPECT_EXIT(RunRound(), ::testing::ExitedWithCode(1), "");
    rspy::onFlip = [](int flip) {
        if (RoundFrame(flip) >= 0) script::RequestClose();
    };
    EXPECT_EQ(RunRound(), 0);
    EXPECT_EQ(rspy::flipCount - FirstRoundFlip(), 1);
    EXPECT_FALSE(match.gameOver);
}

// A whole endless round with drawing, sound, the frame counter, the landing point, the
// grid and vibration on: three line clears with a level-up, a combo and the alarm of
// the fall gauge, then hard drops until the well overflows.
TEST_F(RoundTest, NothingAllocatesWhileARoundIsPlayed) {
    gameSettings.ShowGrid = gameSettings.PadVibration = true;
    ShowFps = true;
    script::PlugPad();
    // The scripted sound device records what it plays; let its record grow before the
    // round so that only the program's own allocations are counted.
    script::AdvanceMs(60000);
    script::ClearAudioPlayed();
    InitRound(0);
    match.lines = 9;
    match.nextKinds[0] = match.nextKinds[1] = 6;
    for (int row : {17, 18, 19, 20})
        for (int c = 1; c <= 10; ++c)
            if (c != 5 && c != 6) match.well[row][c] = CellGarbage;
    // Wait for the gauge alarm (gauge above 200 after 400 frames), then drop a piece
    // every fourth frame.
    rspy::onFlip = [](int flip) {
        const int f = RoundFrame(flip);
        script::SetKey(kKeyC, f > 420 && f % 4 != 3);
    };
    EXPECT_EQ(RunRound(), 0);
    const long afterRound = allocationCount;
    const int first = FirstRoundFlip();
    EXPECT_TRUE(match.gameOver);
    EXPECT_GE(match.lines, 13);
    EXPECT_EQ(match.level, 2);
    EXPECT_GE(match.maxCombo + match.combo, 2);
    EXPECT_EQ(rspy::effects[kEffectWarning], 1);
    EXPECT_GT(rspy::flipCount - first, 430);
    EXPECT_EQ(afterRound, rspy::flips[first - 1].allocations);
}

// The opponent's end is read at the start of a frame and wins over a top-out at the
// lock of the frame before; a local top-out sends its end flag twice and counts the
// opponent's win.
TEST_F(RoundTest, NetworkRoundEndsByTheOpponentsFlagFirstThenByTheLocalTopOut) {
    match.netMode = 1;
    InitRound(0);
    match.opponentWellReceived[20][0] = 3;
    rspy::onReceive = [] {
        if (rspy::receives == 2) match.gameOver = match.opponentEnded = true;
    };
    EXPECT_EQ(RunRound(), 0);
    EXPECT_EQ(match.backgroundIndex, 5);
    EXPECT_EQ(match.opponentWell[20][0], 3);
    EXPECT_EQ(std::vector<int>({match.opponentEndSeen, rspy::flipCount - FirstRoundFlip(),
                                rspy::sends, rspy::sendsWithEnd, match.opponentWins}),
              std::vector<int>({1, 2, 2, 1, 0}));

    InitRound(0);
    rspy::Clear();
    rspy::onReceive = nullptr;
    rspy::onFlip = [](int) {
        if (rspy::receives == 2) match.gameOver = true;
    };
    EXPECT_EQ(RunRound(), 0);
    EXPECT_EQ(std::vector<int>(
                  {match.opponentEndSeen, rspy::sends, rspy::sendsWithEnd, match.opponentWins}),
              std::vector<int>({0, 3, 2, 1}));
}

}  // namespace
