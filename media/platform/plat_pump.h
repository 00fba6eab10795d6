// plat_pump.h - the library's background pump: a duty that runs about every period
// off the main thread, so that the services (music top-ups, network traffic, pad
// vibration) keep moving while the program's main thread is busy elsewhere.
//
// Implemented by media/platform/live/pump_thread.cpp (one std::thread sleeping on a
// condition variable between runs) and by the scripted platform, which has no thread:
// it runs the duty on the thread that moves the virtual clock, once for every period
// boundary the clock passes, so tests see the pump's work at exact virtual times.
#ifndef PAVEX_PLATFORM_PUMP_H
#define PAVEX_PLATFORM_PUMP_H

// The duty returns 0 to be run again after the next period, -1 to end the pump.
typedef int (*PlatPumpDuty)();

// Starts the pump: 0, or -1 when it could not be started (the library goes on
// without it). At most one pump runs.
int PlatPumpStart(PlatPumpDuty duty, int periodMs);
// Cuts the current period short, so that a pump waiting for its next run looks at
// its duty at once (the duty then decides to end).
void PlatPumpWake();
// Ends the pump: wakes it and waits until the duty is no longer running. Called from
// inside the duty itself it only lets the pump go (it ends after the duty returns).
// Harmless when no pump runs.
void PlatPumpStop();
// 1 when the calling thread is the pump's own thread.
int PlatPumpIsCurrentThread();

#endif
