// live_clock_test.cpp - the desktop clock back-end: the three clocks agree with each
// other and never run backwards, a sleep of 0 or less returns, the local time is the C
// library's. Nothing here depends on how long anything takes.
#include <gtest/gtest.h>
#include <time.h>

#include "media/platform/plat_clock.h"

TEST(LiveClock, ClocksAgreeNeverRunBackwardsAndGiveTheLocalTime) {
    ASSERT_EQ(PlatCounterFrequency(), 1000000000u);
    uint64_t lastMicros = PlatMicroseconds(), lastCounter = PlatCounter();
    for (int i = 0; i < 10000; ++i) {
        uint64_t micros = PlatMicroseconds();
        uint32_t tick = PlatTickMillis();
        uint64_t counter = PlatCounter();
        uint64_t microsAfter = PlatMicroseconds();
        ASSERT_GE(micros, lastMicros);
        ASSERT_GE(counter, lastCounter);
        // The tick and the counter read between two microsecond reads lie between them.
        uint32_t low = static_cast<uint32_t>(micros / 1000);
        ASSERT_LE(tick - low, static_cast<uint32_t>(microsAfter / 1000) - low);
        ASSERT_GE(counter / 1000, micros);
        ASSERT_LE(counter / 1000, microsAfter);
        lastMicros = micros;
        lastCounter = counter;
    }
    PlatSleepMillis(0);
    PlatSleepMillis(-5);
    // A sleep of n ends on or after the n-th tick edge, never before it.
    for (int ms = 1; ms <= 3; ++ms) {
        uint32_t before = PlatTickMillis();
        PlatSleepMillis(ms);
        EXPECT_GE(PlatTickMillis() - before, static_cast<uint32_t>(ms));
    }

    int t[6];
    time_t now = time(nullptr);
    PlatLocalTime(t);
    struct tm b, a;
    localtime_r(&now, &b);
    now = time(nullptr);
    localtime_r(&now, &a);
    EXPECT_TRUE(t[0] == b.tm_year + 1900 || t[0] == a.tm_year + 1900);
    EXPECT_TRUE(t[1] == b.tm_mon + 1 || t[1] == a.tm_mon + 1);
    EXPECT_TRUE(t[2] == b.tm_mday || t[2] == a.tm_mday);
    EXPECT_TRUE(t[3] == b.tm_hour || t[3] == a.tm_hour);
}
