// clock.cpp - the real clocks of the desktop platform (plat_clock.h).
//
// Owns: the millisecond tick, the microsecond clock and the high-resolution counter,
// all read from CLOCK_MONOTONIC (so they never jump with the wall clock), sleeping
// with nanosleep, and the local calendar time with localtime_r. Must not touch:
// anything else of the platform.
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

void PlatSleepMillis(int ms) {
    if (ms <= 0) {
        sched_yield();
        return;
    }
    struct timespec want;
    want.tv_sec = ms / 1000;
    want.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    struct timespec rest;
    while (nanosleep(&want, &rest) != 0 && errno == EINTR) want = rest;
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
