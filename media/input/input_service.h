// input_service.h - the input area's internal side: its service hooks for the frame
// and what its units (keyboard.cpp, pads.cpp, vibration.cpp, input_service.cpp)
// share. Nothing outside media/input includes this header except the frame's
// service table.
#ifndef PAVEX_INPUT_INPUT_SERVICE_H
#define PAVEX_INPUT_INPUT_SERVICE_H

#include <stdint.h>

#include "media/platform/plat_input.h"

// ---- service hooks (media/core/services.cpp) ----
// Opens keyboard, mouse and pads and logs what was found; 0 (a missing keyboard or
// mouse ends the program through the fatal exit). Harmless when input is up already.
int InputStartUp();
// Stops every motor, releases the devices, logs the end of input.
void InputShutDown();
// Inside every ProcessMessage: notices pads that came or went, runs the vibration
// time limits and keeps the motors running as the effects say.
void InputPump();
// The window gained (1) or lost (0) the focus: vibration stops while it is inactive
// and resumes when it is active again.
void InputActivate(int active);

// ---- shared by the units of the area (callers hold the API lock) ----

// Every query starts here: waits while the window is inactive, then, when input is
// not up yet, starts it. Returns 1 when the query may go on; 0 when it must return
// *result instead (the start-up result).
int InputBeginQuery(int* result);
int InputStarted();

// Keyboard (keyboard.cpp).
void KeyboardReset();
// Refreshes the key state at most once per millisecond, pumping messages first.
void KeyboardRefresh();
const uint8_t* KeyboardState();  // 256 bytes, 0x80 = down
uint32_t KeyboardPadBits();      // the pad bits of the keys that are down

// Pads (pads.cpp).
struct PadRecord {
    uint32_t id;  // platform id of the device
    int hasRumble;
    PlatPadState state;
    uint32_t lastRefreshTick;
    int refreshed;
    // Vibration (vibration.cpp).
    int vibrating;
    int power;      // -10000..10000, 10000 when idle
    int timeLimit;  // ms, -1 = until stopped
    int elapsed;    // ms run against the limit
    uint32_t lastTick;
    int constantPlaying;
    int sinePlaying;
    uint32_t sineStartTick;
    uint16_t sentLow, sentHigh;  // motor strengths last given to the platform
    uint32_t sentTick;
};
void PadsReset();
// Brings the pad table in line with the pads attached now; logs arrivals.
void PadsSync();
int PadCount();
PadRecord* PadAt(int index);     // index 0..count-1, else null
int PadStateBits(int selector);  // GetPadState without lock or inactive wait

// Vibration (vibration.cpp).
// Applies the rule of which effect plays on every pad, for the given window state,
// and sends the motor strengths.
void VibrationUpdateEffects(int windowActive);
void VibrationRunTimers();
void VibrationStopAllMotors();

#endif
