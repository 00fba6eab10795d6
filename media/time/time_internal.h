// time_internal.h - what the rest of the library may ask of the time services
// beyond the public calls of pavex.h.
#ifndef PAVEX_TIME_INTERNAL_H
#define PAVEX_TIME_INTERNAL_H

#include <stdint.h>

// Start-up test that decides which clock backs GetMicroseconds, with its log
// lines, followed by seeding the random generator with the tick count. Run once by
// InitMediaLayer's window set-up (the caller holds the API lock; it pumps messages).
void ClockSelectSource();
// 1 when the high-resolution counter backs the microsecond clock, 0 for the tick.
int ClockUsesCounter();
// Microseconds since an arbitrary origin. cpuPrecision 1 asks for the processor's
// cycle counter when its rate was measured at start-up.
uint64_t GetMicroseconds(int cpuPrecision);

#endif
