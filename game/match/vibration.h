// vibration.h - joypad vibration on locks and clears.
#ifndef VORLANE_MATCH_VIBRATION_H
#define VORLANE_MATCH_VIBRATION_H

// Starts the vibration for a lock that cleared n rows (0..4), or with -1 only stops
// a vibration that has run its length. Called only when PadVibration is on.
void UpdateVibration(int n);

#endif
