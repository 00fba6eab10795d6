// plat_clock.h - clocks and sleeping, as the library needs them of the platform.
//
// Implemented by media/platform/live (CLOCK_MONOTONIC, clock_nanosleep, localtime_r) and by
// the scripted platform in tests/support (a virtual clock that sleeps advance).
#ifndef PAVEX_PLATFORM_CLOCK_H
#define PAVEX_PLATFORM_CLOCK_H

#include <stdint.h>

uint32_t PlatTickMillis();        // milliseconds, wraps after 2^32
uint64_t PlatMicroseconds();      // microseconds since an arbitrary origin
uint64_t PlatCounterFrequency();  // counts per second of the high-resolution clock (0: none)
uint64_t PlatCounter();           // the high-resolution clock itself
void PlatSleepMillis(int ms);     // until the tick has moved on by ms; ms <= 0 yields once
void PlatLocalTime(int out[6]);   // year, month 1-12, day 1-31, hour, minute, second

#endif
