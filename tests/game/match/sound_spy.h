// sound_spy.h - what the rules asked of the sound and vibration services, recorded
// for the tests. The calls are caught at link time (see CMakeLists.txt), so the game
// and the library are unchanged; each caught call is still passed on.
#ifndef VORLANE_TESTS_MATCH_SOUND_SPY_H
#define VORLANE_TESTS_MATCH_SOUND_SPY_H

namespace spy {

void Reset();
int EffectCount(int effect);  // PlaySoundEffect calls with this effect since Reset
int TotalEffects();
int VoiceCount();
int BgmCount();
int LastBgm();          // -2 when none
int VibrationStarts();  // StartPadVibration calls with a power above 0
int LastVibrationPower();
int VibrationStops();  // StopPadVibration calls

}  // namespace spy

#endif
