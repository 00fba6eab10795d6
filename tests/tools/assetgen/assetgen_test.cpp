// assetgen_test.cpp - the asset generator, its files read by the library's own readers
// (checked against independent encoders elsewhere), as the game reads them. The data
// tree the build generated against the game's asset tables: every file at its exact
// path, decodable, at the size its cell grid needs, clean transparency, clean sound
// ends, seamless music loops; a second run writes the same bytes (the movie is played
// and the tree read from an archive by the movie and packer tests). And the encoders
// on their own: BMP row padding, PNG and JPEG colour (PNG alpha shows in the tree's
// transparency), WAV, gapless MP3 loops.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "media/core/tracked_alloc.h"
#include "media/graphics/image_readers.h"
#include "media/sound/sound_internal.h"
#include "pavex.h"
#include "tests/game/files.h"
#include "tests/support/temp_dir.h"
#include "tools/assetgen/audio.h"
#include "tools/assetgen/canvas.h"
#include "tools/assetgen/image_files.h"

namespace fs = std::filesystem;
using namespace assetgen;

namespace {
const std::string kData = DATA_TREE "/";

// The picture tables of the game: file, cells across and down, cell width and height;
// 0 x 0 cells for a whole picture of any size.
struct Expected {
    std::string path;
    int across, down, cellW, cellH;
};
std::vector<Expected> Pictures() {
    // clang-format off
    std::vector<Expected> p = {
        {"image/menu/Title.png", 0, 0, 0, 0}, {"image/menu/MainMenu.png", 1, 8, 256, 32},
        {"image/menu/GameMode.png", 1, 8, 256, 32}, {"image/menu/NetWork.png", 1, 8, 256, 32},
        {"image/menu/Select.png", 1, 8, 256, 32}, {"image/config/Connection.png", 1, 3, 384, 32},
        {"image/config/ConfigMenu.png", 1, 9, 256, 32}, {"image/config/ConfigEdit.png", 1, 7, 128, 32},
        {"image/config/Volume.bmp", 1, 6, 256, 32}, {"image/config/configInformation.bmp", 0, 0, 0, 0},
        {"image/game/block2.bmp", 10, 1, 24, 24}, {"image/game/NextBlock.png", 3, 3, 96, 48},
        {"image/game/HoldBlock.png", 3, 3, 48, 24}, {"image/game/Interface.png", 1, 7, 96, 24},
        {"image/game/FallGauge.png", 5, 1, 16, 256}, {"image/game/combobar.bmp", 4, 1, 16, 256},
        {"image/game/VSResult.png", 1, 3, 256, 64}, {"image/game/Ready.png", 1, 16, 128, 32},
        {"image/game/GameOver.png", 0, 0, 0, 0}, {"image/game/GameClear.png", 0, 0, 0, 0},
        {"image/common/Cursor.bmp", 0, 0, 0, 0},
        // The frame is drawn at the wall column of a 12 x 22 cell well; the backgrounds
        // and the shading fill the 800 x 600 screen without stretching.
        {"image/game/Edge.png", 1, 1, 12 * 24, 22 * 24}, {"image/BG/Filter.bmp", 1, 1, 800, 600}};
    // clang-format on
    for (char c : std::string("brywa"))
        p.push_back({std::string("image/common/Number_s_") + c + ".png", 13, 1, 16, 16});
    for (char c : std::string("bryw"))
        p.push_back({std::string("image/common/Number_b_") + c + ".png", 12, 1, 32, 32});
    for (char n = '1'; n <= '8'; ++n)
        p.push_back({std::string("image/BG/BG00") + n + ".jpg", 1, 1, 800, 600});
    return p;
}
const char* const kSounds[] = {
    "Effect/BlockLanding.wav",  "Effect/Rotation.wav",   "Effect/Select.wav",
    "Effect/Decide.wav",        "Effect/DeleteLine.wav", "Effect/ConfigSelect.wav",
    "Effect/ConfigCancel.wav",  "Effect/ScreenShot.wav", "Effect/AddLine.wav",
    "Effect/Warning.wav",       "Effect/Connect.wav",    "Effect/Quartet.wav",
    "Effect/Lock.wav",          "Effect/Lvup.wav",       "Effect/HardDrop.wav",
    "Effect/BlockLanding2.wav", "Effect/Result.wav",     "Voice/Voice_Lvup.wav",
};
const char* const kMusic[] = {"BGM000.mp3", "BGM001.mp3", "BGM002.mp3",
                              "BGM003.mp3", "BGM005.mp3", "BGM007.mp3"};

Bytes Tree(const std::string& file) {
    return FileBytes((kData + file).c_str());
}

// The generated files are read by the library's own readers, as the game reads them;
// those readers are checked against independent encoders in the media tests.
struct Picture {
    bool ok = false, hasAlpha = false;
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
    const uint8_t* at(int x, int y) const {  // blue, green, red, alpha
        return reinterpret_cast<const uint8_t*>(&argb[static_cast<size_t>(y) * width + x]);
    }
    uint32_t rgb(int x, int y) const { return argb[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
    // Transparent as the game sees it: alpha 0, or pure black in a file without alpha.
    bool clear(int x, int y) const { return hasAlpha ? at(x, y)[3] == 0 : rgb(x, y) == 0; }
};

Picture ReadPicture(const Bytes& bytes) {
    Picture p;
    BaseImage image;
    if (ReadImage(bytes.data(), bytes.size(), &image) != 0) return p;
    p = {true, image.format.alphaMask != 0, image.width, image.height,
         std::vector<uint32_t>(static_cast<size_t>(image.width) * image.height)};
    ConvertToArgb(image, p.argb.data(), image.width);
    FreeBaseImage(&image);
    return p;
}

// The samples of a WAV (16-bit PCM only) or an MP3.
struct Sound {
    bool ok = false;
    int rate = 0, channels = 0;
    std::vector<int16_t> samples;  // interleaved
};

Sound Decode(const Bytes& bytes, SoundCodec codec) {
    Sound s;
    SoundDecoder dec;
    int16_t* samples = nullptr;
    int64_t frames = 0;
    if (SoundDecoderOpen(&dec, bytes.data(), bytes.size()) != 0) return s;
    if (dec.codec == codec && (codec != CODEC_PCM_WAV || dec.bytesPerSample == 2) &&
        SoundDecodeAll(&dec, &samples, &frames) == 0) {
        s = {true, dec.rate, dec.channels,
             std::vector<int16_t>(samples, samples + frames * dec.channels)};
        TrackedFree(samples);
    }
    SoundDecoderClose(&dec);
    return s;
}

std::set<std::string> FilesUnder(const fs::path& root) {
    std::set<std::string> s;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) s.insert(fs::relative(e.path(), root).generic_string());
    return s;
}

int Shell(const std::string& command) {
    const int rc = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// Visible pixels (in x0..x1, y0..y1) that the colour key or the alpha leaves clear.
int ClearPixels(const Picture& p, int x0, int y0, int x1, int y1) {
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) count += p.clear(x, y);
    return count;
}

// A visible, nearly black pixel next to the transparent area would show as a dark
// halo when the picture is drawn by colour key over a bright background.
int HaloPixels(const Picture& p) {
    int count = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const uint8_t* c = p.at(x, y);
            if (p.clear(x, y) || std::max({c[0], c[1], c[2]}) >= 16) continue;
            count += ClearPixels(p, std::max(0, x - 1), std::max(0, y - 1),
                                 std::min(p.width, x + 2), std::min(p.height, y + 2)) > 0;
        }
    return count;
}

int Peak(const Sound& s) {
    int m = 0;
    for (int16_t v : s.samples) m = std::max(m, std::abs(static_cast<int>(v)));
    return m;
}

}  // namespace

TEST(AssetTree, EveryTableFileAndNothingElsePicturesAtTheirGridSizeWithCleanTransparency) {
    std::set<std::string> expected = {"movie/MV004.avi"};
    for (const char* f : kSounds) expected.insert(std::string("Sound/") + f);
    for (const char* f : kMusic) expected.insert(std::string("Sound/BGM/") + f);
    for (const Expected& e : Pictures()) {
        SCOPED_TRACE(e.path);
        expected.insert(e.path);
        const Picture p = ReadPicture(Tree(e.path));
        ASSERT_TRUE(p.ok);
        if (e.across > 0) {
            EXPECT_EQ(p.width, e.across * e.cellW);
            EXPECT_EQ(p.height, e.down * e.cellH);
        }
        EXPECT_EQ(HaloPixels(p), 0);
    }
    EXPECT_EQ(FilesUnder(kData), expected);
    // The shading both darkens (visible pixels) and lets the scene through (key pixels).
    const int keyed = ClearPixels(ReadPicture(Tree("image/BG/Filter.bmp")), 0, 0, 800, 600);
    EXPECT_GT(keyed, 800 * 600 / 4);
    EXPECT_LT(keyed, 800 * 600 * 3 / 4);
}

TEST(AssetTree, BlockTilesAndWellFrameFitThePlayScreen) {
    const Picture blocks = ReadPicture(Tree("image/game/block2.bmp"));
    ASSERT_EQ(blocks.width, 240);
    // Cells 0-7 (pieces and garbage) are drawn without transparency and also as the
    // landing point with it: no key pixel may punch holes into them; their centres
    // show eight different colours.
    std::set<uint32_t> centres;
    for (int cell = 0; cell < 8; ++cell) {
        EXPECT_EQ(ClearPixels(blocks, cell * 24, 0, cell * 24 + 24, 24), 0) << cell;
        centres.insert(blocks.rgb(cell * 24 + 12, 14));
    }
    EXPECT_EQ(centres.size(), 8u);
    // Cell 8: empty with grid lines (mostly see-through, some lines); cell 9 all key.
    EXPECT_GT(ClearPixels(blocks, 8 * 24, 0, 9 * 24, 24), 24 * 24 * 2 / 3);
    EXPECT_LT(ClearPixels(blocks, 8 * 24, 0, 9 * 24, 24), 24 * 24);
    EXPECT_EQ(ClearPixels(blocks, 9 * 24, 0, 10 * 24, 24), 24 * 24);
    // The 10 x 21 cells of the playfield inside the well frame stay see-through; the
    // wall pillar is drawn.
    const Picture edge = ReadPicture(Tree("image/game/Edge.png"));
    ASSERT_TRUE(edge.ok);
    EXPECT_EQ(ClearPixels(edge, 24, 0, 11 * 24, 21 * 24), 10 * 24 * 21 * 24);
    EXPECT_FALSE(edge.clear(12, 300));
}

TEST(AssetTree, SoundsEndCleanlyAndMusicLoopsWithoutClick) {
    for (const char* f : kSounds) {
        SCOPED_TRACE(f);
        const Sound w = Decode(Tree(std::string("Sound/") + f), CODEC_PCM_WAV);
        ASSERT_TRUE(w.ok && w.rate == 44100 && (w.channels == 1 || w.channels == 2) &&
                    w.samples.size() > 441u);                  // at least 10 ms
        EXPECT_LE(w.samples.size() / w.channels, 44100u * 3);  // effects stay short
        EXPECT_GT(Peak(w), 8000);  // loud enough to cut through the music
        for (int ch = 0; ch < w.channels; ++ch)
            EXPECT_LE(std::abs(w.samples[w.samples.size() - w.channels + ch]), 64);
    }
    for (const char* f : kMusic) {
        SCOPED_TRACE(f);
        const Sound d = Decode(Tree(std::string("Sound/BGM/") + f), CODEC_MP3);
        ASSERT_TRUE(d.ok && d.rate == 44100 && d.channels == 2);
        const size_t frames = d.samples.size() / 2;
        EXPECT_TRUE(frames >= 44100u * 12 && frames <= 44100u * 32) << frames;
        EXPECT_TRUE(Peak(d) > 8000 && Peak(d) < 32000) << Peak(d);  // headroom below the effects
        // The jump from the last frame back to the first must look like the steps
        // around it, not like a click.
        for (int ch = 0; ch < 2; ++ch) {
            auto at = [&](size_t i) { return static_cast<int>(d.samples[i * 2 + ch]); };
            int local = 0;
            for (size_t i = 0; i < 64; ++i)
                local = std::max({local, std::abs(at(i + 1) - at(i)),
                                  std::abs(at(frames - 1 - i) - at(frames - 2 - i))});
            EXPECT_LE(std::abs(at(0) - at(frames - 1)), local * 2 + 64) << "channel " << ch;
        }
    }
}

TEST(AssetTree, ASecondRunWritesTheSameBytesAndMistakesFailWithoutATree) {
    TempDir dir;  // the current folder
    const std::string exe = ASSETGEN_EXE;
    ASSERT_EQ(Shell(exe + " ."), 0);
    const std::set<std::string> files = FilesUnder(kData);
    ASSERT_EQ(FilesUnder("data"), files);
    for (const std::string& f : files)
        EXPECT_TRUE(Tree(f) == FileBytes(("data/" + f).c_str())) << f;
    EXPECT_EQ(Shell(exe), 2);
    EXPECT_EQ(Shell(exe + " a b"), 2);
    // An output folder that cannot be created is a failure, not a silent success.
    WriteFile("plainfile", {'x'});
    EXPECT_EQ(Shell(exe + " plainfile/out"), 1);
}

TEST(Encoders, BmpPngAndJpegDecodeToWhatWasDrawn) {
    Canvas c(5, 3);  // odd width: BMP rows need padding
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) c.set(x, y, Rgb(x * 50, y * 100, 7, 255 - x * 60));
    const Picture bmp = ReadPicture(EncodeBmp24(c)), png = ReadPicture(EncodePng(c, true));
    for (const Picture* p : {&bmp, &png}) {
        ASSERT_TRUE(p->ok && p->width == 5 && p->height == 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(p->rgb(x, y), (x * 50u << 16) | (y * 100u << 8) | 7);
    }
    const Picture jpg = ReadPicture(EncodeJpeg(Canvas(40, 24, Rgb(200, 40, 40)), 90));
    ASSERT_TRUE(jpg.ok && jpg.width == 40 && jpg.height == 24);
    EXPECT_NEAR(jpg.at(20, 12)[2], 200, 8);  // red
    EXPECT_NEAR(jpg.at(20, 12)[1], 40, 8);
}

// A WAV of 16-bit PCM whose fade ends on zero. An MP3 of exactly 200 periods of 441 Hz in
// 20000 frames (a loop with a continuous seam) comes back at the same length, its seam
// intact (the gapless tag removes encoder delay and padding); mono is refused.
TEST(Encoders, WavAndGaplessMp3) {
    Pcm p;
    p.channels = 2;
    p.samples.assign(2 * 1000, 0.5f);
    FadeOutEnd(p, 5.0f);
    const Sound w = Decode(EncodeWav(p), CODEC_PCM_WAV);
    ASSERT_TRUE(w.ok && w.channels == 2 && w.rate == 44100 && w.samples.size() == 2000u);
    EXPECT_EQ(w.samples[0], 16384);
    EXPECT_EQ(w.samples[1999], 0);
    const int frames = 20000;
    p.samples.clear();
    for (int i = 0; i < frames; ++i)
        p.samples.insert(p.samples.end(), 2,
                         0.5f * std::sin(2.0f * 3.14159265f * 441.0f * i / 44100.0f));
    const Sound d = Decode(EncodeMp3(p), CODEC_MP3);
    ASSERT_TRUE(d.ok && d.channels == 2);
    ASSERT_EQ(d.samples.size(), static_cast<size_t>(2 * frames));
    const int step = static_cast<int>(0.5f * 32767 * 2 * 3.14159265f * 441.0f / 44100.0f);
    EXPECT_LE(std::abs(d.samples[0] - d.samples[d.samples.size() - 2]), step * 2 + 200);
    p.channels = 1;
    EXPECT_TRUE(EncodeMp3(p).empty());
}
