// render.h - the software renderer: every picture, glyph and movie frame the library
// draws reaches the draw target through the three calls below.
//
// Each call takes the draw state fetched once by its caller (ScreenDrawState),
// clips the destination rectangle once against the clip rectangle, picks one row
// routine for its path (opaque copy, colour-keyed copy, per-pixel alpha, brightness,
// stretched, each blend mode) and runs it row by row. Nothing is allocated.
//
// The pixel rule (the contract every row routine keeps; channels are 0..255 and
// every division by 255 rounds down):
//   source alpha  a = 255, except: with transparency, a pixel equal to the colour
//                 key (source without alpha) is left out, and a source with alpha
//                 gives a = its alpha (0 is left out); without transparency the
//                 alpha is ignored.
//   brightness    c = c * bright / 255 for each channel of the draw brightness.
//   blend mode 0  a = 255: replace; otherwise d = (c * a + d * (255 - a)) / 255
//   mode 1        the same with a = a * param / 255
//   modes 2, 5    d = min(255, d + c * (a * param / 255) / 255)
//   mode 3        d = c * (255 - d) / 255
//   mode 4        d = d * c / 255
//   mode 8        d unchanged; any other mode draws as mode 0.
// The top byte of a written destination pixel is not part of the picture.
#ifndef PAVEX_GRAPHICS_RENDER_H
#define PAVEX_GRAPHICS_RENDER_H

#include <stdint.h>

#include "media/graphics/screen.h"

// A rectangle of 32-bit pixels 0xAARRGGBB to draw from.
struct RenderSource {
    const uint32_t* pixels;  // top-left pixel
    int pitch;               // pixels from one row to the next
    int width;
    int height;
    int hasAlpha;       // 1: the top byte is alpha; 0: it is ignored
    uint32_t colorKey;  // 0x00RRGGBB left out with transparency (sources without alpha)
    // Optional map of the source's rows in runs of kRenderBlock pixels, counted
    // from `blockX` pixels left of the top-left pixel: which runs transparency
    // leaves out wholly, which it draws wholly; null: none.
    const uint8_t* blocks;
    // For each block of the map: how many blocks of its class follow in its row,
    // itself included (1..255); set with `blocks`.
    const uint8_t* blockRuns;
    int blockPitch;  // bytes from one row of the map (and of the runs) to the next
    int blockX;
    int allSolid;  // 1: transparency leaves out nothing and every alpha is 255
};

constexpr int kRenderBlock = 8;
enum RenderBlockClass : uint8_t { BLOCK_MIXED, BLOCK_CLEAR, BLOCK_SOLID };
// The class of n pixels (a source with or without alpha, with its colour key).
RenderBlockClass RenderClassify(const uint32_t* pixels, int n, int hasAlpha, uint32_t colorKey);

// True when drawing the source over left..right-1 by top..bottom-1 (stretched or
// not) replaces every pixel of the draw target whatever it held.
bool RenderOverwritesTarget(const DrawState& state, const RenderSource& src, int64_t left,
                            int64_t top, int64_t right, int64_t bottom, int transparent);
// The source with its top-left pixel at (x, y).
void RenderImage(const DrawState& state, const RenderSource& src, int x, int y, int transparent);
// The source scaled (nearest pixel) to fill x1..x2-1 by y1..y2-1; reversed corners
// mirror it. Destination pixel i of a span n pixels long shows source pixel
// (2i + 1) * size / (2n), counted from the far edge when mirrored.
void RenderImageStretched(const DrawState& state, const RenderSource& src, int x1, int y1, int x2,
                          int y2, int transparent);
// Text: `colour` (0x00RRGGBB) drawn through a coverage mask (0 nothing .. 255 full) of
// width x height bytes, `pitch` bytes apart, with its top-left at (x, y). It is
// drawn as a source with alpha = coverage and transparency on, so brightness and
// blend modes apply as to pictures. An edged glyph is two calls: edge, then body.
void RenderCoverage(const DrawState& state, const uint8_t* coverage, int pitch, int width,
                    int height, int x, int y, uint32_t colour);

#endif
