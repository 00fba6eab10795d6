// scripted_timeline.cpp - what runs "in the background" on the scripted platform:
// the library's pump (plat_pump.h) and the sound device (plat_audio.h).
//
// There is no thread: whenever the virtual clock moves forward (a sleep of the
// test's thread, or script::AdvanceMs), the work that falls due up to the new time
// runs on that thread in time order: one pump duty per period boundary, one device
// fill per audio period. What the device played is recorded for the test.
// Must not touch: the other scripted services (the clock calls RunDueWork only).
#include <stdio.h>
#include <string.h>

#include <mutex>
#include <vector>

#include "media/platform/plat_audio.h"
#include "media/platform/plat_clock.h"
#include "media/platform/plat_pump.h"
#include "tests/support/scripted.h"
#include "tests/support/scripted_detail.h"

namespace {

constexpr int kAudioPeriodFrames = 1024;
// A jump of the clock further than this (SetNowMs near the wrap, say) resynchronises
// the timeline instead of replaying every period in between.
constexpr uint64_t kMaxCatchUpMicros = 60ull * 1000 * 1000;
constexpr size_t kMaxRecordedFrames = 180ull * kPlatAudioRate;

struct Timeline {
    bool working = false;  // RunDueWork is on the stack: nested sleeps only move time

    PlatPumpDuty duty = nullptr;
    uint64_t periodMicros = 0;
    uint64_t pumpDue = 0;
    bool inDuty = false;
    bool stopAfterDuty = false;

    PlatAudioFill fill = nullptr;
    void* user = nullptr;
    uint64_t audioOpenedAt = 0;
    uint64_t framesPlayed = 0;
    bool failOpen = false;
    std::vector<int16_t> recorded;
    int16_t period[kAudioPeriodFrames * kPlatAudioChannels] = {};
};

Timeline T;

uint64_t NowMicros() {
    return static_cast<uint64_t>(PlatTickMillis()) * 1000ull;
}

uint64_t AudioDue() {
    // The virtual time at which the device has room for its next period.
    return T.audioOpenedAt + (T.framesPlayed + kAudioPeriodFrames) * 1000000ull / kPlatAudioRate;
}

void RunPump() {
    T.pumpDue += T.periodMicros;
    T.inDuty = true;
    int result = T.duty();
    T.inDuty = false;
    if (result != 0 || T.stopAfterDuty) T.duty = nullptr;
}

void RunAudio() {
    memset(T.period, 0, sizeof T.period);
    T.fill(T.period, kAudioPeriodFrames, T.user);
    T.framesPlayed += kAudioPeriodFrames;
    if (T.recorded.size() / kPlatAudioChannels < kMaxRecordedFrames)
        T.recorded.insert(T.recorded.end(), T.period, T.period + kAudioPeriodFrames * 2);
}

}  // namespace

// ---- plat_pump.h ----

int PlatPumpStart(PlatPumpDuty duty, int periodMs) {
    if (T.duty || !duty || periodMs <= 0) return -1;
    T.duty = duty;
    T.periodMicros = static_cast<uint64_t>(periodMs) * 1000ull;
    T.pumpDue = NowMicros() + T.periodMicros;
    T.stopAfterDuty = false;
    return 0;
}

void PlatPumpWake() {}

void PlatPumpStop() {
    T.stopAfterDuty = true;  // a duty running now ends first
    if (!T.inDuty) T.duty = nullptr;
}

int PlatPumpIsCurrentThread() {
    return T.inDuty ? 1 : 0;
}

// ---- plat_audio.h ----

int PlatAudioOpen(PlatAudioFill fill, void* user, char* why, size_t whySize) {
    if (T.failOpen || !fill) {
        if (why && whySize) snprintf(why, whySize, "%s", "no scripted sound device");
        return -1;
    }
    T.fill = fill;
    T.user = user;
    T.audioOpenedAt = NowMicros();
    T.framesPlayed = 0;
    T.recorded.clear();
    return 0;
}

void PlatAudioClose() {
    T.fill = nullptr;
}

int PlatAudioPeriodFrames() {
    return T.fill ? kAudioPeriodFrames : 0;
}

namespace script::detail {

void RunDueWork() {
    if (T.working) return;
    T.working = true;
    for (;;) {
        const uint64_t now = NowMicros();
        if (T.duty && now > T.pumpDue + kMaxCatchUpMicros) T.pumpDue = now;
        if (T.fill && now > AudioDue() + kMaxCatchUpMicros) {
            T.audioOpenedAt = now;
            T.framesPlayed = 0;
        }
        const bool pumpDue = T.duty && T.pumpDue <= now;
        const bool audioDue = T.fill && AudioDue() <= now;
        if (pumpDue && (!audioDue || T.pumpDue <= AudioDue()))
            RunPump();
        else if (audioDue)
            RunAudio();
        else
            break;
    }
    T.working = false;
}

void ResetTimeline() {
    T = Timeline{};
}

}  // namespace script::detail

namespace script {

bool PumpRunning() {
    return T.duty != nullptr;
}

void FailAudioOpen(bool fail) {
    T.failOpen = fail;
}

const std::vector<int16_t>& AudioPlayed() {
    return T.recorded;
}

void ClearAudioPlayed() {
    T.recorded.clear();
}

}  // namespace script
