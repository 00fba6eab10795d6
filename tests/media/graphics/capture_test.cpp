// Screen capture: the exact BMP layout (read back by hand here), the rectangle
// rules, and the file written whole or not at all.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/media/file/archive_fixture.h"
#include "tests/media/graphics/graphics_fixture.h"

namespace {

using Capture = GraphicsTest;

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST_F(Capture, ExactLayoutCutToTheClipBottomUpAndWrittenWholeOrNotAtAll) {
    EXPECT_EQ(SaveScreenToBmp(0, 0, 1, 1, "early.bmp"), -1);  // before start-up
    Start();
    const DrawSurface s = ScreenDrawState().surface;  // painted with a pattern per pixel
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            At(s, x, y) = 0xAB000000u | static_cast<uint32_t>(x) << 16 |
                          static_cast<uint32_t>(y) << 8 | ((x * y) & 255);

    ASSERT_EQ(SaveScreenToBmp(5, 7, 6, 8, "one.bmp"), 0);
    const std::vector<uint8_t> expected = {
        'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
        40,  0,   0,  0, 1, 0, 0, 0, 1, 0, 0,  0, 1, 0, 24, 0, 0, 0, 0, 0,
        0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0,  // info header
        35,  7,   5,  0};                                                   // B G R, padding
    EXPECT_EQ(archive_test::ReadFile("one.bmp"), expected);
    ASSERT_EQ(SaveScreenToBmp(0, 0, 800, 600, "full.bmp"), 0);
    EXPECT_EQ(std::filesystem::file_size("full.bmp"), 1440054u);

    EXPECT_EQ(SaveScreenToBmp(10, 10, 5, 20, "reversed.bmp"), -1);
    EXPECT_EQ(SaveScreenToBmp(10, 20, 20, 10, "reversed.bmp"), -1);
    EXPECT_FALSE(std::filesystem::exists("reversed.bmp"));
    SetClipRect(10, 4, 21, 9);
    std::ofstream("cut.bmp") << "an older file of that name";
    ASSERT_EQ(SaveScreenToBmp(0, 0, 100, 100, "cut.bmp"), 0);
    const std::vector<uint8_t> f = archive_test::ReadFile("cut.bmp");
    ASSERT_EQ(f.size(), 54u + 5 * 36);  // 11 x 5, rows of 33 bytes padded to 36
    EXPECT_EQ(Le32(f, 2), f.size());
    EXPECT_EQ(Le32(f, 18), 11u);
    EXPECT_EQ(Le32(f, 22), 5u);
    for (int row = 0; row < 5; ++row)
        for (int x = 0; x < 11; ++x) {
            const int sx = 10 + x, sy = 8 - row;  // the bottom row comes first
            const uint8_t* p = &f[54 + row * 36 + 3 * x];
            ASSERT_EQ(p[0] | p[1] << 8 | p[2] << 16, static_cast<int>(TargetPixel(sx, sy)));
        }
    EXPECT_EQ(f[54 + 33], 0);
    EXPECT_EQ(SaveScreenToBmp(0, 0, 800, 600, "screen/missing-folder.bmp"), 0);
    EXPECT_TRUE(Logged("ＢＭＰセーブ用ファイルのオープンに失敗しました"));
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(".")) files += e.path() != "./Log.txt";
    EXPECT_EQ(files, 3);  // one, full and cut, nothing half-written beside them
}

}  // namespace
