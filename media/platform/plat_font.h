// plat_font.h - the font engine, as the text area needs it: a face picked by name
// and character set, measured once, and single glyphs rendered as coverage levels.
//
// Implemented once in media/platform/host/font_face.cpp (fontconfig picks the face,
// FreeType renders it). The caller allocates the engine's state (kPlatFontStateBytes,
// aligned for any type) and keeps it until PlatFontClose; the libraries allocate
// their own internals. Nothing here touches the screen or the glyph cache.
#ifndef PAVEX_PLATFORM_FONT_H
#define PAVEX_PLATFORM_FONT_H

#include <stddef.h>
#include <stdint.h>

extern const size_t kPlatFontStateBytes;

// The character sets a face is asked for.
enum PlatCharset {
    PLAT_CHARSET_DEFAULT = 0,   // any face
    PLAT_CHARSET_SHIFTJIS = 1,  // the face must cover Japanese
    PLAT_CHARSET_HANGUL = 2,    // the face must cover Korean
};

struct PlatFontRequest {
    const char* faceName;  // UTF-8; empty or null: the default Japanese gothic face
    int pixelHeight;       // the em height in pixels
    int weight;            // 100 (thin) .. 900 (black); 600 and above is bold
    int italic;
    int charset;  // a PlatCharset
};

struct PlatFontMetrics {
    int maxAdvance;  // the widest advance of the face at this size, in pixels
    int height;      // character height in pixels (the requested em height)
    int ascent;      // pixels from the top of a line to the baseline
};

// Opens the face that fits the request: 0 with the metrics filled, or -1 when no
// face of that name (a given name must match a family of the face) covers the
// character set, or the face cannot be opened. On -1 nothing needs closing.
int PlatFontOpen(void* state, const PlatFontRequest& request, PlatFontMetrics* metrics);
void PlatFontClose(void* state);

// Renders the glyph of Unicode `codepoint` with its pen origin at (penX, baseline) of
// a block of width x height bytes, `pitch` apart, cut to the block. Each byte is
// written with the larger of its value and the glyph's coverage level: 0..16 with
// `grey`, else 0 or 16. *advance gets the pen step in pixels. A face without the
// character renders its missing-glyph shape. 0, or -1 when the engine fails.
int PlatFontRenderGlyph(void* state, uint32_t codepoint, int grey, uint8_t* block, int pitch,
                        int width, int height, int penX, int baseline, int* advance);

#endif
