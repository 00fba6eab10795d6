// scripted_clock.cpp - the virtual clock of the scripted platform (plat_clock.h).
//
// Owns: one virtual time in microseconds. Sleeps of the test's own thread (the
// thread that last reset the clock) advance it instead of waiting; every read of
// the microsecond clock moves it on by 1 us, so busy loops that wait for the
// microsecond clock end (1000 such reads make one virtual millisecond). Sleeps of
// other threads (threads a test starts) wait in real time and leave the virtual
// clock alone, so a background thread cannot race the test's time line. Every move
// forward of the owner's clock runs the background work that fell due
// (scripted_timeline.cpp).
// Before any reset every thread advances the clock. Also script::Reset, which only
// calls each scripted service's own reset in order. Must not touch the other
// services' state.
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <thread>

#include "media/platform/plat_clock.h"
#include "tests/support/scripted.h"
#include "tests/support/scripted_detail.h"

namespace {

std::atomic<uint64_t> g_micros{1000ull * 1000ull};
std::atomic<uint64_t> g_sleptMs{0};
std::atomic<int> g_sleepCalls{0};
std::atomic<std::thread::id> g_owner;  // default id: every thread advances the clock
// The calendar: fixed, so that names made from it are known in advance.
std::array<int, 6> g_localTime = {2026, 12, 5, 21, 43, 7};

}  // namespace

uint32_t PlatTickMillis() {
    return static_cast<uint32_t>(g_micros.load() / 1000ull);
}

uint64_t PlatMicroseconds() {
    return g_micros.fetch_add(1) + 1;
}

uint64_t PlatCounterFrequency() {
    return 1000000ull;
}

uint64_t PlatCounter() {
    return PlatMicroseconds();
}

void PlatSleepMillis(int ms) {
    const std::thread::id owner = g_owner.load();
    if (owner != std::thread::id() && owner != std::this_thread::get_id()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms > 0 ? ms : 0));
        return;
    }
    g_sleepCalls.fetch_add(1);
    if (ms <= 0) return;
    g_sleptMs.fetch_add(static_cast<uint64_t>(ms));
    script::AdvanceMs(static_cast<uint32_t>(ms));
}

void PlatLocalTime(int out[6]) {
    if (out) std::copy(g_localTime.begin(), g_localTime.end(), out);
}

namespace script {

void SetLocalDateTime(int year, int month, int day, int hour, int minute, int second) {
    g_localTime = {year, month, day, hour, minute, second};
}

uint32_t NowMs() {
    return PlatTickMillis();
}

void AdvanceMs(uint32_t ms) {
    g_micros.fetch_add(static_cast<uint64_t>(ms) * 1000ull);
    detail::RunDueWork();
}

void SetNowMs(uint32_t ms) {
    // Keeps the bits above 2^32 ms so the microsecond clock never runs backwards
    // when a test moves the tick close to its wrap.
    uint64_t now = g_micros.load();
    uint64_t epoch = (now / 1000ull) >> 32;
    uint64_t target = ((epoch << 32) | ms) * 1000ull;
    if (target < now) target += (1ull << 32) * 1000ull;
    g_micros.store(target);
}

uint64_t SleptMs() {
    return g_sleptMs.load();
}

int SleepCalls() {
    return g_sleepCalls.load();
}

namespace detail {

void ResetClock(uint32_t startMs) {
    g_owner = std::this_thread::get_id();
    g_micros.store(static_cast<uint64_t>(startMs) * 1000ull);
    g_sleptMs.store(0);
    g_sleepCalls.store(0);
    SetLocalDateTime(2026, 12, 5, 21, 43, 7);
}

}  // namespace detail

// Each service resets its own state; only the order is known here.
void Reset(uint32_t startMs) {
    detail::ResetTimeline();
    detail::ResetClock(startMs);
    detail::ResetWindow();
    detail::ResetInput();
}

}  // namespace script
