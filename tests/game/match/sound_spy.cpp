// sound_spy.cpp - catches the sound and vibration calls made by the rules.
//
// The test executables are linked with --wrap for these symbols: every call from the
// game lands in a __wrap_ function here, which records it and calls the original.
// The sound operations are C++ functions, so their wrapped names are the mangled ones.
#include "tests/game/match/sound_spy.h"

namespace {

struct SpyRecord {
    int effects[32];
    int voices;
    int bgms;
    int lastBgm;
    int vibrationStarts;
    int lastPower;
    int vibrationStops;
};

SpyRecord g_spy = {{}, 0, 0, -2, 0, 0, 0};

}  // namespace

extern "C" {
void __real__Z15PlaySoundEffecti(int n);
void __real__Z9PlayVoicei(int n);
void __real__Z7PlayBgmi(int n);
int __real_StartPadVibration(int pad, int power, int timeMs);
int __real_StopPadVibration(int pad);

void __wrap__Z15PlaySoundEffecti(int n) {
    if (n >= 0 && n < 32) g_spy.effects[n] += 1;
    __real__Z15PlaySoundEffecti(n);
}
void __wrap__Z9PlayVoicei(int n) {
    g_spy.voices += 1;
    __real__Z9PlayVoicei(n);
}
void __wrap__Z7PlayBgmi(int n) {
    g_spy.bgms += 1;
    g_spy.lastBgm = n;
    __real__Z7PlayBgmi(n);
}
int __wrap_StartPadVibration(int pad, int power, int timeMs) {
    if (power > 0) {
        g_spy.vibrationStarts += 1;
        g_spy.lastPower = power;
    }
    return __real_StartPadVibration(pad, power, timeMs);
}
int __wrap_StopPadVibration(int pad) {
    g_spy.vibrationStops += 1;
    return __real_StopPadVibration(pad);
}
}

namespace spy {

void Reset() {
    g_spy = SpyRecord{{}, 0, 0, -2, 0, 0, 0};
}
int EffectCount(int effect) {
    return effect >= 0 && effect < 32 ? g_spy.effects[effect] : 0;
}
int TotalEffects() {
    int total = 0;
    for (int n : g_spy.effects) total += n;
    return total;
}
int VoiceCount() {
    return g_spy.voices;
}
int BgmCount() {
    return g_spy.bgms;
}
int LastBgm() {
    return g_spy.lastBgm;
}
int VibrationStarts() {
    return g_spy.vibrationStarts;
}
int LastVibrationPower() {
    return g_spy.lastPower;
}
int VibrationStops() {
    return g_spy.vibrationStops;
}

}  // namespace spy
