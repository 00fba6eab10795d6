// time.cpp - the millisecond tick, the pumping wait, the local date and time, the
// microsecond clock and the start-up choice of its source.
//
// Owns: the clock-source flag and the counter frequency. Must not touch: the frame's
// state (it only pumps through FramePump) and the random generator beyond seeding it
// once at start-up.
#include <stdint.h>

#include "media/core/api_lock.h"
#include "media/core/frame.h"
#include "media/core/log.h"
#include "pavex.h"
#include "media/platform/plat_clock.h"
#include "media/platform/plat_system.h"
#include "media/time/time_internal.h"

namespace {

struct ClockState {
    int clockSource;            // 1 counter, 0 tick
    uint64_t counterFrequency;  // counts per second of the counter
};

ClockState g_clock;

// Linux delivers sleeps and the tick at 1 ms granularity: the finest period.
constexpr int kLeastPeriodMs = 1;

}  // namespace

void ClockSelectSource() {
    g_clock.counterFrequency = PlatCounterFrequency();
    g_clock.clockSource = 0;
    if (g_clock.counterFrequency != 0) {
        LogString("タイマーの精度を検査します\n");
        // A race of at most 1000 ms of tick time: which clock moves more often?
        int tickChanges = 0, counterChanges = 0;
        uint32_t start = PlatTickMillis();
        uint32_t lastTick = start;
        uint64_t lastCounter = PlatCounter();
        while (tickChanges < 60 && counterChanges < 60) {
            if (FramePump() != 0) break;
            uint32_t tick = PlatTickMillis();
            uint64_t counter = PlatCounter();
            if (tick != lastTick) ++tickChanges;
            if (counter != lastCounter) ++counterChanges;
            lastTick = tick;
            lastCounter = counter;
            if (tick - start >= 1000) break;
        }
        LogFormat("精度結果 更新回数 マルチメディアタイマー：%d  パフォーマンスカウンター：%d",
                  tickChanges, counterChanges);
        if (tickChanges <= counterChanges) {
            g_clock.clockSource = 1;
            LogFormat("パフォーマンスカウンターを使用します タイマー分解能 : %lf KHz ",
                      g_clock.counterFrequency / 1000.0);
        } else {
            LogFormat("マルチメディアタイマーを使用します タイマー分解能 : %d.00 ms ",
                      kLeastPeriodMs);
        }
    }
    SeedRandom(PlatTickMillis());
}

int ClockUsesCounter() {
    return g_clock.clockSource;
}

uint64_t GetMicroseconds(int cpuPrecision) {
    if (cpuPrecision == 1) {
        double rate = CpuCyclesPerSecond();
        if (rate > 0.0) {
            return static_cast<uint64_t>(static_cast<double>(PlatCycleCounter()) * 1000000.0 /
                                         rate);
        }
    }
    if (g_clock.clockSource == 1 && g_clock.counterFrequency != 0) {
        return static_cast<uint64_t>(static_cast<double>(PlatCounter()) * 1000000.0 /
                                     static_cast<double>(g_clock.counterFrequency));
    }
    return static_cast<uint64_t>(PlatTickMillis()) * 1000ull;
}

extern "C" {

uint32_t GetTickMillis(int) {
    ApiScope lock;
    return PlatTickMillis();
}

// Runs without the API lock: FramePump takes it for each pump, so the
// message-pump thread can get in between the 1 ms sleeps.
int WaitMilliseconds(int ms) {
    uint32_t start = PlatTickMillis();
    if (FramePump() != 0) return 0;
    // The elapsed time is an unsigned difference read as signed, which stays right
    // across the wrap of the tick count.
    while (static_cast<int32_t>(PlatTickMillis() - start) < ms) {
        PlatSleepMillis(1);
        if (FramePump() != 0) break;
    }
    return 0;
}

int GetLocalDateTime(int* sixInts) {
    ApiScope lock;
    if (!sixInts) return -1;
    PlatLocalTime(sixInts);
    return 0;
}

}  // extern "C"
