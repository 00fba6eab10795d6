// font_face.cpp - the font engine behind plat_font.h: fontconfig picks the face,
// FreeType renders its glyphs.
//
// Owns: one FreeType library and face per open font (in the caller's state block),
// the bold and italic synthesis for faces that lack them, and the fontconfig
// configuration, loaded when the first font opens and released with the last one
// (fontconfig's own default configuration would outlive the program's memory
// checks). Must not touch: anything but the state and the block it is given; it
// never sees the glyph cache or the screen.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <mutex>
#include <new>

#include "media/platform/plat_font.h"

namespace {

struct FontState {
    int holdsConfig;  // 1: counted in g_config.users
    FT_Library library;
    FT_Face face;
    FT_Pos emboldenStrength;  // 26.6 pixels added to every outline, 0 for none
    int oblique;              // 1: outlines sheared to the right
};

struct SharedConfig {
    std::mutex guard;
    FcConfig* config = nullptr;
    int users = 0;
};
SharedConfig g_config;

// The configuration for one more font, or null.
FcConfig* TakeConfig() {
    std::lock_guard<std::mutex> lock(g_config.guard);
    if (!g_config.config) g_config.config = FcInitLoadConfigAndFonts();
    if (g_config.config) ++g_config.users;
    return g_config.config;
}

void DropConfig() {
    std::lock_guard<std::mutex> lock(g_config.guard);
    if (g_config.users > 0 && --g_config.users == 0) {
        FcConfigDestroy(g_config.config);
        g_config.config = nullptr;
    }
}

// The families asked for when no face is named: the installed gothic first, then
// whatever fontconfig takes for a sans-serif face of the language.
constexpr const char* kDefaultFamilies[] = {"IPAGothic", "IPAexGothic", "sans-serif"};

const char* LanguageOf(int charset) {
    if (charset == PLAT_CHARSET_SHIFTJIS) return "ja";
    if (charset == PLAT_CHARSET_HANGUL) return "ko";
    return nullptr;
}

bool HasFamily(FcPattern* match, const char* name) {
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
        if (FcStrCmpIgnoreCase(family, reinterpret_cast<const FcChar8*>(name)) == 0) return true;
    }
    return false;
}

bool CoversLanguage(FcPattern* match, const char* language) {
    if (!language) return true;
    FcLangSet* languages = nullptr;
    if (FcPatternGetLangSet(match, FC_LANG, 0, &languages) != FcResultMatch) return false;
    return FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>(language)) == FcLangEqual;
}

// The best face for the request, or null (the caller destroys the pattern).
FcPattern* MatchFace(FcConfig* config, const PlatFontRequest& request) {
    const bool named = request.faceName && request.faceName[0];
    const char* language = LanguageOf(request.charset);
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return nullptr;
    if (named) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.faceName));
    } else {
        for (const char* family : kDefaultFamilies)
            FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    }
    // The default face is the Japanese one whatever set is asked for.
    const char* wanted = language ? language : (named ? nullptr : "ja");
    if (wanted) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(wanted));
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, request.pixelHeight);
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(request.weight));
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return nullptr;
    if ((named && !HasFamily(match, request.faceName)) || !CoversLanguage(match, wanted)) {
        FcPatternDestroy(match);
        return nullptr;
    }
    return match;
}

int OpenMatched(FontState* font, FcPattern* match, const PlatFontRequest& request,
                PlatFontMetrics* metrics) {
    FcChar8* file = nullptr;
    int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch) return -1;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    if (FT_Init_FreeType(&font->library) != 0) return -1;
    if (FT_New_Face(font->library, reinterpret_cast<const char*>(file), index, &font->face) != 0 ||
        !FT_IS_SCALABLE(font->face) ||
        FT_Set_Pixel_Sizes(font->face, 0, static_cast<FT_UInt>(request.pixelHeight)) != 0) {
        FT_Done_FreeType(font->library);  // also closes the face
        return -1;
    }
    const FT_Face face = font->face;
    // A face without a bold (or italic) cut gets one made from its outlines, as a
    // desktop font engine does: a 24th of the em bolder, sheared by a fifth.
    if (request.weight >= 600 && weight < FC_WEIGHT_DEMIBOLD)
        font->emboldenStrength = FT_MulFix(face->units_per_EM, face->size->metrics.y_scale) / 24;
    font->oblique = request.italic && slant == FC_SLANT_ROMAN;
    const int bold = static_cast<int>((font->emboldenStrength + 63) >> 6);
    metrics->maxAdvance = static_cast<int>((face->size->metrics.max_advance + 63) >> 6) + bold;
    metrics->height = request.pixelHeight;
    const int span = face->ascender - face->descender;
    metrics->ascent = span > 0 ? (request.pixelHeight * face->ascender * 2 + span) / (2 * span)
                               : request.pixelHeight * 4 / 5;
    return 0;
}

}  // namespace

const size_t kPlatFontStateBytes = sizeof(FontState);

int PlatFontOpen(void* state, const PlatFontRequest& request, PlatFontMetrics* metrics) {
    if (!state || !metrics || request.pixelHeight <= 0) return -1;
    FontState* font = new (state) FontState{};
    FcConfig* config = TakeConfig();
    if (!config) return -1;
    FcPattern* match = MatchFace(config, request);
    const int result = match ? OpenMatched(font, match, request, metrics) : -1;
    if (match) FcPatternDestroy(match);
    if (result != 0) {
        DropConfig();
        return -1;
    }
    font->holdsConfig = 1;
    return 0;
}

void PlatFontClose(void* state) {
    FontState* font = static_cast<FontState*>(state);
    if (!font) return;
    if (font->library) FT_Done_FreeType(font->library);
    if (font->holdsConfig) DropConfig();
    *font = FontState{};
}

int PlatFontRenderGlyph(void* state, uint32_t codepoint, int grey, uint8_t* block, int pitch,
                        int width, int height, int penX, int baseline, int* advance) {
    FontState* font = static_cast<FontState*>(state);
    if (!font || !font->face) return -1;
    const FT_Int32 target = grey ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO;
    if (FT_Load_Char(font->face, codepoint, FT_LOAD_NO_BITMAP | target) != 0) return -1;
    FT_GlyphSlot slot = font->face->glyph;
    FT_Pos step = slot->advance.x;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (font->emboldenStrength) {
            FT_Outline_Embolden(&slot->outline, font->emboldenStrength);
            step += font->emboldenStrength;
        }
        if (font->oblique) {
            FT_Matrix shear = {0x10000, 0x0366A, 0, 0x10000};
            FT_Outline_Transform(&slot->outline, &shear);
        }
    }
    if (advance) *advance = static_cast<int>((step + 32) >> 6);
    if (FT_Render_Glyph(slot, grey ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) return -1;
    const FT_Bitmap& bitmap = slot->bitmap;
    const int left = penX + slot->bitmap_left, top = baseline - slot->bitmap_top;
    for (int row = 0; row < static_cast<int>(bitmap.rows); ++row) {
        const int y = top + row;
        if (y < 0 || y >= height) continue;
        const uint8_t* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
        uint8_t* out = block + static_cast<ptrdiff_t>(y) * pitch;
        for (int column = 0; column < static_cast<int>(bitmap.width); ++column) {
            const int x = left + column;
            if (x < 0 || x >= width) continue;
            int level;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                level = (source[column >> 3] >> (7 - (column & 7))) & 1 ? 16 : 0;
            else
                level = (source[column] * 16 + 127) / 255;
            if (level > out[x]) out[x] = static_cast<uint8_t>(level);
        }
    }
    return 0;
}
