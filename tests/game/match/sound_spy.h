// sound_spy.h - what the rules asked of the sound and vibration services, recorded
// for the tests. The calls are caught at link time (see CMakeLists.txt), so the game
// and the library are unchanged; each caught call is still passed on.
#ifndef VORLANE_TESTS_MATCH_SOUND_SPY_H
#define VORLANE_TESTS_MATCH_SOUND_SPY_H

namespace spy {

struct Record {
    int effects[32];      // PlaySoundEffect calls by effect number
    int voices;           // PlayVoice calls
    int bgms;             // PlayBgm calls
    int lastBgm;          // -2 when none
    int vibrationStarts;  // StartPadVibration calls with a power above 0
    int lastPower;
    int vibrationStops;  // StopPadVibration calls
};

extern Record calls;
void Reset();
int TotalEffects();

}  // namespace spy

#endif
