// Tests of the tick, the pumping wait, the local date and time, the microsecond
// clock and the start-up choice of the clock source, on the virtual clock.
#include <gtest/gtest.h>

#include <vector>

#include "media/core/log.h"
#include "pavex.h"
#include "media/time/time_internal.h"
#include "tests/support/log_reader.h"
#include "tests/support/scripted.h"
#include "tests/support/scripted_detail.h"
#include "tests/support/temp_dir.h"

TEST(Tick, DifferenceStaysRightAcrossTheWrap) {
    script::detail::ResetClock(0);
    script::SetNowMs(0xFFFFFFF0u);
    uint32_t start = GetTickMillis(0);
    script::AdvanceMs(0x25);
    EXPECT_EQ(GetTickMillis(0), 0x15u);
    EXPECT_EQ(GetTickMillis(0) - start, 0x25u);
}

// The wait pumps once, then sleeps in 1 ms steps until `ms` have passed, also
// across the wrap of the tick and of its signed reading.
TEST(Wait, SleepsInOneMillisecondStepsUntilTheTimeHasPassed) {
    struct Case {
        uint32_t start;
        int ms;
    };
    const Case cases[] = {{1000, 0},  {1000, -20},       {1000, 1},
                          {1000, 17}, {0xFFFFFFF8u, 17}, {0x7FFFFFF8u, 17}};
    for (const Case& c : cases) {
        const int sleeps = c.ms > 0 ? c.ms : 0;
        SCOPED_TRACE(testing::Message() << c.start << " + " << c.ms);
        script::detail::ResetClock(0);
        script::SetNowMs(c.start);
        EXPECT_EQ(WaitMilliseconds(c.ms), 0);
        EXPECT_EQ(script::SleepCalls(), sleeps);
        EXPECT_EQ(script::SleptMs(), static_cast<uint64_t>(sleeps));
        EXPECT_EQ(script::NowMs() - c.start, static_cast<uint32_t>(sleeps));
    }
}

TEST(LocalDateTime, GivesYearMonthDayHourMinuteSecondInThatOrder) {
    script::Reset();
    script::SetLocalDateTime(2027, 1, 11, 9, 5, 59);
    int t[6] = {-1, -1, -1, -1, -1, -1};
    EXPECT_EQ(GetLocalDateTime(t), 0);
    const int expected[6] = {2027, 1, 11, 9, 5, 59};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(t[i], expected[i]) << i;
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
