// data_tree_test.cpp - runs the assetgen command into fresh folders and checks the tree
// against the game's asset tables: every file at its exact path, decodable, at the size
// its cell grid needs, clean transparency, clean sound ends, seamless music loops, and
// byte-identical output from two runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sys/wait.h>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/tools/assetgen/decode_helpers.h"

namespace fs = std::filesystem;

namespace {

int RunGenerator(const std::string& args) {
    const std::string cmd = std::string("'") + ASSETGEN_EXE + "' " + args + " >/dev/null 2>&1";
    const int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// The picture tables of the game: file, cells across, cells down, cell width, height.
// Whole pictures have 0 x 0 cells here; their size is checked where the screen fixes it.
struct Expected {
    const char* path;
    int across, down, cellW, cellH;
};

const Expected kPictures[] = {
    {"image/menu/Title.png", 0, 0, 0, 0},
    {"image/menu/MainMenu.png", 1, 8, 256, 32},
    {"image/menu/GameMode.png", 1, 8, 256, 32},
    {"image/menu/NetWork.png", 1, 8, 256, 32},
    {"image/config/Connection.png", 1, 3, 384, 32},
    {"image/game/block2.bmp", 10, 1, 24, 24},
    {"image/game/NextBlock.png", 3, 3, 96, 48},
    {"image/game/HoldBlock.png", 3, 3, 48, 24},
    {"image/game/Interface.png", 1, 7, 96, 24},
    {"image/game/FallGauge.png", 5, 1, 16, 256},
    {"image/game/combobar.bmp", 4, 1, 16, 256},
    {"image/game/VSResult.png", 1, 3, 256, 64},
    {"image/game/GameOver.png", 0, 0, 0, 0},
    {"image/game/GameClear.png", 0, 0, 0, 0},
    {"image/game/Edge.png", 0, 0, 0, 0},
    {"image/game/Ready.png", 1, 16, 128, 32},
    {"image/config/ConfigMenu.png", 1, 9, 256, 32},
    {"image/config/ConfigEdit.png", 1, 7, 128, 32},
    {"image/config/Volume.bmp", 1, 6, 256, 32},
    {"image/config/configInformation.bmp", 0, 0, 0, 0},
    {"image/menu/Select.png", 1, 8, 256, 32},
    {"image/common/Number_s_b.png", 13, 1, 16, 16},
    {"image/common/Number_s_r.png", 13, 1, 16, 16},
    {"image/common/Number_s_y.png", 13, 1, 16, 16},
    {"image/common/Number_s_w.png", 13, 1, 16, 16},
    {"image/common/Number_s_a.png", 13, 1, 16, 16},
    {"image/common/Number_b_b.png", 12, 1, 32, 32},
    {"image/common/Number_b_r.png", 12, 1, 32, 32},
    {"image/common/Number_b_y.png", 12, 1, 32, 32},
    {"image/common/Number_b_w.png", 12, 1, 32, 32},
    {"image/common/Cursor.bmp", 0, 0, 0, 0},
    {"image/BG/Filter.bmp", 0, 0, 0, 0},
    {"image/BG/BG001.jpg", 0, 0, 0, 0},
    {"image/BG/BG002.jpg", 0, 0, 0, 0},
    {"image/BG/BG003.jpg", 0, 0, 0, 0},
    {"image/BG/BG004.jpg", 0, 0, 0, 0},
    {"image/BG/BG005.jpg", 0, 0, 0, 0},
    {"image/BG/BG006.jpg", 0, 0, 0, 0},
    {"image/BG/BG007.jpg", 0, 0, 0, 0},
    {"image/BG/BG008.jpg", 0, 0, 0, 0},
};

const char* const kEffects[] = {
    "BlockLanding.wav",  "Rotation.wav",     "Select.wav",     "Decide.wav",  "DeleteLine.wav",
    "ConfigSelect.wav",  "ConfigCancel.wav", "ScreenShot.wav", "AddLine.wav", "Warning.wav",
    "Connect.wav",       "Quartet.wav",      "Lock.wav",       "Lvup.wav",    "HardDrop.wav",
    "BlockLanding2.wav", "Result.wav",
};

const char* const kMusic[] = {"BGM000.mp3", "BGM001.mp3", "BGM002.mp3",
                              "BGM003.mp3", "BGM005.mp3", "BGM007.mp3"};

std::set<std::string> ExpectedFiles() {
    std::set<std::string> s;
    for (const Expected& e : kPictures) s.insert(e.path);
    for (const char* f : kEffects) s.insert(std::string("Sound/Effect/") + f);
    s.insert("Sound/Voice/Voice_Lvup.wav");
    for (const char* f : kMusic) s.insert(std::string("Sound/BGM/") + f);
    s.insert("movie/MV004.avi");
    return s;
}

std::set<std::string> FilesUnder(const fs::path& root) {
    std::set<std::string> s;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) s.insert(fs::relative(e.path(), root).generic_string());
    return s;
}

// A visible pixel that touches the transparent area and is nearly black would show as a
// dark halo when the picture is drawn by colour key over a bright background.
int HaloPixels(const Picture& p) {
    int count = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            if (p.clear(x, y)) continue;
            const int m = std::max({p.r(x, y), p.g(x, y), p.b(x, y)});
            if (m >= 16) continue;
            bool edge = false;
            for (int dy = -1; dy <= 1 && !edge; ++dy)
                for (int dx = -1; dx <= 1 && !edge; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < p.width && ny < p.height && p.clear(nx, ny))
                        edge = true;
                }
            if (edge) ++count;
        }
    return count;
}

}  // namespace

TEST(AssetTree, EveryTableFileExistsWithExactNameAndNothingElse) {
    TempDir dir;
    ASSERT_EQ(RunGenerator("'" + dir.path() + "'"), 0);
    const fs::path data = fs::path(dir.path()) / "data";
    ASSERT_TRUE(fs::is_directory(data));
    EXPECT_EQ(FilesUnder(data), ExpectedFiles());
}

TEST(AssetTree, PicturesDecodeAtTheirGridSizeWithCleanTransparency) {
    TempDir dir;
    ASSERT_EQ(RunGenerator("'" + dir.path() + "'"), 0);
    const std::string data = dir.path() + "/data/";
    for (const Expected& e : kPictures) {
        SCOPED_TRACE(e.path);
        const Picture p = ReadPicture(data + e.path);
        ASSERT_TRUE(p.ok);
        if (e.across > 0) {
            EXPECT_EQ(p.width, e.across * e.cellW);
            EXPECT_EQ(p.height, e.down * e.cellH);
        } else {
            EXPECT_GT(p.width, 0);
            EXPECT_GT(p.height, 0);
        }
        EXPECT_EQ(HaloPixels(p), 0);
    }
    // Backgrounds fill the 800 x 600 screen without stretching; so does the shading.
    for (const char* bg :
         {"BG001", "BG002", "BG003", "BG004", "BG005", "BG006", "BG007", "BG008"}) {
        const Picture p = ReadJpeg(data + "image/BG/" + bg + ".jpg");
        EXPECT_EQ(p.width, 800) << bg;
        EXPECT_EQ(p.height, 600) << bg;
    }
    const Picture filter = ReadBmp(data + "image/BG/Filter.bmp");
    ASSERT_TRUE(filter.ok);
    EXPECT_EQ(filter.width, 800);
    EXPECT_EQ(filter.height, 600);
    // The shading must both darken (visible pixels) and let the scene through (key pixels).
    int keyed = 0;
    for (int y = 0; y < filter.height; ++y)
        for (int x = 0; x < filter.width; ++x) keyed += filter.clear(x, y) ? 1 : 0;
    EXPECT_GT(keyed, 800 * 600 / 4);
    EXPECT_LT(keyed, 800 * 600 * 3 / 4);
}

TEST(AssetTree, BlockTilesAndWellFrameFitThePlayScreen) {
    TempDir dir;
    ASSERT_EQ(RunGenerator("'" + dir.path() + "'"), 0);
    const std::string data = dir.path() + "/data/";
    const Picture blocks = ReadBmp(data + "image/game/block2.bmp");
    ASSERT_TRUE(blocks.ok);
    ASSERT_EQ(blocks.width, 240);
    // Cells 0-7 (pieces and garbage) are drawn without transparency and also as the
    // landing point with it: no key pixel may punch holes into them.
    for (int cell = 0; cell < 8; ++cell) {
        int holes = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x) holes += blocks.clear(cell * 24 + x, y) ? 1 : 0;
        EXPECT_EQ(holes, 0) << "cell " << cell;
    }
    // The seven piece colours and the garbage grey are all different.
    std::set<uint32_t> centres;
    for (int cell = 0; cell < 8; ++cell) {
        const int x = cell * 24 + 12, y = 14;
        centres.insert((blocks.r(x, y) << 16) | (blocks.g(x, y) << 8) | blocks.b(x, y));
    }
    EXPECT_EQ(centres.size(), 8u);
    // Cell 8: empty with grid lines (mostly see-through, some lines); cell 9 all key.
    int grid = 0, plain = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            grid += blocks.clear(8 * 24 + x, y) ? 0 : 1;
            plain += blocks.clear(9 * 24 + x, y) ? 0 : 1;
        }
    EXPECT_GT(grid, 0);
    EXPECT_LT(grid, 24 * 24 / 3);
    EXPECT_EQ(plain, 0);
    // The frame is drawn at the wall column of a 12 x 22 cell well; the 10 x 21 cells of
    // the playfield inside it must stay see-through.
    const Picture edge = ReadPng(data + "image/game/Edge.png");
    ASSERT_TRUE(edge.ok);
    EXPECT_EQ(edge.width, 12 * 24);
    EXPECT_EQ(edge.height, 22 * 24);
    int covered = 0;
    for (int y = 0; y < 21 * 24; ++y)
        for (int x = 24; x < 11 * 24; ++x) covered += edge.clear(x, y) ? 0 : 1;
    EXPECT_EQ(covered, 0);
    EXPECT_FALSE(edge.clear(12, 300));  // the wall pillar is drawn
}

TEST(AssetTree, SoundsArePcmAndEndCleanlyMusicLoopsWithoutClick) {
    TempDir dir;
    ASSERT_EQ(RunGenerator("'" + dir.path() + "'"), 0);
    const std::string data = dir.path() + "/data/Sound/";
    std::vector<std::string> wavs;
    for (const char* f : kEffects) wavs.push_back(data + "Effect/" + f);
    wavs.push_back(data + "Voice/Voice_Lvup.wav");
    for (const std::string& path : wavs) {
        SCOPED_TRACE(path);
        const Wav w = ReadWav(path);
        ASSERT_TRUE(w.ok);
        EXPECT_EQ(w.format, 1);
        EXPECT_EQ(w.bits, 16);
        EXPECT_TRUE(w.channels == 1 || w.channels == 2);
        EXPECT_EQ(w.rate, 44100);
        ASSERT_GT(w.samples.size(), 441u);                     // at least 10 ms
        EXPECT_LE(w.samples.size() / w.channels, 44100u * 3);  // effects stay short
        int peak = 0;
        for (int16_t v : w.samples) peak = std::max(peak, std::abs(static_cast<int>(v)));
        EXPECT_GT(peak, 8000);  // loud enough to cut through the music
        for (int ch = 0; ch < w.channels; ++ch)
            EXPECT_LE(std::abs(w.samples[w.samples.size() - w.channels + ch]), 64);
    }
    for (const char* f : kMusic) {
        SCOPED_TRACE(f);
        const Decoded d = DecodeMp3(data + "BGM/" + f);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.rate, 44100);
        ASSERT_EQ(d.channels, 2);
        const size_t frames = d.samples.size() / 2;
        EXPECT_GE(frames, 44100u * 12);
        EXPECT_LE(frames, 44100u * 32);
        int musicPeak = 0;
        for (int16_t v : d.samples) musicPeak = std::max(musicPeak, std::abs(static_cast<int>(v)));
        EXPECT_GT(musicPeak, 8000);
        EXPECT_LT(musicPeak, 32000);  // headroom below the effects
        // The jump from the last frame back to the first must look like the steps around
        // it, not like a click.
        for (int ch = 0; ch < 2; ++ch) {
            auto at = [&](size_t i) { return static_cast<int>(d.samples[i * 2 + ch]); };
            int local = 0;
            for (size_t i = 0; i < 64; ++i) {
                local = std::max(local, std::abs(at(i + 1) - at(i)));
                local = std::max(local, std::abs(at(frames - 1 - i) - at(frames - 2 - i)));
            }
            const int seam = std::abs(at(0) - at(frames - 1));
            EXPECT_LE(seam, local * 2 + 64) << "channel " << ch;
        }
    }
    const std::vector<uint8_t> avi = ReadAll(dir.path() + "/data/movie/MV004.avi");
    ASSERT_GT(avi.size(), 64u);
    EXPECT_EQ(std::string(avi.begin(), avi.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(avi.begin() + 8, avi.begin() + 12), "AVI ");
    const uint32_t riffSize =
        avi[4] | (avi[5] << 8) | (avi[6] << 16) | (static_cast<uint32_t>(avi[7]) << 24);
    EXPECT_EQ(riffSize + 8, avi.size());
}

TEST(AssetTree, TwoRunsWriteIdenticalTrees) {
    TempDir a;
    TempDir b;
    ASSERT_EQ(RunGenerator("'" + a.path() + "'"), 0);
    ASSERT_EQ(RunGenerator("'" + b.path() + "'"), 0);
    const fs::path da = fs::path(a.path()) / "data", db = fs::path(b.path()) / "data";
    const std::set<std::string> files = FilesUnder(da);
    ASSERT_EQ(files, FilesUnder(db));
    ASSERT_FALSE(files.empty());
    for (const std::string& f : files) {
        const std::vector<uint8_t> x = ReadAll((da / f).string()), y = ReadAll((db / f).string());
        EXPECT_EQ(std::hash<std::string>{}(std::string(x.begin(), x.end())),
                  std::hash<std::string>{}(std::string(y.begin(), y.end())))
            << f;
        EXPECT_EQ(x.size(), y.size()) << f;
    }
}

TEST(AssetTree, CommandLineMistakesFailWithoutWritingATree) {
    TempDir dir;
    EXPECT_EQ(RunGenerator(""), 2);
    EXPECT_EQ(RunGenerator("a b"), 2);
    // An output folder that cannot be created is a failure, not a silent success.
    const std::string blocker = dir.file("plainfile");
    FILE* f = std::fopen(blocker.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_EQ(RunGenerator("'" + blocker + "/out'"), 1);
    EXPECT_FALSE(fs::exists(blocker + "/out"));
}
