// text.cpp - fonts, their glyph caches and the text drawing calls.
//
// Owns: the font table (40 slots on the core handle table, slot array in static
// storage), the font records and their caches (tracking allocator), the default
// font settings and the default font built from them. A glyph is rendered by the
// font engine (media/platform/plat_font.h) once, on first use, into its cache cell
// as one byte a pixel: glyph coverage 0..15 in the low nibble, edge coverage 0..15
// in the high nibble. Drawing expands a cell into a coverage mask and hands it to
// the software renderer, edge first, then the glyph; nothing is allocated then.
// Must not touch: pixels of the draw target other than through the renderer.
#include "media/graphics/text.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "media/core/api_lock.h"
#include "media/core/frame.h"
#include "media/core/handle_table.h"
#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
#include "media/graphics/render.h"
#include "media/graphics/screen.h"
#include "media/platform/plat_font.h"
#include "media/platform/plat_system.h"
#include "pavex.h"

namespace {

constexpr int kCacheMemoryBytes = 327680;
constexpr int kCacheMinGlyphs = 20;
constexpr int kCacheMaxGlyphs = 2024;
constexpr int kCodeCount = 65536;
constexpr int kMaxEdgeSize = 4;
constexpr size_t kFaceNameBytes = 64;
constexpr size_t kFormatBytes = 1024;

// Row widths of the edge masks, by edge size (each row centred on the pixel).
constexpr int kEdgeRows[kMaxEdgeSize][9] = {
    {1, 3, 1}, {3, 5, 5, 5, 3}, {1, 5, 5, 7, 5, 5, 1}, {5, 7, 9, 9, 9, 9, 9, 7, 5}};

struct FontSettings {
    char faceName[kFaceNameBytes];
    int size;
    int thickness;
    int fontType;
    int charsetIndex;
    int edgeSize;
    int italic;
    int charSpacing;
};

constexpr FontSettings kDefaultSettings = {"", 16, 6, 0, 1, 1, 0, 0};

struct GlyphEntry {
    int code;  // -1: the slot is empty
    int advance;
    int x1, y1, x2, y2;  // the part of the cell that holds pixels (empty: x1 == x2)
};

struct FontRecord {
    int checkNumber;
    FontSettings settings;  // after the defaults were applied
    int cellSize;
    int lineHeight;
    int ascent;
    int glyphOffset;  // where the pen starts in a cell: the edge size of an edged font
    int cacheCapacity;
    int cacheNext;
    int16_t* codeMap;    // kCodeCount entries: the slot of a code, or -1
    GlyphEntry* glyphs;  // cacheCapacity entries
    uint8_t* cells;      // cacheCapacity cells of cellSize x cellSize bytes
    uint8_t* mask;       // one cell of coverage for the renderer
    void* engine;        // kPlatFontStateBytes
    int* lostFlag;
};

struct TextSystem {
    int started;
    FontSettings defaults;   // what SetDefaultFontType and friends ask for
    FontSettings builtFrom;  // what the default font was made from
    int defaultFont;         // -1 until a text call needs it
};

HandleSlot g_fontSlots[kFontSlotCount];
HandleTable g_fonts = {
    kHandleFont, kFontSlotCount, HANDLE_SEARCH_LOWEST_FREE, g_fontSlots, 0, 0, 0};
TextSystem g_text = {0, kDefaultSettings, kDefaultSettings, -1};

FontRecord* FontOf(int handle) {
    return static_cast<FontRecord*>(HandleGet(&g_fonts, handle));
}

bool SameSettings(const FontSettings& a, const FontSettings& b) {
    return strcmp(a.faceName, b.faceName) == 0 && a.size == b.size && a.thickness == b.thickness &&
           a.fontType == b.fontType && a.charsetIndex == b.charsetIndex &&
           a.edgeSize == b.edgeSize && a.italic == b.italic;
}

void FreeFont(FontRecord* f) {
    if (f->engine) PlatFontClose(f->engine);
    TrackedFree(f->engine);
    TrackedFree(f->codeMap);
    TrackedFree(f->glyphs);
    TrackedFree(f->cells);
    TrackedFree(f->mask);
    TrackedFree(f);
}

int DeleteFontInternal(int handle) {
    FontRecord* f = FontOf(handle);
    if (!f) return -1;
    if (f->lostFlag) *f->lostFlag = 1;
    HandleRemove(&g_fonts, handle);
    FreeFont(f);
    if (handle == g_text.defaultFont) g_text.defaultFont = -1;
    return 0;
}

void DeleteAllFonts() {
    for (int slot = 0; slot < kFontSlotCount; ++slot) {
        const int handle = HandleAt(&g_fonts, slot);
        if (handle != -1) DeleteFontInternal(handle);
    }
    g_text.defaultFont = -1;
}

// The engine's face for the settings: the asked set, then the default set, then
// Shift-JIS. 0, or -1.
int OpenEngine(FontRecord* f, PlatFontMetrics* metrics) {
    const FontSettings& s = f->settings;
    const int charsets[3] = {s.charsetIndex, PLAT_CHARSET_DEFAULT, PLAT_CHARSET_SHIFTJIS};
    for (int charset : charsets) {
        const PlatFontRequest request = {s.faceName, s.size, s.thickness * 100, s.italic, charset};
        if (PlatFontOpen(f->engine, request, metrics) == 0) return 0;
    }
    return -1;
}

// Sizes and allocates the glyph cache: 0, or -1 (logged).
int MakeCache(FontRecord* f) {
    const size_t cell = static_cast<size_t>(f->cellSize) * static_cast<size_t>(f->cellSize);
    f->cacheCapacity = FontCacheCapacityFor(f->cellSize);
    f->codeMap = static_cast<int16_t*>(PAVEX_ALLOC(kCodeCount * sizeof(int16_t)));
    f->glyphs = static_cast<GlyphEntry*>(PAVEX_ALLOC(f->cacheCapacity * sizeof(GlyphEntry)));
    f->cells = static_cast<uint8_t*>(PAVEX_ALLOC(cell * f->cacheCapacity));
    f->mask = static_cast<uint8_t*>(PAVEX_ALLOC(cell));
    if (!f->codeMap || !f->glyphs || !f->cells || !f->mask) {
        LogString("文字キャッシュ処理用メモリの確保に失敗しました\n");
        return -1;
    }
    memset(f->codeMap, 0xFF, kCodeCount * sizeof(int16_t));
    for (int i = 0; i < f->cacheCapacity; ++i) f->glyphs[i] = GlyphEntry{-1, 0, 0, 0, 0, 0};
    f->cacheNext = 0;
    return 0;
}

int CreateFontInternal(const char* faceName, int size, int thickness, int fontType,
                       int charsetIndex, int edgeSize, int italic, int slot, int checkNumber) {
    if (!g_text.started) return -1;
    FontSettings s = kDefaultSettings;
    snprintf(s.faceName, sizeof s.faceName, "%s", faceName ? faceName : "");
    s.size = size == -1 ? 16 : size;
    s.thickness = thickness == -1 ? 6 : thickness;
    s.edgeSize = edgeSize == -1            ? 1
                 : edgeSize < 1            ? 1
                 : edgeSize > kMaxEdgeSize ? kMaxEdgeSize
                                           : edgeSize;
    s.fontType = fontType < 0 ? 0 : fontType & 3;
    if (s.edgeSize > 1) s.fontType |= 1;
    if (ScreenColourBits() == 8) s.fontType &= ~2;
    s.charsetIndex = charsetIndex < 0 || charsetIndex > 2 ? PLAT_CHARSET_SHIFTJIS : charsetIndex;
    s.italic = italic ? 1 : 0;
    if (slot == -1 && g_fonts.count >= kFontSlotCount) {
        LogFormat("作成できるフォントハンドル数 %d の限界を超えました", kFontSlotCount);
        return -1;
    }
    if (slot != -1 && (slot < 0 || slot >= kFontSlotCount || HandleRecordAt(&g_fonts, slot)))
        return -1;
    if (checkNumber < -1 || checkNumber >= kHandleCheckLimit) return -1;
    FontRecord* f = static_cast<FontRecord*>(PAVEX_ALLOC_ZERO(sizeof(FontRecord)));
    if (f) f->engine = PAVEX_ALLOC_ZERO(kPlatFontStateBytes);
    if (!f || !f->engine) {
        LogString("フォント管理用メモリ領域の確保に失敗しました\n");
        if (f) FreeFont(f);
        return -1;
    }
    f->settings = s;
    PlatFontMetrics metrics = {};
    if (s.size < 1 || s.size > kFontMaxSize || s.thickness < 0 || s.thickness > 9 ||
        OpenEngine(f, &metrics) != 0) {
        LogString(s.faceName[0] ? "指定のフォントの作成に失敗しました\n"
                                : "フォントの作成に失敗しました\n");
        TrackedFree(f->engine);  // no face is open
        f->engine = nullptr;
        FreeFont(f);
        return -1;
    }
    const int edged = s.fontType & 1;
    f->glyphOffset = edged ? s.edgeSize : 0;
    const int widest = metrics.maxAdvance > metrics.height ? metrics.maxAdvance : metrics.height;
    f->cellSize = (widest + 2 * f->glyphOffset + 7) / 8 * 8;
    f->lineHeight = (metrics.height + 2 * f->glyphOffset + 1) / 2 * 2;
    f->ascent = metrics.ascent;
    if (MakeCache(f) != 0) {
        FreeFont(f);
        return -1;
    }
    const int handle = HandleAdd(&g_fonts, f, slot, checkNumber);
    if (handle < 0) {
        FreeFont(f);
        return -1;
    }
    f->checkNumber = (handle >> 16) & (kHandleCheckLimit - 1);
    return handle;
}

int DefaultFontInternal() {
    if (!FontOf(g_text.defaultFont) || !SameSettings(g_text.defaults, g_text.builtFrom)) {
        DeleteFontInternal(g_text.defaultFont);
        const FontSettings& d = g_text.defaults;
        g_text.defaultFont = CreateFontInternal(d.faceName, d.size, d.thickness, d.fontType,
                                                d.charsetIndex, d.edgeSize, d.italic, -1, -1);
        g_text.builtFrom = d;
    }
    if (FontRecord* f = FontOf(g_text.defaultFont))
        f->settings.charSpacing = g_text.defaults.charSpacing;
    return g_text.defaultFont;
}

// The Unicode character of a one-byte or double-byte Shift-JIS code.
uint32_t CodePointOf(int code) {
    if (code < 0x80) return static_cast<uint32_t>(code);
    char sjis[2];
    size_t length = 0;
    if (code > 0xFF) sjis[length++] = static_cast<char>(code >> 8);
    sjis[length++] = static_cast<char>(code & 0xFF);
    unsigned char utf8[8] = {};
    const size_t n = PlatShiftJisToUtf8(sjis, length, reinterpret_cast<char*>(utf8), sizeof utf8);
    if (n == 2 && (utf8[0] & 0xE0) == 0xC0) return (utf8[0] & 0x1Fu) << 6 | (utf8[1] & 0x3Fu);
    if (n == 3 && (utf8[0] & 0xF0) == 0xE0)
        return (utf8[0] & 0x0Fu) << 12 | (utf8[1] & 0x3Fu) << 6 | (utf8[2] & 0x3Fu);
    return 0xFFFD;  // no Unicode counterpart: the face's replacement shape
}

// Spreads every glyph pixel's coverage into the high nibble of the pixels under the
// edge mask centred on it, keeping the largest.
void SpreadEdge(uint8_t* cell, int side, int edgeSize) {
    const int* rows = kEdgeRows[edgeSize - 1];
    const int span = 2 * edgeSize + 1;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const int level = cell[y * side + x] & 15;
            if (!level) continue;
            for (int r = 0; r < span; ++r) {
                const int ty = y + r - edgeSize;
                if (ty < 0 || ty >= side) continue;
                const int half = rows[r] / 2;
                for (int tx = x - half; tx <= x + half; ++tx) {
                    if (tx < 0 || tx >= side) continue;
                    uint8_t& p = cell[ty * side + tx];
                    if ((p >> 4) < level) p = static_cast<uint8_t>((p & 15) | level << 4);
                }
            }
        }
    }
}

// Renders `code` into the next cache slot (the oldest character leaves) and returns
// the slot.
int CacheGlyph(FontRecord* f, int code) {
    const int slot = f->cacheNext;
    GlyphEntry& g = f->glyphs[slot];
    if (g.code >= 0) f->codeMap[g.code] = -1;
    f->codeMap[code] = static_cast<int16_t>(slot);
    f->cacheNext = slot + 1 == f->cacheCapacity ? 0 : slot + 1;
    const int side = f->cellSize;
    uint8_t* cell = f->cells + static_cast<size_t>(slot) * side * side;
    memset(cell, 0, static_cast<size_t>(side) * side);
    g = GlyphEntry{code, 0, 0, 0, 0, 0};
    const bool blank = code == 0x20 || code == 0x8140;
    const int area = blank ? 0 : side;  // a blank only advances
    const int grey = (f->settings.fontType & 2) ? 1 : 0;
    const int e = f->glyphOffset;
    if (PlatFontRenderGlyph(f->engine, CodePointOf(code), grey, cell, side, area, area, e,
                            e + f->ascent, &g.advance) != 0)
        FatalErrorExit("GetGlyphOutline 関数が失敗しました");
    g.advance += 2 * e;
    if (blank) return slot;
    for (int i = 0; i < side * side; ++i) cell[i] = cell[i] ? static_cast<uint8_t>(cell[i] - 1) : 0;
    if (f->settings.fontType & 1) SpreadEdge(cell, side, f->settings.edgeSize);
    int x1 = side, y1 = side, x2 = 0, y2 = 0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            if (!cell[y * side + x]) continue;
            if (x < x1) x1 = x;
            if (x >= x2) x2 = x + 1;
            if (y < y1) y1 = y;
            if (y >= y2) y2 = y + 1;
        }
    }
    if (x2 > x1) g.x1 = x1, g.y1 = y1, g.x2 = x2, g.y2 = y2;
    return slot;
}

// The next character of `text` at *at: its code, and *at moved past it.
int NextCode(const char* text, size_t* at) {
    const unsigned char lead = static_cast<unsigned char>(text[*at]);
    const unsigned char trail = static_cast<unsigned char>(text[*at + 1]);
    ++*at;
    if (((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) && trail) {
        ++*at;
        return lead << 8 | trail;
    }
    return lead;
}

const GlyphEntry& GlyphOf(FontRecord* f, int code) {
    int slot = f->codeMap[code];
    if (slot < 0) slot = CacheGlyph(f, code);
    return f->glyphs[slot];
}

// One layer of a cached glyph (`shift` 4: the edge, 0: the glyph) through the renderer.
void DrawLayer(const DrawState& state, FontRecord* f, const GlyphEntry& g, int x, int y, int shift,
               uint32_t colour) {
    const int side = f->cellSize, width = g.x2 - g.x1, height = g.y2 - g.y1;
    const uint8_t* cell = f->cells + static_cast<size_t>(&g - f->glyphs) * side * side;
    for (int row = 0; row < height; ++row) {
        const uint8_t* in = cell + (g.y1 + row) * side + g.x1;
        uint8_t* out = f->mask + row * width;
        for (int column = 0; column < width; ++column)
            out[column] = static_cast<uint8_t>(((in[column] >> shift) & 15) * 17);
    }
    RenderCoverage(state, f->mask, width, width, height, x + g.x1, y + g.y1, colour & 0xFFFFFF);
}

int DrawStringInternal(int x, int y, const char* text, uint32_t colour, uint32_t edgeColour,
                       int font) {
    if (!text || !text[0] || ScreenClipEmpty()) return 0;
    if (!FontOf(font)) {
        LogString("フォントハンドル値が異常です\n");
        return -1;
    }
    FrameWaitWhileInactive();
    FontRecord* f = FontOf(font);  // the wait pumps messages: look again
    if (!f) return -1;
    const DrawState state = ScreenDrawState();
    const bool edged = f->settings.fontType & 1;
    int64_t pen = x;
    for (size_t at = 0; text[at];) {
        const GlyphEntry& g = GlyphOf(f, NextCode(text, &at));
        if (g.x2 > g.x1 && pen > INT32_MIN / 2 && pen < INT32_MAX / 2) {
            if (edged) DrawLayer(state, f, g, static_cast<int>(pen), y, 4, edgeColour);
            DrawLayer(state, f, g, static_cast<int>(pen), y, 0, colour);
        }
        pen += g.advance + f->settings.charSpacing;
    }
    ScreenShowFrontIfTarget(state);
    return 0;
}

}  // namespace

int FontCacheCapacityFor(int cellSize) {
    if (cellSize <= 0) return kCacheMinGlyphs;
    const int64_t fit = kCacheMemoryBytes / (int64_t{cellSize} * cellSize);
    return fit < kCacheMinGlyphs   ? kCacheMinGlyphs
           : fit > kCacheMaxGlyphs ? kCacheMaxGlyphs
                                   : static_cast<int>(fit);
}

int TextStartUp() {
    LogString("フォントの初期化を行います\n");
    DeleteAllFonts();
    HandleTableReset(&g_fonts);
    g_text.started = 1;
    LogString("フォントの初期化は正常に終了しました\n");
    return 0;
}

void TextShutDown() {
    DeleteAllFonts();
    g_text.started = 0;
}

void TextResetDefaults() {
    g_text.defaults = kDefaultSettings;
}

int FontGetInfo(int font, FontInfo* info) {
    const FontRecord* f = FontOf(font);
    if (!f || !info) return -1;
    *info = FontInfo{f->cellSize, f->lineHeight, f->cacheCapacity, f->cacheNext};
    return 0;
}

int FontCachedSlot(int font, int code) {
    const FontRecord* f = FontOf(font);
    return f && code >= 0 && code < kCodeCount ? f->codeMap[code] : -1;
}

int TextDefaultFont() {
    return DefaultFontInternal();
}

int TextWidth(int font, const char* text) {
    FontRecord* f = FontOf(font);
    if (!f) return -1;
    int64_t width = 0;
    for (size_t at = 0; text && text[at];)
        width += GlyphOf(f, NextCode(text, &at)).advance + f->settings.charSpacing;
    return width > INT32_MAX ? INT32_MAX : static_cast<int>(width);
}

int DrawTextWithFont(int x, int y, const char* text, uint32_t colour, uint32_t edgeColour,
                     int font) {
    return DrawStringInternal(x, y, text, colour, edgeColour, font);
}

int SetDefaultFontType(int fontType) {
    ApiScope lock;
    g_text.defaults.fontType = fontType == -1 ? 0 : fontType;
    return 0;
}

int CreateFontToHandle(const char* faceName, int size, int thickness, int fontType,
                       int charsetIndex, int edgeSize, int italic, int slot, int checkNumber) {
    ApiScope lock;
    return CreateFontInternal(faceName, size, thickness, fontType, charsetIndex, edgeSize, italic,
                              slot, checkNumber);
}

int DeleteFontHandle(int font) {
    ApiScope lock;
    return DeleteFontInternal(font);
}

int DrawTextAt(int x, int y, const char* text, uint32_t colour, uint32_t edgeColour) {
    ApiScope lock;
    return DrawStringInternal(x, y, text, colour, edgeColour, DefaultFontInternal());
}

int DrawTextFormat(int x, int y, uint32_t colour, const char* format, ...) {
    // Formatted before the lock, into this call's own buffer; a longer text is cut.
    char text[kFormatBytes];
    text[0] = '\0';
    if (format) {
        va_list args;
        va_start(args, format);
        vsnprintf(text, sizeof text, format, args);
        va_end(args);
    }
    ApiScope lock;
    return DrawStringInternal(x, y, text, colour, 0, DefaultFontInternal());
}
