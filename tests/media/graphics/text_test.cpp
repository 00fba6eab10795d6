// text_test - fonts, the glyph cache and the text calls: the font table's limits and
// fall-backs, the cache's size and round-robin replacement, the pen walk, real
// Japanese glyphs, and golden pictures of the game's two texts (edges included).

#include <string>
#include <vector>

#include "media/graphics/text.h"
#include "media/platform/plat_system.h"
#include "tests/media/graphics/graphics_fixture.h"

namespace {

using Text = GraphicsTest;

std::string Sjis(const char* utf8) {
    char out[256];
    PlatUtf8ToShiftJis(utf8, out, sizeof out);
    return out;
}

// The draw target's pixels in the w x h rectangle at (left, top).
std::vector<uint32_t> Pixels(int left, int top, int w, int h) {
    std::vector<uint32_t> v;
    for (int y = top; y < top + h; ++y)
        for (int x = left; x < left + w; ++x) v.push_back(TargetPixel(x, y));
    return v;
}

// What one character of the default font draws alone at (0, 0) on black.
std::vector<uint32_t> Alone(const std::string& sjis) {
    ClearScreen();
    DrawTextAt(0, 0, sjis.c_str(), MakeColor(255, 255, 255), MakeColor(0, 0, 255));
    return Pixels(0, 0, 24, 24);
}

// Compares the rectangle with the stored picture; on a difference writes the actual
// one beside the test.
void ExpectGolden(int left, int top, int w, int h, const std::string& name) {
    const std::string path = std::string(TEST_GOLDEN) + "/" + name + ".png";
    const std::vector<uint32_t> actual = Pixels(left, top, w, h);
    std::vector<uint32_t> expected;
    const int handle = LoadImageHandle(path.c_str());
    for (int y = 0; handle >= 0 && y < h && y < GetGraphicRecord(handle)->height; ++y)
        for (int x = 0; x < w && x < GetGraphicRecord(handle)->width; ++x)
            expected.push_back(GraphicPixel(handle, x, y) & 0xFFFFFF);
    if (actual == expected) return;
    const std::string out = std::string(TEST_OUTPUT) + "/" + name + ".actual.bmp";
    SaveScreenToBmp(left, top, left + w, top + h, out.c_str());
    ADD_FAILURE() << name << " differs from " << path << "; see " << TEST_OUTPUT;
}

TEST_F(Text, FontsTheCacheThePenWalkJapaneseGlyphsAndGoldenPictures) {
    EXPECT_EQ(CreateFontToHandle("", 16, -1, 0, -1, -1, 0, -1, -1), -1);  // layer down
    Start(800, 600);
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

    // The cache's size and its round-robin replacement.
    EXPECT_EQ(FontCacheCapacityFor(16) * 10000 + FontCacheCapacityFor(8), 12802024);
    FontInfo info;
    // Regular weight (thickness 4): no synthesised bold widening the advance.
    ASSERT_EQ(FontGetInfo(CreateFontToHandle("", 21, 4, 3, -1, 2, 0, -1, -1), &info), 0);
    EXPECT_EQ(info.cellSize, 32);    // 21 + 2 x 2, to a multiple of 8
    EXPECT_EQ(info.lineHeight, 26);  // 21 + 2 x 2, to an even number

    const int big = CreateFontToHandle("", 136, -1, 2, -1, -1, 0, -1, -1);
    ASSERT_EQ(FontGetInfo(big, &info), 0);
    ASSERT_EQ(info.cacheCapacity, 20);
    EXPECT_GT(TextWidth(big, "ABCDEFGHIJKLMNOPQRST"), 0);
    EXPECT_EQ(FontCachedSlot(big, 'A'), 0);
    EXPECT_EQ(FontCachedSlot(big, 'T'), 19);
    TextWidth(big, "U");  // the 21st character replaces the first
    EXPECT_EQ(FontCachedSlot(big, 'U'), 0);
    EXPECT_EQ(FontCachedSlot(big, 'A'), -1);
    TextWidth(big, "A");  // rendered again, in the next slot
    EXPECT_EQ(FontCachedSlot(big, 'A'), 1);
    EXPECT_EQ(FontCachedSlot(big, 'B'), -1);

    const int font = TextDefaultFont();
    // Each character alone at the pen position the ones before it leave.
    int pen = 516;
    for (const char* c : {"F", "P", "S", " ", ":", " ", "6", "0"}) {
        DrawTextWithFont(pen, 0, c, 0xFFFFFF, 0, font);
        pen += TextWidth(font, c);
    }
    const std::vector<uint32_t> pieces = Pixels(500, 0, 300, 24);
    EXPECT_EQ(pen - 516, TextWidth(font, "FPS : 60"));
    ClearScreen();
    ASSERT_EQ(DrawTextFormat(516, 0, 0xFFFFFF, "FPS : %d", 60), 0);
    EXPECT_EQ(Pixels(500, 0, 300, 24), pieces);
    // A full-width blank advances as a full-width character does and draws nothing;
    // a kanji whose first byte is 0xE0 is one character too.
    ClearScreen();
    const std::string wide = Sjis("　"), secondLevel = Sjis("漾");
    DrawTextAt(10, 10, wide.c_str(), 0xFFFFFF, 0xFFFFFF);
    EXPECT_EQ(Pixels(0, 0, 60, 40), std::vector<uint32_t>(60 * 40, 0));
    EXPECT_EQ(TextWidth(font, wide.c_str()), TextWidth(font, Sjis("設").c_str()));
    EXPECT_GT(TextWidth(font, wide.c_str()), TextWidth(font, " "));
    EXPECT_EQ(TextWidth(font, secondLevel.c_str()), TextWidth(font, wide.c_str()));
    EXPECT_EQ(DrawTextFormat(0, 100, 0xFFFFFF, "%s", std::string(3000, 'W').c_str()), 0);
    const std::vector<uint32_t> box = Alone("\xF0\x40");  // a code the face has no glyph for
    ASSERT_NE(box, Alone("?"));
    const std::string message = Sjis("設定を保存して終了する");
    for (size_t i = 0; i < message.size(); i += 2) EXPECT_NE(Alone(message.substr(i, 2)), box) << i;

    // The game's two texts, the default font remade with an edge for them.
    SetDefaultFontType(3);
    ClearScreen();
    DrawTextAt(320, 567, message.c_str(), MakeColor(255, 255, 255), MakeColor(0, 0, 255));
    ExpectGolden(316, 563, 220, 26, "message_line");
    DrawTextFormat(516, 0, MakeColor(255, 255, 255), "FPS : %d", 60);
    ExpectGolden(512, 0, 96, 22, "fps");
}

}  // namespace
