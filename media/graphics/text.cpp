// text.cpp - text and fonts. For now only the default font settings record that
// SetDefaultFontType fills; the glyph cache and the drawing calls join this unit
// with the text renderer.
//
// Owns: the font settings record. Touches nothing else.
#include "media/core/api_lock.h"
#include "pavex.h"

namespace {

struct FontSettings {
    int defaultFontType;  // read by the text renderer when it makes the default font
};
FontSettings g_fontSettings = {};

}  // namespace

int SetDefaultFontType(int fontType) {
    ApiScope lock;
    g_fontSettings.defaultFontType = fontType;
    return 0;
}

// NOT YET BUILT: fonts, the glyph cache and text drawing are open work of the text
// issue; until they land text draws nothing.
int DrawTextAt(int, int, const char*, uint32_t, uint32_t) {
    ApiScope lock;
    return 0;
}

int DrawTextFormat(int, int, uint32_t, const char*, ...) {
    ApiScope lock;
    return 0;
}
