// The desktop clock back-end: the three clocks agree with each other and never run
// backwards; the local time has calendar fields. Nothing here depends on how long
// anything takes.
#include <gtest/gtest.h>

#include <time.h>

#include "media/platform/plat_clock.h"

TEST(LiveClock, ClocksAgreeAndNeverRunBackwards) {
    ASSERT_EQ(PlatCounterFrequency(), 1000000000u);
    uint64_t lastMicros = PlatMicroseconds();
    uint64_t lastCounter = PlatCounter();
    for (int i = 0; i < 10000; ++i) {
        uint64_t micros = PlatMicroseconds();
        uint32_t tick = PlatTickMillis();
        uint64_t counter = PlatCounter();
        uint64_t microsAfter = PlatMicroseconds();
        ASSERT_GE(micros, lastMicros);
        ASSERT_GE(counter, lastCounter);
        // The tick read between two microsecond reads lies between them.
        uint32_t low = static_cast<uint32_t>(micros / 1000);
        uint32_t high = static_cast<uint32_t>(microsAfter / 1000);
        ASSERT_LE(static_cast<uint32_t>(tick - low), static_cast<uint32_t>(high - low));
        ASSERT_GE(counter / 1000, micros);
        ASSERT_LE(counter / 1000, microsAfter);
        lastMicros = micros;
        lastCounter = counter;
    }
}

TEST(LiveClock, SleepOfZeroOrLessReturns) {
    PlatSleepMillis(0);
    PlatSleepMillis(-5);
    uint64_t before = PlatMicroseconds();
    PlatSleepMillis(1);
    EXPECT_GT(PlatMicroseconds(), before);
}

TEST(LiveClock, LocalTimeMatchesTheCLibrary) {
    int t[6];
    time_t before = time(nullptr);
    PlatLocalTime(t);
    time_t after = time(nullptr);
    struct tm b, a;
    localtime_r(&before, &b);
    localtime_r(&after, &a);
    EXPECT_TRUE(t[0] == b.tm_year + 1900 || t[0] == a.tm_year + 1900);
    EXPECT_TRUE(t[1] == b.tm_mon + 1 || t[1] == a.tm_mon + 1);
    EXPECT_TRUE(t[2] == b.tm_mday || t[2] == a.tm_mday);
}
