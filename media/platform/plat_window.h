// plat_window.h - the window and the display, as the library frame and the screen
// need them of the platform.
//
// Implemented by media/platform/live/sdl_window.cpp (SDL2) and by the scripted
// platform in tests/support (window state in memory, events queued by the test,
// presented frames kept). Everything here is called by the thread that started the
// library, except PlatPresent, which runs under the API lock on whichever
// thread holds it. Only the main thread ever polls events.
#ifndef PAVEX_PLATFORM_WINDOW_H
#define PAVEX_PLATFORM_WINDOW_H

#include <stdint.h>

// Starts and stops the video and event services (and keeps the screen saver off
// while they run). Start returns 0 or -1.
int PlatVideoStart();
void PlatVideoStop();

struct PlatDesktopInfo {
    int width;
    int height;
    int bitsPerPixel;  // storage bits of one desktop pixel: 16, 24 or 32
    int refreshRate;   // hertz, 0 when unknown
};
int PlatDesktop(PlatDesktopInfo* out);  // 0, or -1 before PlatVideoStart

// Window flags, from the frame's window-style table.
enum PlatWindowFlag {
    PLAT_WINDOW_FULLSCREEN = 1,   // exclusive full screen at the client size
    PLAT_WINDOW_CAPTION = 2,      // title bar and system decorations
    PLAT_WINDOW_UTILITY = 4,      // tool window
    PLAT_WINDOW_TOPMOST = 8,      // kept above other windows
    PLAT_WINDOW_HIDE_CURSOR = 16  // no mouse cursor over the window
};

// Opens the one window, centred on the desktop, with a client area of the given
// size. 0, or -1 when it could not be made.
int PlatWindowOpen(const char* titleUtf8, int clientWidth, int clientHeight, int flags);
void PlatWindowClose();  // the window is destroyed; nothing happens without one
int PlatWindowIsOpen();
void PlatWindowSetTitle(const char* titleUtf8);
// Rebuilds the window for a new client size, style and (full screen) refresh rate.
// 0, or -1 when the display refused the mode.
int PlatWindowSetMode(int clientWidth, int clientHeight, int flags, int refreshRate);
// Switches text input (and with it the input method) off for the window. Returns 1
// when it was switched off, 0 when the platform has none.
int PlatWindowDisableTextInput();
void PlatWindowRaise();

enum PlatEventType {
    PLAT_EVENT_NONE = 0,
    PLAT_EVENT_CLOSE_REQUEST,  // close box, window manager, or SIGTERM/SIGINT
    PLAT_EVENT_FOCUS_GAINED,
    PLAT_EVENT_FOCUS_LOST,
    PLAT_EVENT_EXPOSED,          // the window must be painted again
    PLAT_EVENT_RESIZED,          // width, height: the new client size
    PLAT_EVENT_DISPLAY_CHANGED,  // the desktop changed (PlatDesktop tells how)
    PLAT_EVENT_OTHER             // anything else the platform handled itself (keys, devices)
};
struct PlatEvent {
    int type;
    int width;
    int height;
};
// Takes one event off the queue: 1 and *out filled, or 0 when the queue is empty.
int PlatPollEvent(PlatEvent* out);

// Shows a picture of XRGB8888 pixels (pitch in bytes), scaled to the client area
// when that is larger. With waitVBlank 0 it never waits for the display; with 1 it
// shows the picture at a vertical blank where the platform can. 0, or -1 without a
// window.
int PlatPresent(const uint32_t* pixels, int width, int height, int pitchBytes, int waitVBlank);
// 1 when PlatPresent with waitVBlank 1 really waits for the vertical blank.
int PlatCanWaitVBlank();

#endif
