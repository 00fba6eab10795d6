// Image readers: pictures written by PIL and ImageMagick (images/make_images.py) load
// and draw to the pixels of an independent decode; archives; and the classic
// decoder faults on hostile input, each by name.
#include <gtest/gtest.h>

#include <limits.h>

#include <algorithm>

#include <filesystem>

#include "media/core/tracked_alloc.h"
#include "media/graphics/image_readers.h"
#include "pavex.h"
#include "tests/media/file/archive_fixture.h"
#include "tests/media/graphics/graphics_fixture.h"

namespace {

using Readers = GraphicsTest;
using Bytes = std::vector<uint8_t>;

// Every picture of images/ that a reader accepts; "+" marks one that becomes an alpha
// graphic. JPEG pixels may differ from the reference by 2 per channel.
const char* const kPictures[] = {
    "bmp_1bit.bmp",          "bmp_4bit.bmp",          "bmp_4bit_rle.bmp",
    "bmp_8bit.bmp",          "bmp_8bit_rle.bmp",      "bmp_8bit_v5.bmp",
    "bmp_16bit_565.bmp",     "bmp_16bit_555.bmp",     "bmp_24bit.bmp",
    "bmp_24bit_topdown.bmp", "bmp_32bit.bmp",         "bmp_32bit_bitfields.bmp",
    "jpeg_baseline.jpg",     "jpeg_progressive.jpg",  "jpeg_grey.jpg",
    "png_rgb.png",           "+png_rgba.png",         "png_palette.png",
    "+png_palette_trns.png", "+png_rgb_trns.png",     "png_grey.png",
    "+png_grey_alpha.png",   "png_1bit.png",          "+png_interlaced.png",
    "png_grey16.png",        "png_rgb16.png",         "+raw8.bgra",
    "+raw16.bgra",           "tga_rgb24.tga",         "+tga_rgba32.tga",
    "+tga_rle32.tga",        "tga_mapped.tga",        "tga_mapped_rle.tga",
    "tga_topleft.tga",       "tga_right_to_left.tga", "tga_rgb16.tga",
    "dds_rgb24.dds",         "dds_xrgb32.dds",        "+masked.bmp"};

// ---- hostile input ----

void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// An 8-bit BMP (two palette entries: red and green) with the given pixel bytes.
Bytes Bmp8(int32_t w, int32_t h, uint32_t compression, const Bytes& pixels) {
    Bytes b = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0, 40};  // the pixels at 62
    b.resize(62);
    Put32(b, 18, static_cast<uint32_t>(w));
    Put32(b, 22, static_cast<uint32_t>(h));
    b[26] = 1;  // one plane of 8 bits
    b[28] = 8;
    Put32(b, 30, compression);
    Put32(b, 46, 2);
    b[56] = b[59] = 0xFF;  // entry 0: red, entry 1: green (B G R 0)
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

// Reads with `reader`; returns the picture as 0xRRGGBB rows (alpha dropped), or an
// empty vector when refused. Either way nothing stays allocated.
std::vector<uint32_t> Decode(int (*reader)(const uint8_t*, size_t, BaseImage*), const Bytes& b) {
    const int blocks = TrackedBlockCount();
    BaseImage img;
    std::vector<uint32_t> out;
    if (reader(b.data(), b.size(), &img) == 0) {
        out.resize(static_cast<size_t>(img.width) * img.height);
        ConvertToArgb(img, out.data(), img.width);
        for (uint32_t& p : out) p &= 0xFFFFFF;
        FreeBaseImage(&img);
    }
    EXPECT_EQ(TrackedBlockCount(), blocks);
    return out;
}

constexpr uint32_t R = 0xFF0000, G = 0x00FF00, K = 0;

// Each loaded graphic against the reference decode stored beside the picture (width
// and height, then RGBA): alpha exactly, for alpha graphics only.
TEST_F(Readers, PicturesOfOtherEncodersMatchAnIndependentDecodeAndHostileInputIsSafe) {
    Start(64, 48);
    for (const char* entry : kPictures) {
        const bool alpha = entry[0] == '+';
        const std::string file = entry + alpha;
        SCOPED_TRACE(file);
        const Bytes ref = archive_test::ReadFile(Image(file) + ".ref");
        ASSERT_GT(ref.size(), 8u);
        const int w = ref[0] | ref[1] << 8, h = ref[4] | ref[5] << 8;
        const GraphicRecord* r = GetGraphicRecord(LoadImageHandle(Image(file).c_str()));
        ASSERT_TRUE(r && r->width == w && r->height == h && ref.size() == 8 + 4u * w * h);
        EXPECT_EQ(r->hasAlpha, alpha ? 1 : 0);
        int worst = 0;
        for (int i = 0; i < w * h; ++i)
            for (int ch = 0; ch < (alpha ? 4 : 3); ++ch) {  // R, G, B, A
                const uint32_t got = At(GraphicSurface(r), i % w, i / w) >> ((16 - 8 * ch) & 31);
                worst = std::max(worst, std::abs(int(got & 255) - ref[8 + 4 * i + ch]));
            }
        EXPECT_LE(worst, file[0] == 'j' ? 2 : 0);
    }
    EXPECT_EQ(LoadImageHandle(Image("dds_argb32.dds").c_str()), -1);  // DDS with alpha
    // A mask of another size fails the picture.
    std::filesystem::copy_file(Image("bmp_24bit.bmp"), "odd.bmp");
    ASSERT_EQ(SaveScreenToBmp(0, 0, 5, 4, "odd_a.bmp"), 0);
    EXPECT_EQ(LoadImageHandle("odd.bmp"), -1);

    // Runs of BMP and TGA stay inside the picture and the input; TGA rules; cut short
    // files fail; impossible sizes allocate nothing large.
    using V = std::vector<uint32_t>;
    // Rows are stored bottom-up: the first row decoded is the bottom one.
    // A delta that moves past the picture ends it; what was skipped stays index 0.
    EXPECT_EQ(Decode(ReadBmp, Bmp8(3, 2, 1, {2, 1, 0, 2, 9, 9, 3, 1})), (V{R, R, R, G, G, R}));
    // Row ends past the last row end the picture.
    EXPECT_EQ(Decode(ReadBmp, Bmp8(2, 2, 1, {1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 2, 1})),
              (V{G, R, G, R}));
    // A run longer than the row is cut at its end and does not spill into the next.
    EXPECT_EQ(Decode(ReadBmp, Bmp8(2, 2, 1, {255, 1, 0, 0, 1, 1})), (V{G, R, G, G}));
    // A literal run longer than the row is cut too; the data after it still counts.
    EXPECT_EQ(Decode(ReadBmp, Bmp8(2, 2, 1, {0, 5, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1})),
              (V{G, R, G, G}));
    // A literal run that reads past the data ends the picture.
    EXPECT_EQ(Decode(ReadBmp, Bmp8(2, 1, 1, {0, 200, 1})), (V{R, R}));
    // Indexes beyond the palette are black.
    EXPECT_EQ(Decode(ReadBmp, Bmp8(2, 1, 0, {1, 200, 0, 0})), (V{G, K}));
    // Deltas move right by up to 255 pixels, and not past the row's end.
    const V far = Decode(ReadBmp, Bmp8(200, 1, 1, {0, 2, 150, 0, 1, 1}));
    EXPECT_EQ(far.size() == 200 ? far[150] : K, G);
    EXPECT_EQ(Decode(ReadBmp, Bmp8(3, 2, 1, {0, 2, 5, 0, 2, 1, 0, 0, 1, 1})),
              (V{G, R, R, R, R, R}));
    // Top-down rows.
    EXPECT_EQ(Decode(ReadBmp, Bmp8(1, -2, 0, {1, 0, 0, 0, 0, 0, 0, 0})), (V{G, R}));

    const Bytes packets = {0x81, 0, 0, 0xFF, 0x01, 0, 0xFF, 0, 0xFF, 0, 0};
    Bytes whole = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0x20};  // 2 x 2, RLE
    whole.insert(whole.end(), packets.begin(), packets.end());
    // A run of two red pixels, then two literal pixels (green, blue).
    EXPECT_EQ(Decode(ReadTga, whole), (V{R, R, G, 0x0000FF}));
    for (size_t cut = 1; cut < packets.size(); ++cut)
        EXPECT_TRUE(Decode(ReadTga, Bytes(whole.begin(), whole.end() - cut)).empty()) << cut;
    Bytes origin = whole;
    origin[8] = 1;  // x origin 1
    EXPECT_TRUE(Decode(ReadTga, origin).empty());
    Bytes wide = whole;
    wide[12] = 0;
    wide[13] = 0x10;  // 4096 pixels wide
    EXPECT_TRUE(Decode(ReadTga, wide).empty());
    // A colour map starting at index 1: indexes outside it give zero pixels.
    const Bytes mapped = {0, 1, 1, 1,    0, 2, 0,   24, 0,   0, 0, 0, 4, 0,
                          1, 0, 8, 0x20, 0, 0, 255, 0,  255, 0, 0, 1, 2, 3};
    EXPECT_EQ(Decode(ReadTga, mapped), (V{K, R, G, K}));
    for (const char* f : {"png_rgba.png", "png_interlaced.png", "jpeg_progressive.jpg"}) {
        const Bytes file = archive_test::ReadFile(Image(f));
        auto reader = f[0] == 'p' ? ReadPng : ReadJpeg;
        ASSERT_FALSE(Decode(reader, file).empty());
        for (size_t keep = 0; keep + 8 < file.size(); keep += 7)
            EXPECT_TRUE(Decode(reader, Bytes(file.begin(), file.begin() + keep)).empty()) << f;
    }
    // Pixels or a palette that the file is too short for.
    const Bytes dds = archive_test::ReadFile(Image("dds_rgb24.dds"));
    EXPECT_TRUE(Decode(ReadDds, Bytes(dds.begin(), dds.end() - 10)).empty());
    Bytes fullPalette = Bmp8(2, 1, 0, Bytes(1000, 0));
    Put32(fullPalette, 46, 0);  // all 256 entries: 1024 bytes
    EXPECT_TRUE(Decode(ReadBmp, fullPalette).empty());

    // Impossible sizes are refused before anything large is allocated.
    TrackedSetTrace(-1, 0, 0, 0);  // every allocation is logged from here on
    const Bytes pixels(64, 0);
    for (int32_t v : {0, INT_MIN, INT_MAX, 16385, -16385}) {
        EXPECT_TRUE(Decode(ReadBmp, Bmp8(v, 4, 0, pixels)).empty()) << v;
        EXPECT_TRUE(Decode(ReadBmp, Bmp8(4, v, 0, pixels)).empty()) << v;
    }
    // 4095 x 4095 claimed by a tiny file, plain and run-length.
    EXPECT_TRUE(Decode(ReadBmp, Bmp8(4095, 4095, 0, Bytes(40, 1))).empty());
    EXPECT_TRUE(Decode(ReadBmp, Bmp8(4095, 4095, 1, {0, 1})).empty());
    Bytes tga(40, 0);
    tga[2] = 2;
    tga[12] = tga[14] = 0xFF;
    tga[13] = tga[15] = 0x0F;  // 4095 x 4095
    tga[16] = 24;
    EXPECT_TRUE(Decode(ReadTga, tga).empty());
    tga[2] = 10;  // run-length: still more than 40 bytes can hold
    EXPECT_TRUE(Decode(ReadTga, tga).empty());
    // Width x height x 4 x 2 overflowing 32 bits, in raw BGRA.
    Bytes raw = {'B', 'G', 'R', 'A', 16, 16, 16, 16, 0, 0, 1, 0, 0, 0, 1, 0};
    raw.resize(4096);
    EXPECT_TRUE(Decode(ReadRawBgra, raw).empty());
    TrackedSetTrace(0, 0, 0, 0);
    EXPECT_FALSE(Logged("mem alloc"));
}

}  // namespace
