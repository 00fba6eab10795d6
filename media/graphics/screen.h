// screen.h - what the graphics units (drawing, images, text, capture) may ask of the
// screen: the draw target and its pixels, the clip rectangle, the drawing
// brightness and the blend state. Implemented in media/graphics/screen.cpp; the
// public screen calls are in pavex.h. Callers hold the API lock.
#ifndef PAVEX_GRAPHICS_SCREEN_H
#define PAVEX_GRAPHICS_SCREEN_H

#include <stdint.h>

// A block of XRGB8888 pixels, `pitch` bytes from one row to the next. `pixels` is
// null when the surface does not exist (before the graphics start).
struct DrawSurface {
    uint32_t* pixels;
    int pitch;
    int width;
    int height;
};

// Normalised (x1 <= x2, y1 <= y2) and clamped to the draw target; x2 and y2 are
// exclusive.
struct ClipRect {
    int x1, y1, x2, y2;
};

// Graphics start-up and shutdown, run by InitMediaLayer / EndMediaLayer.
int ScreenStartUp();  // 0, or -1 (the layer cannot start)
void ScreenShutDown();
int ScreenStarted();  // 1 while the screen surfaces exist

// The screen size in force (640 x 480 when none was chosen).
int ScreenWidth();
int ScreenHeight();
int ScreenColourBits();  // the depth the screen really has (the memory screen: 32)

int ScreenDrawTarget();                 // -4 front, -2 back, or a screen graphic
DrawSurface ScreenDrawSurface();        // the surface of the draw target
DrawSurface ScreenSurface(int target);  // -4 or -2
ClipRect ScreenClip();
int ScreenClipEmpty();        // 1: every drawing operation draws nothing
uint32_t ScreenDrawBright();  // 0x00RRGGBB, 0xFFFFFF = no change
void ScreenSetBlend(int mode, int param);
int ScreenBlendMode();
int ScreenBlendParam();

// The wait-for-vertical-blank flag (InitMediaLayer sets it to 1).
void ScreenSetWaitVSync(int wait);
// Internal SelectDrawTarget (the caller holds the lock and the graphics run).
int ScreenSelectTarget(int target);
// The window was exposed: show the last finished picture again.
void ScreenRepaint();
// Rebuilds the screen after a switch between window and full screen (forced mode
// change): 0, or -1.
int ScreenRebuild();
// Puts the stored mode, brightness and flags back to their defaults. Only while the
// graphics are not running.
void ScreenResetDefaults();

#endif
