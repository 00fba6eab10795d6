// text.cpp - font discovery (fontconfig) and glyph rendering (FreeType) for styled text.
// Owns the two open faces; knows nothing of which picture uses which text.
#include "tools/assetgen/text.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "tools/assetgen/output.h"

namespace assetgen {

namespace {

struct FontState {
    FT_Library lib = nullptr;
    FT_Face faces[2] = {nullptr, nullptr};
    std::string paths[2];
};
FontState FONTS;

std::string FindFont(const char* pattern) {
    std::string path;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return path;
    FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
    if (pat) {
        FcConfigSubstitute(config, pat, FcMatchPattern);
        FcDefaultSubstitute(pat);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pat, &result);
        if (match) {
            FcChar8* file = nullptr;
            if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
                path = reinterpret_cast<const char*>(file);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pat);
    }
    FcConfigDestroy(config);
    return path;
}

// Decodes UTF-8; malformed bytes become U+FFFD so a bad string never reads past its end.
std::vector<char32_t> DecodeUtf8(const std::string& s) {
    std::vector<char32_t> out;
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t cp = len == 1 ? c : c & (0x7F >> len);
        for (int k = 1; k < len; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += len;
    }
    return out;
}

struct Mask {
    int w = 0, h = 0;
    float originX = 0, baseline = 0;  // pen start and baseline inside the mask
    float capHeight = 0;
    float advance = 0;
    std::vector<float> v;
    float at(int x, int y) const {
        if (x < 0 || y < 0 || x >= w || y >= h) return 0.0f;
        return v[static_cast<size_t>(y) * w + x];
    }
};

FT_Face PickFace(Face face, char32_t cp) {
    FT_Face f = FONTS.faces[static_cast<int>(face)];
    if (f && FT_Get_Char_Index(f, cp)) return f;
    FT_Face other = FONTS.faces[face == Face::Bold ? 1 : 0];
    return other ? other : f;
}

Mask RenderMask(const std::string& utf8, const TextStyle& style, int margin) {
    Mask m;
    const std::vector<char32_t> cps = DecodeUtf8(utf8);
    for (FT_Face f : FONTS.faces)
        if (f) FT_Set_Pixel_Sizes(f, 0, static_cast<FT_UInt>(std::max(style.size, 1)));
    FT_Face main = FONTS.faces[static_cast<int>(style.face)];
    if (!main) return m;
    // Capital height from 'H' of the main face gives a stable vertical centre.
    m.capHeight = style.size * 0.72f;
    if (FT_Load_Char(main, 'H', FT_LOAD_DEFAULT) == 0)
        m.capHeight = main->glyph->metrics.height / 64.0f;
    // First pass: advance width.
    float pen = 0;
    for (char32_t cp : cps) {
        FT_Face f = PickFace(style.face, cp);
        if (FT_Load_Char(f, cp, FT_LOAD_DEFAULT) != 0) continue;
        pen += f->glyph->advance.x / 64.0f + style.tracking;
    }
    if (!cps.empty()) pen -= style.tracking;
    m.advance = pen;
    m.w = static_cast<int>(std::ceil(pen)) + 2 * margin + style.size / 2;
    m.h = style.size * 2 + 2 * margin;
    m.originX = static_cast<float>(margin);
    m.baseline = margin + style.size * 1.4f;
    m.v.assign(static_cast<size_t>(m.w) * m.h, 0.0f);
    pen = m.originX;
    for (char32_t cp : cps) {
        FT_Face f = PickFace(style.face, cp);
        if (FT_Load_Char(f, cp, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot g = f->glyph;
        const int gx = static_cast<int>(std::lround(pen)) + g->bitmap_left;
        const int gy = static_cast<int>(std::lround(m.baseline)) - g->bitmap_top;
        for (unsigned r = 0; r < g->bitmap.rows; ++r) {
            for (unsigned col = 0; col < g->bitmap.width; ++col) {
                const int x = gx + static_cast<int>(col), y = gy + static_cast<int>(r);
                if (x < 0 || y < 0 || x >= m.w || y >= m.h) continue;
                float cov = 0;
                if (g->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY)
                    cov = g->bitmap.buffer[r * g->bitmap.pitch + col] / 255.0f;
                else if (g->bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                    cov = (g->bitmap.buffer[r * g->bitmap.pitch + col / 8] >> (7 - col % 8)) & 1;
                float& d = m.v[static_cast<size_t>(y) * m.w + x];
                d = std::min(1.0f, d + cov);
            }
        }
        pen += g->advance.x / 64.0f + style.tracking;
    }
    return m;
}

Mask Dilate(const Mask& m, float radius) {
    Mask out = m;
    const int r = static_cast<int>(std::ceil(radius));
    const int side = 2 * r + 1;
    std::vector<float> kernel(static_cast<size_t>(side) * side);
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            kernel[static_cast<size_t>(dy + r) * side + dx + r] = std::clamp(
                radius + 0.5f - std::hypot(static_cast<float>(dx), static_cast<float>(dy)), 0.0f,
                1.0f);
    // Scatter from inked pixels only: the cost follows the ink, not the mask area.
    for (int y = 0; y < m.h; ++y) {
        for (int x = 0; x < m.w; ++x) {
            const float v = m.v[static_cast<size_t>(y) * m.w + x];
            if (v <= 0.0f) continue;
            for (int dy = -r; dy <= r; ++dy) {
                const int yy = y + dy;
                if (yy < 0 || yy >= m.h) continue;
                for (int dx = -r; dx <= r; ++dx) {
                    const int xx = x + dx;
                    if (xx < 0 || xx >= m.w) continue;
                    float& d = out.v[static_cast<size_t>(yy) * m.w + xx];
                    d = std::max(d, v * kernel[static_cast<size_t>(dy + r) * side + dx + r]);
                }
            }
        }
    }
    return out;
}

}  // namespace

bool InitFonts() {
    if (FONTS.lib) return true;
    if (FT_Init_FreeType(&FONTS.lib) != 0) {
        Fail("FreeType cannot start");
        return false;
    }
    const char* patterns[2] = {"DejaVu Sans:bold", "IPAGothic"};
    for (int i = 0; i < 2; ++i) {
        FONTS.paths[i] = FindFont(patterns[i]);
        if (FONTS.paths[i].empty() ||
            FT_New_Face(FONTS.lib, FONTS.paths[i].c_str(), 0, &FONTS.faces[i]) != 0) {
            Fail(std::string("font not found: ") + patterns[i]);
            FONTS.faces[i] = nullptr;
            return false;
        }
    }
    return true;
}

void ShutdownFonts() {
    for (FT_Face& f : FONTS.faces) {
        if (f) FT_Done_Face(f);
        f = nullptr;
    }
    if (FONTS.lib) FT_Done_FreeType(FONTS.lib);
    FONTS.lib = nullptr;
    FcFini();
}

std::string FontPath(Face face) {
    return FONTS.paths[static_cast<int>(face)];
}

float TextWidth(const std::string& utf8, const TextStyle& style) {
    return RenderMask(utf8, style, 0).advance;
}

void DrawTextBox(Canvas& c, const std::string& utf8, const TextStyle& style, float x, float y,
                 float w, float h, Align align) {
    const int margin = static_cast<int>(std::ceil(style.outline)) + style.shadow + 2;
    const Mask fill = RenderMask(utf8, style, margin);
    if (fill.w == 0) return;
    float left = x;
    if (align == Align::Center) left = x + (w - fill.advance) * 0.5f;
    if (align == Align::Right) left = x + w - fill.advance - style.outline;
    if (align == Align::Left) left = x + style.outline;
    const float baseline = y + h * 0.5f + fill.capHeight * 0.5f;
    const int ox = static_cast<int>(std::lround(left - fill.originX));
    const int oy = static_cast<int>(std::lround(baseline - fill.baseline));
    const Mask outline = style.outline > 0 ? Dilate(fill, style.outline) : fill;
    const float capTop = fill.baseline - fill.capHeight;
    if (style.shadow > 0) {
        for (int j = 0; j < outline.h; ++j)
            for (int i = 0; i < outline.w; ++i)
                c.blend(ox + i + style.shadow, oy + j + style.shadow, style.shadowColor,
                        outline.at(i, j));
    }
    if (style.outline > 0) {
        for (int j = 0; j < outline.h; ++j)
            for (int i = 0; i < outline.w; ++i)
                c.blend(ox + i, oy + j, style.outlineColor, outline.at(i, j));
    }
    for (int j = 0; j < fill.h; ++j) {
        const float t = fill.capHeight > 0 ? (j + 0.5f - capTop) / fill.capHeight : 0.0f;
        const Rgba col = Mix(style.top, style.bottom, t);
        for (int i = 0; i < fill.w; ++i)
            if (fill.v[static_cast<size_t>(j) * fill.w + i] > 0)
                c.blend(ox + i, oy + j, col, fill.at(i, j));
    }
}

}  // namespace assetgen
