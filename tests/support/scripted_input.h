// scripted_input.h - what a test can script and observe of pads and mouse buttons on
// the scripted platform (the keyboard is in scripted.h).
//
// Pads are plugged in and pulled out at any moment; each plugged pad gets an id that
// is never reused during a run, as on the live platform. Axis values are given on the
// library's scale (-1000..1000, dead zone already applied), buttons by number 1..32.
// Every change of a pad's two rumble motors is recorded with the virtual time at
// which it happened.
// A pad that is pulled out is forgotten: its reads and its motor record read 0.
#ifndef VORLANE_TESTS_SCRIPTED_INPUT_H
#define VORLANE_TESTS_SCRIPTED_INPUT_H

#include <stdint.h>

namespace script {

// Plugs in a pad; returns its id (> 0), or 0 when 8 pads are attached already.
uint32_t PlugPad(bool rumble = true, const char* name = "Scripted Pad");
void UnplugPad(uint32_t id);
int PadCount();

enum PadAxis { kAxisX = 0, kAxisY, kAxisZ, kAxisRx, kAxisRy, kAxisRz };
void SetPadAxis(uint32_t id, int axis, int value);
void SetPadButton(uint32_t id, int button, bool down);  // button 1..32
// How often the library read this pad's state (to see reads limited per millisecond).
int PadReads(uint32_t id);

// Makes the next controller that the library looks for fail to open.
void FailNextPadOpen();

struct Rumble {
    uint32_t atMs;  // virtual time of the change
    uint16_t low;   // low-frequency motor
    uint16_t high;  // high-frequency motor
};
// The motors of a pad as they run at the virtual time now (a strength whose duration
// has run out reads 0).
Rumble PadRumbleNow(uint32_t id);
// Recorded changes of a pad's motors, oldest first; at most the last 512 are kept.
int RumbleChangeCount(uint32_t id);
Rumble RumbleChange(uint32_t id, int index);

void SetMouseButton(int button, bool down);  // button 1..8

}  // namespace script

#endif
