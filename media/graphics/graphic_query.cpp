// graphic_query.cpp - GetGraphicSize and GetGraphicCoverage: what a program may ask
// about a graphic without drawing it, for example whether a picture leaves the part
// of the screen under it untouched.
//
// Owns only the two questions; reads pixels, never writes them.
#include <stdint.h>

#include "media/core/api_lock.h"
#include "media/graphics/graphics.h"
#include "pavex.h"

int GetGraphicSize(int graphic, int* width, int* height) {
    ApiScope lock;
    const GraphicRecord* record = GetGraphicRecord(graphic);
    if (!record) return -1;
    if (width) *width = record->width;
    if (height) *height = record->height;
    return 0;
}

int GetGraphicCoverage(int graphic, int x, int y, int width, int height) {
    ApiScope lock;
    const GraphicRecord* record = GetGraphicRecord(graphic);
    if (!record || x < 0 || y < 0 || width <= 0 || height <= 0 || width > record->width - x ||
        height > record->height - y)
        return -1;
    const RenderSource src = GraphicSource(record, 0);
    const uint32_t key = src.colorKey & 0xFFFFFFu;
    int bits = 0;
    for (int row = y; row < y + height; ++row) {
        const uint32_t* p = src.pixels + static_cast<int64_t>(row) * src.pitch;
        for (int col = x; col < x + width; ++col) {
            const uint32_t v = p[col];
            if (src.hasAlpha) {
                const uint32_t a = v >> 24;
                bits |= a == 0     ? PAVEX_COVER_LEFT_OUT
                        : a == 255 ? PAVEX_COVER_DRAWN
                                   : PAVEX_COVER_BLENDED;
            } else {
                bits |= (v & 0xFFFFFFu) == key ? PAVEX_COVER_LEFT_OUT : PAVEX_COVER_DRAWN;
            }
        }
    }
    return bits;
}
