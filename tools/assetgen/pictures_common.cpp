// pictures_common.cpp - pictures every scene shares: the small and large digit sets in
// their colours with their signs, the digit cursor of the network menu, and the shading
// filter laid over the play screen.
#include <string>

#include "tools/assetgen/pictures.h"

namespace assetgen {

namespace {

struct DigitColor {
    const char* letter;
    Rgba top, bottom, outline;
};

const DigitColor kDigitColors[5] = {
    {"b", Rgb(210, 240, 255), Rgb(60, 150, 255), Rgb(8, 24, 70)},
    {"r", Rgb(255, 220, 210), Rgb(255, 60, 60), Rgb(70, 8, 12)},
    {"y", Rgb(255, 255, 210), Rgb(255, 196, 20), Rgb(70, 40, 0)},
    {"w", Rgb(255, 255, 255), Rgb(200, 206, 222), Rgb(30, 34, 56)},
    // The dim set shows the leading zeros; it must recede behind the coloured digits.
    {"a", Rgb(74, 84, 110), Rgb(54, 62, 88), Rgb(26, 30, 50)},
};

// Cells 0-9 digits, then the extra signs. The outline stays inside the cell so that a
// coloured digit drawn over a dim one at the same place covers it completely.
void DigitSet(const std::string& path, const DigitColor& col, int cell, int count,
              const char* const signs[]) {
    Canvas c(cell * count, cell);
    TextStyle st;
    st.size = cell == 16 ? 16 : 32;
    st.top = col.top;
    st.bottom = col.bottom;
    st.outline = cell == 16 ? 1.2f : 2.2f;
    st.outlineColor = col.outline;
    for (int k = 0; k < count; ++k) {
        const std::string glyph =
            k < 10 ? std::string(1, static_cast<char>('0' + k)) : signs[k - 10];
        if (glyph.empty()) continue;
        DrawTextBox(c, glyph, st, static_cast<float>(k * cell), 0, static_cast<float>(cell),
                    static_cast<float>(cell));
    }
    EmitPicture(path, c, Store::PngAlpha, count, 1);
}

void Digits() {
    static const char* const smallSigns[3] = {"/", ":", "."};
    static const char* const largeSigns[2] = {"/", ":"};
    for (int k = 0; k < 5; ++k)
        DigitSet(std::string("data/image/common/Number_s_") + kDigitColors[k].letter + ".png",
                 kDigitColors[k], 16, 13, smallSigns);
    for (int k = 0; k < 4; ++k)
        DigitSet(std::string("data/image/common/Number_b_") + kDigitColors[k].letter + ".png",
                 kDigitColors[k], 32, 12, largeSigns);
}

void DigitCursor() {
    // Drawn 4 px right of and 6 px above a 16 px digit: a marker above and below it.
    Canvas c(8, 28);
    const Rgba col = kAccent;
    c.fillPolygon({0.0f, 0.0f, 8.0f, 0.0f, 4.0f, 5.5f}, col);
    c.fillPolygon({0.0f, 28.0f, 8.0f, 28.0f, 4.0f, 22.5f}, col);
    EmitPicture("data/image/common/Cursor.bmp", c, Store::BmpKeyed);
}

void ShadingFilter() {
    // A screen-door shade: every other pixel dark, the rest the key colour, so the
    // picture darkens the whole screen by about half when drawn with transparency.
    Canvas c(800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = (y & 1); x < 800; x += 2) c.set(x, y, Rgb(10, 12, 30));
    EmitPicture("data/image/BG/Filter.bmp", c, Store::BmpKeyed);
}

}  // namespace

void GenerateCommonPictures() {
    Digits();
    DigitCursor();
    ShadingFilter();
}

}  // namespace assetgen
