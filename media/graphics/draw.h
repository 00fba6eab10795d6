// draw.h - the drawing calls' internal side: the blend mode (internal to the layer:
// the game never sets it) and the colour packing behind MakeColor for every screen
// format. Implemented in draw.cpp; the public drawing calls are in pavex.h. Callers
// hold the API lock.
#ifndef PAVEX_GRAPHICS_DRAW_H
#define PAVEX_GRAPHICS_DRAW_H

#include <stdint.h>

#include "media/graphics/image_readers.h"

// Stores the blend mode and its parameter (clamped to 0..255); 0.
int SelectBlendMode(int mode, int param);

// The colour format of the screen in force: 32-bit 8-8-8 (unused bits 0xFF000000)
// for the memory screen once it runs; before that the depth asked for, 16 bits
// meaning 5-6-5.
ColorFormat ScreenColourFormat();
// r, g, b packed for a 16- or 32-bit format: each channel's low 8 bits cut to the
// channel's width and shifted into place, plus the unused bits.
uint32_t PackColour(const ColorFormat& format, int red, int green, int blue);

#endif
