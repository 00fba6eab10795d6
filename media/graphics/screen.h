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

// Everything a drawing call needs, fetched once per call: the surface of the draw
// target, the clip rectangle on it, the brightness and the blend mode. A drawing
// call clips once against `clip` and picks its row routine from the rest; nothing
// is drawn when `surface.pixels` is null or the clip rectangle is empty.
struct DrawState {
    int target;  // -4 front, -2 back, or a screen graphic (see graphics.h)
    DrawSurface surface;
    ClipRect clip;
    int clipEmpty;
    uint32_t bright;  // 0x00RRGGBB, 0xFFFFFF = no change
    int blendMode;
    int blendParam;
};
DrawState ScreenDrawState();
// The same, but the back screen may still owe rows (back_fill.h): the caller pays
// the rows it draws on, or forgets them when its drawing replaces every pixel.
DrawState ScreenDrawStateUnsettled();
void ScreenSetBlend(int mode, int param);
int ScreenClipEmpty();  // 1 when every drawing call draws nothing
// After drawing: the front screen as draw target is shown at once.
void ScreenShowFrontIfTarget(const DrawState& state);

// The rows of the service registry (media/core/services.cpp).
int ScreenStartUp();  // 0, or -1 (the layer cannot start)
void ScreenShutDown();
void ScreenWindowEvent(int event);  // exposed: show the last picture; display changed
void ScreenResetDefaults();         // mode, brightness and flags to defaults (screen down)
// The end of start-up: wait for the vertical blank, back then front screen as target,
// one pass through the drawing path.
void ScreenReady();
// Rebuilds the screen after a switch between window and full screen: 0, or -1.
int ScreenRebuild();

int ScreenStarted();  // 1 while the screen surfaces exist
// The screen size in force (640 x 480 when none was chosen).
int ScreenWidth();
int ScreenHeight();
int ScreenColourBits();                 // the depth the screen really has (the memory screen: 32)
DrawSurface ScreenSurface(int target);  // -4, -2 or a screen graphic

#endif
