// text_test - fonts, the glyph cache and the text calls: the font table's limits and
// fall-backs, the cache's size and round-robin replacement, the pen walk of the
// game's two texts, edges, real Japanese glyphs, and golden pictures of both texts.
#include <stdio.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "media/graphics/text.h"
#include "media/platform/plat_system.h"
#include "tests/media/graphics/graphics_fixture.h"
#include "tools/assetgen/image_files.h"

namespace {

using Text = GraphicsTest;

std::string Sjis(const char* utf8) {
    char out[256];
    PlatUtf8ToShiftJis(utf8, out, sizeof out);
    return out;
}

struct Rect {
    int x, y, w, h;
};

std::vector<uint32_t> Pixels(const Rect& r) {
    std::vector<uint32_t> v;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) v.push_back(TargetPixel(x, y));
    return v;
}

bool Blank(const Rect& r) {
    for (uint32_t p : Pixels(r))
        if (p) return false;
    return true;
}

// What one character of the default font draws alone at (0, 0) on black.
std::vector<uint32_t> Alone(const std::string& sjis) {
    ClearScreen();
    DrawTextAt(0, 0, sjis.c_str(), MakeColor(255, 255, 255), MakeColor(0, 0, 255));
    return Pixels({0, 0, 24, 24});
}

TEST_F(Text, FontTableLimitsAndFallbacks) {
    EXPECT_EQ(CreateFontToHandle("", 16, -1, 0, -1, -1, 0, -1, -1), -1);  // layer down
    Start(64, 48);
    std::vector<int> fonts;
    for (int i = 0; i < kFontSlotCount; ++i) {
        fonts.push_back(CreateFontToHandle("", 12, -1, 0, -1, -1, 0, -1, -1));
        EXPECT_EQ(fonts.back() & 0x7800FFFF, 0x20000000 | i);
    }
    EXPECT_EQ(CreateFontToHandle("", 12, -1, 0, -1, -1, 0, -1, -1), -1);
    EXPECT_TRUE(Logged("作成できるフォントハンドル数 40 の限界を超えました"));
    ASSERT_EQ(DeleteFontHandle(fonts[7]), 0);
    EXPECT_EQ(DeleteFontHandle(fonts[7]), -1);
    EXPECT_EQ(CreateFontToHandle("", 12, -1, 0, -1, -1, 0, 8, -1), -1);  // slot taken
    const int again = CreateFontToHandle("", 12, -1, 0, -1, -1, 0, -1, 5);
    EXPECT_EQ(again, 0x20000000 | 5 << 16 | 7);
    for (int f : fonts) DeleteFontHandle(f);
    DeleteFontHandle(again);

    // A face that lacks Japanese falls back to the default set; an unknown face fails.
    EXPECT_GE(CreateFontToHandle("DejaVu Sans", 16, -1, 0, 1, -1, 0, -1, -1), 0);
    EXPECT_EQ(CreateFontToHandle("No Such Face 7", 16, -1, 0, -1, -1, 0, -1, -1), -1);
    EXPECT_TRUE(Logged("指定のフォントの作成に失敗しました"));
    EXPECT_EQ(CreateFontToHandle("", 5000, -1, 0, -1, -1, 0, -1, -1), -1);
    EXPECT_TRUE(Logged("フォントの作成に失敗しました"));
    EXPECT_EQ(DrawTextWithFont(0, 0, "A", 0xFFFFFF, 0, 0x20000000 | 39), -1);
    EXPECT_TRUE(Logged("フォントハンドル値が異常です"));
}

TEST_F(Text, CacheSizeAndRoundRobin) {
    EXPECT_EQ(FontCacheCapacityFor(16), 1280);
    EXPECT_EQ(FontCacheCapacityFor(136), 20);
    EXPECT_EQ(FontCacheCapacityFor(8), 2024);
    Start(64, 48);
    FontInfo info;
    // Regular weight (thickness 4): no synthesised bold widening the advance.
    ASSERT_EQ(FontGetInfo(CreateFontToHandle("", 16, 4, 0, -1, -1, 0, -1, -1), &info), 0);
    EXPECT_EQ(info.cellSize, 16);
    EXPECT_EQ(info.cacheCapacity, 1280);
    ASSERT_EQ(FontGetInfo(CreateFontToHandle("", 21, 4, 3, -1, 2, 0, -1, -1), &info), 0);
    EXPECT_EQ(info.cellSize, 32);    // 21 + 2 x 2, to a multiple of 8
    EXPECT_EQ(info.lineHeight, 26);  // 21 + 2 x 2, to an even number

    const int font = CreateFontToHandle("", 136, -1, 2, -1, -1, 0, -1, -1);
    ASSERT_EQ(FontGetInfo(font, &info), 0);
    ASSERT_EQ(info.cacheCapacity, 20);
    EXPECT_GT(TextWidth(font, "ABCDEFGHIJKLMNOPQRST"), 0);
    EXPECT_EQ(FontCachedSlot(font, 'A'), 0);
    EXPECT_EQ(FontCachedSlot(font, 'T'), 19);
    TextWidth(font, "U");  // the 21st character replaces the first
    EXPECT_EQ(FontCachedSlot(font, 'U'), 0);
    EXPECT_EQ(FontCachedSlot(font, 'A'), -1);
    TextWidth(font, "A");  // rendered again, in the next slot
    EXPECT_EQ(FontCachedSlot(font, 'A'), 1);
    EXPECT_EQ(FontCachedSlot(font, 'B'), -1);
    EXPECT_EQ(FontCachedSlot(font, 'C'), 2);
}

TEST_F(Text, FpsTextWalksThePenAndBlanksOnlyAdvance) {
    Start(800, 600);
    SetDefaultFontType(3);
    const uint32_t white = MakeColor(255, 255, 255);
    const int font = TextDefaultFont();
    // Each character alone at the pen position the ones before it leave.
    const std::string text = "FPS : 60";
    int pen = 516;
    std::vector<int> starts;
    for (size_t i = 0; i < text.size(); ++i) {
        starts.push_back(pen);
        const std::string c = text.substr(i, 1);
        DrawTextWithFont(pen, 0, c.c_str(), white, 0, font);
        pen += TextWidth(font, c.c_str());
    }
    const std::vector<uint32_t> pieces = Pixels({500, 0, 300, 24});
    EXPECT_EQ(pen - 516, TextWidth(font, text.c_str()));
    ClearScreen();
    ASSERT_EQ(DrawTextFormat(516, 0, white, "FPS : %d", 60), 0);
    EXPECT_EQ(Pixels({500, 0, 300, 24}), pieces);
    for (size_t i = 0; i < text.size(); ++i) {
        const Rect cell{starts[i], 0, TextWidth(font, text.substr(i, 1).c_str()), 24};
        EXPECT_EQ(Blank(cell), text[i] == ' ') << i;
        if (i) {
            EXPECT_GT(starts[i], starts[i - 1]);
        }
    }
    // A full-width blank advances as a full-width character does and draws nothing.
    ClearScreen();
    const std::string wide = Sjis("　");
    DrawTextAt(10, 10, wide.c_str(), white, white);
    EXPECT_TRUE(Blank({0, 0, 60, 40}));
    EXPECT_EQ(TextWidth(font, wide.c_str()), TextWidth(font, Sjis("設").c_str()));
    EXPECT_GT(TextWidth(font, wide.c_str()), TextWidth(font, " "));
    const std::string secondLevel = Sjis("漾");  // a kanji whose first byte is 0xE0
    ASSERT_EQ(secondLevel[0], '\xE0');
    EXPECT_EQ(TextWidth(font, secondLevel.c_str()), TextWidth(font, wide.c_str()));
    // Formatting is cut at 1023 bytes, never past the buffer.
    const std::string longText(3000, 'W');
    EXPECT_EQ(DrawTextFormat(0, 100, white, "%s", longText.c_str()), 0);
}

TEST_F(Text, EdgeSurroundsTheGlyphAndNeverEntersIt) {
    Start(64, 48);
    const uint32_t white = 0xFFFFFF, blue = 0x0000FF;
    for (int edge = 1; edge <= 2; ++edge) {
        ClearScreen();
        const int font = CreateFontToHandle("", 24, -1, 1, -1, edge, 0, -1, -1);
        DrawTextWithFont(4, 4, "k", MakeColor(255, 255, 255), MakeColor(0, 0, 255), font);
        int glyph = 0, edgePixels = 0;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 40; ++x) {
                const uint32_t p = TargetPixel(x, y);
                ASSERT_TRUE(p == 0 || p == white || p == blue) << std::hex << p;
                if (p == 0) continue;
                (p == white ? glyph : edgePixels)++;
                // Every pixel near a glyph pixel (the mask's reach) is glyph or edge;
                // every edge pixel has a glyph pixel within that reach.
                bool nearGlyph = false;
                for (int dy = -edge; dy <= edge; ++dy) {
                    for (int dx = -edge; dx <= edge; ++dx) {
                        if (abs(dx) + abs(dy) > (edge == 1 ? 1 : 3)) continue;
                        const uint32_t q = TargetPixel(x + dx, y + dy);
                        if (p == white) {
                            EXPECT_NE(q, 0u) << x << "," << y;
                        }
                        nearGlyph |= q == white;
                    }
                }
                EXPECT_TRUE(nearGlyph) << x << "," << y;
            }
        }
        EXPECT_GT(glyph, 20);
        EXPECT_GT(edgePixels, glyph / 2);
    }
}

TEST_F(Text, JapaneseMessageDrawsRealGlyphs) {
    Start(64, 48);
    // The default font is remade when its type changes: the edge appears.
    auto blue = [](const std::vector<uint32_t>& v) {  // pixels more blue than red
        return std::count_if(v.begin(), v.end(), [](uint32_t p) { return (p & 255) > (p >> 16); });
    };
    EXPECT_EQ(blue(Alone("A")), 0);
    SetDefaultFontType(3);
    EXPECT_GT(blue(Alone("A")), 10);
    const std::vector<uint32_t> box = Alone("\xF0\x40");  // a code the face has no glyph for
    ASSERT_NE(box, Alone("?"));
    const std::string message = Sjis("設定を保存して終了する");
    ASSERT_EQ(message.size(), 22u);
    for (size_t i = 0; i < message.size(); i += 2) {
        const std::vector<uint32_t> glyph = Alone(message.substr(i, 2));
        EXPECT_NE(glyph, box) << i;
        EXPECT_NE(glyph, Alone("")) << i;
    }
}

// ---- golden pictures ----

// Compares the rectangle with the stored picture; on a difference writes the actual
// picture and a difference picture (red where they differ) beside the test.
void ExpectGolden(const Rect& r, const std::string& name) {
    const std::string path = std::string(TEST_GOLDEN) + "/" + name + ".png";
    std::vector<uint32_t> actual = Pixels(r);
    std::vector<uint32_t> expected(actual.size(), 0xFFFFFFFF);
    const int handle = LoadImageHandle(path.c_str());
    if (handle >= 0 && GetGraphicRecord(handle)->width == r.w &&
        GetGraphicRecord(handle)->height == r.h) {
        for (int y = 0; y < r.h; ++y)
            for (int x = 0; x < r.w; ++x)
                expected[y * r.w + x] = GraphicPixel(handle, x, y) & 0xFFFFFF;
    }
    if (actual == expected) return;
    assetgen::Canvas picture(r.w, r.h), difference(r.w, r.h);
    for (int y = 0; y < r.h; ++y) {
        for (int x = 0; x < r.w; ++x) {
            const uint32_t p = actual[y * r.w + x];
            picture.set(x, y, assetgen::Rgb(p >> 16 & 255, p >> 8 & 255, p & 255));
            const bool same = p == expected[y * r.w + x];
            difference.set(x, y, same ? assetgen::Rgb(0, 0, 0) : assetgen::Rgb(255, 0, 0));
        }
    }
    for (const auto& [suffix, canvas] :
         {std::pair{".actual.png", &picture}, std::pair{".difference.png", &difference}}) {
        const std::vector<uint8_t> png = assetgen::EncodePng(*canvas, false);
        std::ofstream(std::string(TEST_OUTPUT) + "/" + name + suffix, std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()),
                   static_cast<std::streamsize>(png.size()));
    }
    ADD_FAILURE() << name << " differs from " << path << "; see " << TEST_OUTPUT;
}

TEST_F(Text, GameTextsMatchTheirGoldenPictures) {
    Start(800, 600);
    SetDefaultFontType(3);
    ClearScreen();
    DrawTextAt(320, 567, Sjis("設定を保存して終了する").c_str(), MakeColor(255, 255, 255),
               MakeColor(0, 0, 255));
    ExpectGolden({316, 563, 220, 26}, "message_line");
    DrawTextFormat(516, 0, MakeColor(255, 255, 255), "FPS : %d", 60);
    ExpectGolden({512, 0, 96, 22}, "fps");
}

}  // namespace
