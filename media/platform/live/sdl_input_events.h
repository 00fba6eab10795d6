// sdl_input_events.h - the live window's event loop hands device events (game
// controllers and joysticks plugged in or pulled out) to the live input service.
// Implemented in sdl_input.cpp; called only from the main thread's event poll.
#ifndef PAVEX_PLATFORM_LIVE_SDL_INPUT_EVENTS_H
#define PAVEX_PLATFORM_LIVE_SDL_INPUT_EVENTS_H

#include <SDL.h>

// Returns 1 when the event was a device event and was consumed.
int SdlInputHandleEvent(const SDL_Event& event);

#endif
