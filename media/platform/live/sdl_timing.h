// sdl_timing.h - SDL's own sleep, for measurements that compare the library's frame
// pacing with a loop paced by SDL_Delay. Live platform only.
#ifndef PAVEX_PLATFORM_LIVE_SDL_TIMING_H
#define PAVEX_PLATFORM_LIVE_SDL_TIMING_H

#include <stdint.h>

void SdlDelayMillis(uint32_t ms);
uint32_t SdlTicksMillis();

#endif
