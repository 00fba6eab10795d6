// clock.cpp - the real clocks of the desktop platform (plat_clock.h).
//
// Owns: the millisecond tick, the microsecond clock and the high-resolution counter,
// all read from CLOCK_MONOTONIC (so they never jump with the wall clock), sleeping
// to a tick edge with clock_nanosleep, and the local calendar time with localtime_r.
// Must not touch: anything else of the platform.
#include <errno.h>
#include <sched.h>
#include <time.h>

#include "media/platform/plat_clock.h"

namespace {

uint64_t MonotonicNanoseconds() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

}  // namespace

uint32_t PlatTickMillis() {
    return static_cast<uint32_t>(MonotonicNanoseconds() / 1000000ull);
}

uint64_t PlatMicroseconds() {
    return MonotonicNanoseconds() / 1000ull;
}

uint64_t PlatCounterFrequency() {
    return 1000000000ull;
}

uint64_t PlatCounter() {
    return MonotonicNanoseconds();
}

// Sleeps until the millisecond tick has advanced by ms, waking just after that tick's
// edge rather than ms milliseconds from now. The library's waits are tick based (they
// end when the tick changes), so a relative sleep started mid-tick would end a frame
// anywhere within the next millisecond; waking on the edge leaves only the scheduler's
// overshoot as jitter. The absolute deadline also lets a sleep interrupted by a signal
// resume without drift.
void PlatSleepMillis(int ms) {
    if (ms <= 0) {
        sched_yield();
        return;
    }
    const uint64_t edge =
        (MonotonicNanoseconds() / 1000000ull + static_cast<uint64_t>(ms)) * 1000000ull;
    struct timespec until;
    until.tv_sec = static_cast<time_t>(edge / 1000000000ull);
    until.tv_nsec = static_cast<long>(edge % 1000000000ull);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

void PlatLocalTime(int out[6]) {
    if (!out) return;
    time_t now = time(nullptr);
    struct tm local;
    if (!localtime_r(&now, &local)) {
        for (int i = 0; i < 6; ++i) out[i] = 0;
        return;
    }
    out[0] = local.tm_year + 1900;
    out[1] = local.tm_mon + 1;
    out[2] = local.tm_mday;
    out[3] = local.tm_hour;
    out[4] = local.tm_min;
    out[5] = local.tm_sec;
}
