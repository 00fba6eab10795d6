// encoder_test.cpp - the generator's encoders and pixel forms, checked by decoding their
// output with independent readers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/tools/assetgen/decode_helpers.h"
#include "tools/assetgen/audio.h"
#include "tools/assetgen/canvas.h"
#include "tools/assetgen/image_files.h"
#include "tools/assetgen/synth.h"

using namespace assetgen;

namespace {

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

uint32_t U32(const std::vector<uint8_t>& b, size_t o) {
    return b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (static_cast<uint32_t>(b[o + 3]) << 24);
}

}  // namespace

TEST(PixelForms, KeyedFormHasHardEdgesAndNoNearBlackPixels) {
    Canvas c(4, 1);
    c.set(0, 0, Rgb(200, 100, 50, 255));
    c.set(1, 0, Rgb(200, 100, 50, 100));  // faint edge: becomes key
    c.set(2, 0, Rgb(3, 2, 1, 200));       // dark but covered: lifted, not key
    c.set(3, 0, Rgb(0, 0, 0, 255));       // drawn black: lifted, else it would vanish
    const Canvas k = KeyedForm(c);
    EXPECT_EQ(k.get(0, 0).r, 200);
    EXPECT_EQ(k.get(0, 0).a, 255);
    EXPECT_EQ(k.get(1, 0).a, 0);
    EXPECT_EQ(k.get(1, 0).r | k.get(1, 0).g | k.get(1, 0).b, 0);
    for (int x : {2, 3}) {
        const Rgba p = k.get(x, 0);
        EXPECT_EQ(p.a, 255);
        EXPECT_GE(std::max({p.r, p.g, p.b}), kMinVisibleLevel) << x;
    }
}

TEST(PixelForms, AlphaFormClearsColourUnderTransparentPixels) {
    Canvas c(3, 1);
    c.set(0, 0, Rgb(90, 90, 255, 20));
    c.set(1, 0, Rgb(90, 90, 255, 180));
    const Canvas a = AlphaForm(c);
    EXPECT_EQ(a.get(0, 0).a, 0);
    EXPECT_EQ(a.get(0, 0).b, 0);  // keyed drawing must not show it either
    EXPECT_EQ(a.get(1, 0).a, 180);
    EXPECT_EQ(a.get(1, 0).b, 255);
    EXPECT_EQ(a.get(2, 0).a, 0);
}

TEST(ImageFiles, BmpAndPngRoundTripThroughIndependentReaders) {
    TempDir dir;
    Canvas c(5, 3);  // odd width: BMP rows need padding
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) c.set(x, y, Rgb(x * 50, y * 100, 7, 255 - x * 60));
    WriteBytes(dir.file("t.bmp"), EncodeBmp24(c));
    WriteBytes(dir.file("t.png"), EncodePng(c, true));
    const Picture bmp = ReadBmp(dir.file("t.bmp"));
    const Picture png = ReadPng(dir.file("t.png"));
    ASSERT_TRUE(bmp.ok);
    ASSERT_TRUE(png.ok);
    EXPECT_TRUE(png.hasAlpha);
    for (const Picture* p : {&bmp, &png}) {
        ASSERT_EQ(p->width, 5);
        ASSERT_EQ(p->height, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                EXPECT_EQ(p->r(x, y), x * 50);
                EXPECT_EQ(p->g(x, y), y * 100);
                EXPECT_EQ(p->b(x, y), 7);
            }
    }
    EXPECT_EQ(png.a(4, 0), 15);
}

TEST(ImageFiles, JpegDecodesAtSizeAndKeepsColour) {
    TempDir dir;
    Canvas c(40, 24, Rgb(200, 40, 40));
    WriteBytes(dir.file("t.jpg"), EncodeJpeg(c, 90));
    const Picture p = ReadJpeg(dir.file("t.jpg"));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.width, 40);
    EXPECT_EQ(p.height, 24);
    EXPECT_NEAR(p.r(20, 12), 200, 8);
    EXPECT_NEAR(p.g(20, 12), 40, 8);
}

TEST(Sound, WavHeaderDescribesPcmAndFadeEndsOnZero) {
    TempDir dir;
    Pcm p;
    p.channels = 2;
    p.samples.assign(2 * 1000, 0.5f);
    FadeOutEnd(p, 5.0f);
    EXPECT_FLOAT_EQ(p.samples[p.samples.size() - 1], 0.0f);
    EXPECT_FLOAT_EQ(p.samples[0], 0.5f);
    WriteBytes(dir.file("t.wav"), EncodeWav(p));
    const Wav w = ReadWav(dir.file("t.wav"));
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.format, 1);
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.rate, 44100);
    ASSERT_EQ(w.samples.size(), 2000u);
    EXPECT_EQ(w.samples[0], 16384);
    EXPECT_EQ(w.samples[1999], 0);
}

TEST(Sound, WrappingNotesContinueAtTheStartOfTheLoop) {
    std::vector<float> wrapped(2 * 4410, 0.0f), straight(2 * 4410, 0.0f);
    Note n;
    n.start = 0.09f;  // 10 ms before the end of a 100 ms buffer, 50 ms long
    n.gate = 0.05f;
    n.env = Adsr{0.001f, 0.0f, 1.0f, 0.001f};
    n.wave = Wave::Square;
    RenderNote(wrapped, 2, kRate, n, true);
    RenderNote(straight, 2, kRate, n, false);
    float wrappedHead = 0, straightHead = 0;
    for (int i = 0; i < 2 * 441; ++i) {
        wrappedHead += std::fabs(wrapped[i]);
        straightHead += std::fabs(straight[i]);
    }
    EXPECT_GT(wrappedHead, 10.0f);
    EXPECT_EQ(straightHead, 0.0f);
}

TEST(Sound, Mp3KeepsTheLoopLengthAndItsSeam) {
    TempDir dir;
    // Exactly 200 periods of 441 Hz in 20000 frames: a loop whose seam is continuous.
    Pcm p;
    p.channels = 2;
    const int frames = 20000;
    for (int i = 0; i < frames; ++i) {
        const float v = 0.5f * std::sin(2.0f * 3.14159265f * 441.0f * i / 44100.0f);
        p.samples.push_back(v);
        p.samples.push_back(v);
    }
    WriteBytes(dir.file("t.mp3"), EncodeMp3(p));
    const Decoded d = DecodeMp3(dir.file("t.mp3"));
    ASSERT_TRUE(d.ok);
    ASSERT_EQ(d.channels, 2);
    // The gapless tag removes encoder delay and padding: same length as the input.
    EXPECT_EQ(d.samples.size(), static_cast<size_t>(2 * frames));
    ASSERT_GT(d.samples.size(), 100u);
    const int step = static_cast<int>(0.5f * 32767 * 2 * 3.14159265f * 441.0f / 44100.0f);
    EXPECT_LE(std::abs(d.samples[0] - d.samples[d.samples.size() - 2]), step * 2 + 200);
    Pcm mono;
    mono.samples.assign(1000, 0.0f);
    EXPECT_TRUE(EncodeMp3(mono).empty());
}

TEST(Movie, AviChunksAndIndexAreConsistent) {
    const std::vector<uint8_t> avi = EncodeMovie(3);
    ASSERT_GT(avi.size(), 200u);
    ASSERT_EQ(std::memcmp(avi.data(), "RIFF", 4), 0);
    EXPECT_EQ(U32(avi, 4) + 8, avi.size());
    // Find the movi list and the index.
    size_t movi = 0, idx = 0;
    for (size_t i = 12; i + 4 <= avi.size(); ++i) {
        if (!movi && std::memcmp(avi.data() + i, "movi", 4) == 0) movi = i;
        if (std::memcmp(avi.data() + i, "idx1", 4) == 0) idx = i;
    }
    ASSERT_NE(movi, 0u);
    ASSERT_NE(idx, 0u);
    ASSERT_EQ(U32(avi, idx + 4), 3u * 16u);
    for (int k = 0; k < 3; ++k) {
        const size_t e = idx + 8 + k * 16;
        const size_t chunk = movi + U32(avi, e + 8);
        ASSERT_LT(chunk + 8, avi.size());
        EXPECT_EQ(std::memcmp(avi.data() + chunk, "00dc", 4), 0);
        EXPECT_EQ(U32(avi, chunk + 4), U32(avi, e + 12));
        // Each frame is a JPEG.
        EXPECT_EQ(avi[chunk + 8], 0xFF);
        EXPECT_EQ(avi[chunk + 9], 0xD8);
    }
}
