// Tests of the tick, the pumping wait, the local date and time, the microsecond
// clock and the start-up choice of the clock source, on the virtual clock.
#include <gtest/gtest.h>

#include <vector>

#include "media/core/log.h"
#include "media/pavex.h"
#include "media/time/time_internal.h"
#include "tests/media/core/log_file.h"
#include "tests/support/scripted.h"
#include "tests/support/scripted_detail.h"
#include "tests/support/temp_dir.h"

TEST(Tick, DifferenceStaysRightAcrossTheWrap) {
    script::detail::ResetClock(0);
    script::SetNowMs(0xFFFFFFF0u);
    uint32_t start = GetTickMillis(0);
    EXPECT_EQ(start, 0xFFFFFFF0u);
    script::AdvanceMs(0x25);
    uint32_t now = GetTickMillis(0);
    EXPECT_EQ(now, 0x15u);
    EXPECT_EQ(now - start, 0x25u);
}

TEST(Wait, ZeroPumpsAndReturnsWithoutSleeping) {
    script::detail::ResetClock(1000);
    EXPECT_EQ(WaitMilliseconds(0), 0);
    EXPECT_EQ(WaitMilliseconds(-20), 0);
    EXPECT_EQ(script::SleepCalls(), 0);
    EXPECT_EQ(script::NowMs(), 1000u);
}

TEST(Wait, SleepsInOneMillisecondStepsUntilTheTimeHasPassed) {
    script::detail::ResetClock(1000);
    EXPECT_EQ(WaitMilliseconds(17), 0);
    EXPECT_EQ(script::NowMs(), 1017u);
    EXPECT_EQ(script::SleptMs(), 17u);
    EXPECT_EQ(script::SleepCalls(), 17);
}

TEST(Wait, TimeThatAlreadyPassedIsNotSleptAgain) {
    script::detail::ResetClock(1000);
    EXPECT_EQ(WaitMilliseconds(1), 0);
    EXPECT_EQ(script::SleptMs(), 1u);
}

TEST(Wait, WorksAcrossTheWrapOfTheTick) {
    for (uint32_t start : {0xFFFFFFF8u, 0x7FFFFFF8u}) {
        script::detail::ResetClock(0);
        script::SetNowMs(start);
        EXPECT_EQ(WaitMilliseconds(17), 0);
        EXPECT_EQ(script::SleptMs(), 17u) << "start " << start;
        EXPECT_EQ(script::NowMs() - start, 17u);
    }
}

TEST(LocalDateTime, GivesCalendarFields) {
    int t[6] = {-1, -1, -1, -1, -1, -1};
    EXPECT_EQ(GetLocalDateTime(t), 0);
    EXPECT_GE(t[0], 2020);
    EXPECT_GE(t[1], 1);
    EXPECT_LE(t[1], 12);
    EXPECT_GE(t[2], 1);
    EXPECT_LE(t[2], 31);
    EXPECT_GE(t[3], 0);
    EXPECT_LE(t[3], 23);
    EXPECT_GE(t[4], 0);
    EXPECT_LE(t[4], 59);
    EXPECT_GE(t[5], 0);
    EXPECT_LE(t[5], 60);
    EXPECT_EQ(GetLocalDateTime(nullptr), -1);
}

TEST(ClockSource, RaceLogsItsResultAndPicksTheCounter) {
    TempDir dir;
    script::detail::ResetClock(5000);
    LogStart(dir.path().c_str());
    // Before the choice the microsecond clock follows the tick.
    EXPECT_EQ(GetMicroseconds(0), 5000000u);
    ClockSelectSource();
    std::vector<std::string> lines = logfile::Lines(dir.file("Log.txt"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(logfile::WithoutStamp(lines[0]), "タイマーの精度を検査します");
    // The virtual tick stands still while the counter moves on every read.
    EXPECT_EQ(logfile::WithoutStamp(lines[1]),
              "精度結果 更新回数 マルチメディアタイマー：0  パフォーマンスカウンター：60");
    EXPECT_EQ(logfile::WithoutStamp(lines[2]),
              "パフォーマンスカウンターを使用します タイマー分解能 : 1000.000000 KHz ");
    EXPECT_EQ(ClockUsesCounter(), 1);
    uint64_t a = GetMicroseconds(0);
    uint64_t b = GetMicroseconds(0);
    EXPECT_GT(b, a);
    EXPECT_EQ(a / 1000, 5000u);

    // The generator was seeded with the tick count.
    std::vector<int> drawn, expected;
    for (int i = 0; i < 50; ++i) drawn.push_back(GetRandom(1000));
    SeedRandom(5000);
    for (int i = 0; i < 50; ++i) expected.push_back(GetRandom(1000));
    EXPECT_EQ(drawn, expected);
}
