// text.h - fonts and text as the rest of the library sees them: the service row's
// hooks and what tests and benchmarks may ask of a font's cache. Implemented in
// media/graphics/text.cpp; the public calls (DrawTextAt, DrawTextFormat,
// SetDefaultFontType, CreateFontToHandle, DeleteFontHandle) are in pavex.h.
// Callers hold the API lock.
#ifndef PAVEX_GRAPHICS_TEXT_H
#define PAVEX_GRAPHICS_TEXT_H

#include <stdint.h>

constexpr int kFontSlotCount = 40;
constexpr int kFontMaxSize = 1024;  // larger sizes are refused

// The service row (media/core/services.cpp).
int TextStartUp();         // empties the font table; 0
void TextShutDown();       // deletes every font
void TextResetDefaults();  // the default font settings back to their start values

// Glyph cache slots of a memory cache whose cells are cellSize pixels square.
int FontCacheCapacityFor(int cellSize);

struct FontInfo {
    int cellSize;
    int lineHeight;
    int cacheCapacity;
    int cacheNext;
};
// 0 with `info` filled, or -1 for a handle that is not a live font.
int FontGetInfo(int font, FontInfo* info);
// The cache slot holding character `code` (one byte, or lead << 8 | trail), or -1.
int FontCachedSlot(int font, int code);
// The default font, made (or remade after a settings change) first: a handle or -1.
int TextDefaultFont();
// The pen advance of `text` drawn with `font` (every character's advance plus the
// spacing), caching what it meets; -1 for a bad font.
int TextWidth(int font, const char* text);
// DrawTextAt with a chosen font.
int DrawTextWithFont(int x, int y, const char* text, uint32_t colour, uint32_t edgeColour,
                     int font);

#endif
