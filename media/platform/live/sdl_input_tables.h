// sdl_input_tables.h - the pure translation tables of the live input service: SDL
// scancodes to the library's one-byte key codes and back, and SDL axis values to the
// library's -1000..1000 axis scale. No SDL state is touched, so tests may call these
// without a display.
#ifndef PAVEX_PLATFORM_LIVE_SDL_INPUT_TABLES_H
#define PAVEX_PLATFORM_LIVE_SDL_INPUT_TABLES_H

#include <stdint.h>

// The key code (1..255) an SDL scancode reports, or 0 for a scancode that no key of
// the library's numbering stands for (and for values out of range).
int PlatKeyCodeFromScancode(int scancode);
// The SDL scancode that reports `keyCode`, or 0 (SDL_SCANCODE_UNKNOWN) when none does.
// Where two scancodes share a code, the usual key of the two is returned.
int PlatScancodeFromKeyCode(int keyCode);

// A stick axis of SDL (-32768..32767) on the library's scale: 0 within a quarter of
// the travel around the centre, then rising evenly to -1000 / 1000 at the ends.
int32_t PlatScaleStickAxis(int raw);

#endif
