// sound_spy.h - what the rules asked of the sound and vibration services, recorded
// for the tests. The calls are caught at link time (see CMakeLists.txt), so the game
// and the library are unchanged; each caught call is still passed on.
#ifndef VORLANE_TESTS_MATCH_SOUND_SPY_H
#define VORLANE_TESTS_MATCH_SOUND_SPY_H

namespace spy {

struct Record {
    int effects[32] = {};                    // PlaySoundEffect calls by effect number
    int voices = 0;                          // PlayVoice calls
    int bgms = 0, lastBgm = -2;              // PlayBgm calls and the last music asked for
    int vibrationStarts = 0, lastPower = 0;  // StartPadVibration calls with a power above 0
    int vibrationStops = 0;
};

extern Record calls;
inline void Reset() {
    calls = Record{};
}
inline int TotalEffects() {
    int total = 0;
    for (int n : calls.effects) total += n;
    return total;
}

}  // namespace spy

#endif
