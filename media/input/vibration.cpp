// vibration.cpp - pad vibration: StartPadVibration, StopPadVibration, the time
// limits run from the message pump, the rule of which effect plays, and how the two
// effects are felt on a pad's two rumble motors.
//
// Owns: the vibration fields of the pad records (input_service.h). Must not touch
// the pad state or the keyboard.
//
// Two effects run on a vibrating pad:
// - the constant force plays while the pad vibrates; it drives the low-frequency
//   motor at |power| (power -10000..10000 -> 0..65535);
// - the sine plays while the pad vibrates with power above 5000; it drives the
//   high-frequency motor full scale, swelling and ebbing once every 1.5 s
//   ((1 - cos(2 pi t / 1.5 s)) / 2, starting from rest), with an attack from 0 over
//   the first 0.5 s after it starts. Its 1 s fade belongs to the end of a timed
//   effect; the sine runs until it is stopped, and a stop is immediate, so the fade
//   never shows.
// Both stop while the window is inactive and start again (the sine from its attack)
// when it is active again. The motors are given a lease of kLeaseMs and renewed from
// every pump, so a pad stops by itself if the program stalls.
#include <math.h>

#include "media/core/api_lock.h"
#include "media/core/frame.h"
#include "media/input/input_service.h"
#include "pavex.h"

namespace {

constexpr int kPowerMax = 10000;
constexpr int kSineThreshold = 5000;  // power above this also plays the sine
constexpr uint32_t kSinePeriodMs = 1500;
constexpr uint32_t kSineAttackMs = 500;
constexpr uint32_t kLeaseMs = 2000;  // how long the motors run without a renewal
constexpr uint32_t kRenewMs = 500;   // renew well before the lease runs out

uint16_t LowMotor(const PadRecord& pad) {
    if (!pad.constantPlaying) return 0;
    int magnitude = pad.power < 0 ? -pad.power : pad.power;
    if (magnitude > kPowerMax) magnitude = kPowerMax;
    return static_cast<uint16_t>(magnitude * 65535 / kPowerMax);
}

uint16_t HighMotor(const PadRecord& pad, uint32_t now) {
    if (!pad.sinePlaying) return 0;
    uint32_t t = now - pad.sineStartTick;
    if (static_cast<int32_t>(t) < 0) t = 0;
    double envelope = t >= kSineAttackMs ? 1.0 : static_cast<double>(t) / kSineAttackMs;
    double phase = static_cast<double>(t % kSinePeriodMs) / kSinePeriodMs;
    double level = (1.0 - cos(2.0 * M_PI * phase)) * 0.5;
    return static_cast<uint16_t>(lround(65535.0 * envelope * level));
}

void SendMotors(PadRecord& pad, uint32_t now) {
    if (!pad.hasRumble) return;
    uint16_t low = LowMotor(pad);
    uint16_t high = HighMotor(pad, now);
    bool changed = low != pad.sentLow || high != pad.sentHigh;
    bool running = low != 0 || high != 0;
    if (!changed && !(running && now - pad.sentTick >= kRenewMs)) return;
    PlatSetPadRumble(pad.id, low, high, running ? kLeaseMs : 0);
    pad.sentLow = low;
    pad.sentHigh = high;
    pad.sentTick = now;
}

void StopPad(PadRecord& pad) {
    pad.vibrating = 0;
    pad.power = kPowerMax;
}

// The selector may carry the keyboard bit; only the pad number counts here.
PadRecord* VibratingPadFor(int selector) {
    long long index = static_cast<long long>(selector & ~PAVEX_INPUT_KEYBOARD) - 1;
    if (index < 0 || index >= PLAT_MAX_PADS) return nullptr;
    PadsSync();
    PadRecord* pad = PadAt(static_cast<int>(index));
    if (!pad || !pad->hasRumble) return nullptr;
    return pad;
}

int InternalStartPadVibration(int selector, int power, int timeMs) {
    if (!InputStarted()) return 0;
    PadRecord* pad = VibratingPadFor(selector);
    if (!pad) return 0;
    int newPower = pad->power;
    if (power != -1) {
        long long scaled = static_cast<long long>(power) * 10;
        if (scaled > kPowerMax) scaled = kPowerMax;
        if (scaled < -kPowerMax) scaled = -kPowerMax;
        newPower = static_cast<int>(scaled);
    }
    pad->lastTick = GetTickMillis(0);
    pad->timeLimit = timeMs;
    pad->elapsed = 0;
    if (pad->vibrating && pad->power == newPower) return 0;  // only the timer restarts
    pad->power = newPower;
    pad->vibrating = 1;
    VibrationUpdateEffects(FrameIsActive());
    return 0;
}

int InternalStopPadVibration(int selector) {
    if (!InputStarted()) return 0;
    PadRecord* pad = VibratingPadFor(selector);
    if (!pad || !pad->vibrating) return 0;
    StopPad(*pad);
    VibrationUpdateEffects(FrameIsActive());
    return 0;
}

}  // namespace

void VibrationUpdateEffects(int windowActive) {
    uint32_t now = GetTickMillis(0);
    for (int i = 0; i < PadCount(); ++i) {
        PadRecord& pad = *PadAt(i);
        if (!windowActive) {
            pad.constantPlaying = 0;
            pad.sinePlaying = 0;
        } else {
            pad.constantPlaying = pad.vibrating;
            int sine = pad.vibrating && pad.power > kSineThreshold;
            if (sine && !pad.sinePlaying) pad.sineStartTick = now;
            pad.sinePlaying = sine;
        }
        SendMotors(pad, now);
    }
}

void VibrationRunTimers() {
    uint32_t now = GetTickMillis(0);
    for (int i = 0; i < PadCount(); ++i) {
        PadRecord& pad = *PadAt(i);
        if (!pad.vibrating || pad.timeLimit < 0 || now == pad.lastTick) continue;
        if (static_cast<int32_t>(now - pad.lastTick) < 0) pad.lastTick = now;  // clock went back
        uint32_t step = now - pad.lastTick;
        long long elapsed = static_cast<long long>(pad.elapsed) + step;
        pad.elapsed = elapsed > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(elapsed);
        pad.lastTick = now;
        if (pad.elapsed >= pad.timeLimit) StopPad(pad);
    }
}

void VibrationStopAllMotors() {
    for (int i = 0; i < PadCount(); ++i) {
        PadRecord& pad = *PadAt(i);
        StopPad(pad);
        pad.constantPlaying = 0;
        pad.sinePlaying = 0;
        if (pad.hasRumble && (pad.sentLow != 0 || pad.sentHigh != 0)) {
            PlatSetPadRumble(pad.id, 0, 0, 0);
            pad.sentLow = pad.sentHigh = 0;
        }
    }
}

extern "C" {

int StartPadVibration(int pad, int power, int timeMs) {
    ApiScope lock;
    return InternalStartPadVibration(pad, power, timeMs);
}

int StopPadVibration(int pad) {
    ApiScope lock;
    return InternalStopPadVibration(pad);
}

}  // extern "C"
