// vibration.cpp - joypad vibration: a short buzz for every lock, a longer one for a
// clear, the strongest for four rows, and the stop when its time is up.
//
// Owns `vibrationStart` and `vibrationLength`. It must not read the pad.
#include "match/vibration.h"

#include "match/match_state.h"
#include "pavex.h"

namespace {

constexpr int kPad = 1;
constexpr int kUntilStopped = -1;

void StartNow(int lengthMs, int power) {
    match.vibrationLength = lengthMs;
    match.vibrationStart = GetTickMillis(0);
    StartPadVibration(kPad, power, kUntilStopped);
}

}  // namespace

void UpdateVibration(int n) {
    switch (n) {
        case 0:
            if (match.vibrationLength < 100) StartNow(100, 600);
            break;
        case 1:
            if (match.vibrationLength < 300) StartNow(300, 400);
            break;
        case 2:
            if (match.vibrationLength < 300) StartNow(300, 500);
            break;
        case 3:
            if (match.vibrationLength < 300) StartNow(300, 600);
            break;
        case 4:
            StartNow(500, 1000);
            break;
        default:
            break;
    }
    if (MillisSince(match.vibrationStart) >= match.vibrationLength) {
        StartPadVibration(kPad, 0, kUntilStopped);
        StopPadVibration(kPad);
        ProcessMessage();
        match.vibrationLength = 0;
    }
}
