// spies.cpp - catches the sound and vibration calls made by the rules.
//
// The test executable is linked with --wrap for these symbols (see CMakeLists.txt):
// every call from the game, the library or the tests lands in a __wrap_ function
// here, which records it and calls the original. The sound operations are C++
// functions, so their wrapped names are the mangled ones.
#include "tests/game/match/match_fixture.h"

spy::Record spy::calls;

extern "C" {
void __real__Z15PlaySoundEffecti(int n);
void __real__Z9PlayVoicei(int n);
void __real__Z7PlayBgmi(int n);
int __real_StartPadVibration(int pad, int power, int timeMs);
int __real_StopPadVibration(int pad);

void __wrap__Z15PlaySoundEffecti(int n) {
    if (n >= 0 && n < 32) spy::calls.effects[n] += 1;
    __real__Z15PlaySoundEffecti(n);
}
void __wrap__Z9PlayVoicei(int n) {
    spy::calls.voices += 1;
    __real__Z9PlayVoicei(n);
}
void __wrap__Z7PlayBgmi(int n) {
    spy::calls.bgms += 1, spy::calls.lastBgm = n;
    __real__Z7PlayBgmi(n);
}
int __wrap_StartPadVibration(int pad, int power, int timeMs) {
    if (power > 0) spy::calls.vibrationStarts += 1, spy::calls.lastPower = power;
    return __real_StartPadVibration(pad, power, timeMs);
}
int __wrap_StopPadVibration(int pad) {
    spy::calls.vibrationStops += 1;
    return __real_StopPadVibration(pad);
}
}
