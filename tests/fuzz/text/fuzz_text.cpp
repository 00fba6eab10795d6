// fuzz_text - hostile bytes as Shift-JIS text: the character walk, the conversion to
// Unicode, glyph rendering and the glyph caches of four fonts (every type, edge
// sizes 1 to 4, one cache small enough to be replaced all the time), drawn
// partly off the screen. The first two bytes pick the font and the position. Nothing
// may be allocated by drawing.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "media/core/frame.h"
#include "media/core/tracked_alloc.h"
#include "media/graphics/text.h"
#include "pavex.h"

namespace {
int g_fonts[4];
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FrameResetDefaults();
    ChangeWindowMode(1);
    SetAllowDoubleStart(1);
    if (SetScreenMode(96, 64, 32, 60) != 0 || InitMediaLayer() != 0) abort();
    SelectDrawTarget(PAVEX_SCREEN_BACK);
    g_fonts[0] = CreateFontToHandle("", 12, -1, 0, -1, -1, 0, -1, -1);
    g_fonts[1] = CreateFontToHandle("", 20, -1, 1, -1, 4, 1, -1, -1);
    g_fonts[2] = CreateFontToHandle("", 130, 9, 2, -1, -1, 0, -1, -1);
    g_fonts[3] = CreateFontToHandle("", 24, 2, 3, -1, 3, 0, -1, -1);
    for (int f : g_fonts)
        if (f < 0) abort();
    if (TextDefaultFont() < 0) abort();  // made now, so drawing allocates nothing
    atexit([] { EndMediaLayer(); });     // the fonts' libraries are released before the leak check
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    char text[1024];
    const size_t length = size - 2 < sizeof text - 1 ? size - 2 : sizeof text - 1;
    memcpy(text, data + 2, length);
    text[length] = '\0';
    const int blocks = TrackedBlockCount();
    const int font = g_fonts[data[0] & 3];
    const int x = static_cast<int8_t>(data[1]) * 2, y = (data[1] & 0x1F) - 16;
    if (DrawTextWithFont(x, y, text, 0xFFFFFF, 0x0000FF, font) != 0) abort();
    if (TextWidth(font, text) < 0) abort();
    if (data[0] & 4) DrawTextFormat(x, y, 0xFF00FF, "%s", text);
    if (TrackedBlockCount() != blocks) abort();
    return 0;
}
