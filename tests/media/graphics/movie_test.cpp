// movie_test - movies as graphics: the game's movie and one inside an archive load,
// show frames that change with the clock and stand still while the window is
// inactive, release with the graphics and the layer; the table's limit; damaged
// files fail with their log lines.
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <numeric>

#include <filesystem>
#include <string>
#include <vector>

#include "media/core/tracked_alloc.h"
#include "media/graphics/movie.h"
#include "tests/media/file/archive_fixture.h"
#include "tests/media/graphics/graphics_fixture.h"

namespace {

using Movies = GraphicsTest;
using archive_test::Bytes;

const std::string kMovie = std::string(DATA_TREE) + "/movie/MV004.avi";

// The movie graphic drawn at (0, 0), as the draw target then shows it.
std::vector<uint32_t> Frame(int graphic) {
    EXPECT_EQ(DrawImage(0, 0, graphic, 0), 0);
    std::vector<uint32_t> v;
    for (int y = 0; y < 240; y += 4)
        for (int x = 0; x < 320; x += 4) v.push_back(TargetPixel(x, y));
    return v;
}

TEST_F(Movies, TheGameMovieRunsWithTheClockPausesWithoutFocusAndReleasesCleanly) {
    Start(800, 600);
    SetRunWhileInactive(1);  // drawing goes on while inactive; the movie must not
    const int movie = LoadImageHandle(kMovie.c_str());
    ASSERT_GE(movie, 0);
    const GraphicRecord* record = GetGraphicRecord(movie);
    EXPECT_EQ(record->width * 1000 + record->height, 320240);
    EXPECT_EQ(record->movie & 0x78000000, 0x18000000);
    const std::vector<uint32_t> first = Frame(movie);
    EXPECT_NE(first, std::vector<uint32_t>(first.size(), 0));
    EXPECT_EQ(Frame(movie), first);  // no time passed: the same frame
    script::AdvanceMs(400);
    const std::vector<uint32_t> later = Frame(movie);
    EXPECT_NE(later, first);
    script::SetFocus(false);
    ProcessMessage();
    script::AdvanceMs(1000);
    EXPECT_EQ(Frame(movie), later);
    script::SetFocus(true);
    ProcessMessage();
    // A movie opened now reaches the same movie time 400 ms after this one does.
    const int reference = LoadImageHandle(kMovie.c_str());
    script::AdvanceMs(400);
    const std::vector<uint32_t> resumed = Frame(movie);  // 800 ms into the movie
    EXPECT_NE(resumed, later);
    script::AdvanceMs(400);
    EXPECT_EQ(Frame(reference), resumed);
    script::AdvanceMs(60000);  // past the end: the last frame stays
    const std::vector<uint32_t> last = Frame(movie);
    EXPECT_NE(last, resumed);
    script::AdvanceMs(1000);
    EXPECT_EQ(Frame(movie), last);

    // From an archive: the same frames; released with the graphics and the layer,
    // no temporary file left behind.
    std::filesystem::create_directories("tmp");
    setenv("TMPDIR", (std::filesystem::current_path() / "tmp").c_str(), 1);
    std::filesystem::create_directories("pack/movie");
    std::filesystem::copy_file(kMovie, "pack/movie/MV004.avi");
    ASSERT_TRUE(archive_test::Pack("pack", "data.dat", "KWZ"));
    std::filesystem::remove_all("pack");
    SetArchiveExtension("dat");
    SetArchiveKey("KWZ");
    const int archived = LoadImageHandle("data/movie/MV004.avi");
    const int plain = LoadImageHandle(kMovie.c_str());
    ASSERT_GE(std::min(archived, plain), 0);
    script::AdvanceMs(300);
    EXPECT_EQ(Frame(archived), Frame(plain));
    EXPECT_EQ(MovieCount(), 4);
    DeleteAllGraphics(0);
    EXPECT_EQ(MovieCount(), 0);
    LoadImageHandle(kMovie.c_str());  // left for the layer's end
    EndMediaLayer();
    EXPECT_EQ(TrackedBlockCount(), 0);
    EXPECT_TRUE(Logged("Alloc num:0"));
    EXPECT_TRUE(std::filesystem::is_empty("tmp"));
    unsetenv("TMPDIR");
}

TEST_F(Movies, TheHundredAndFirstMovieAndDamagedFilesFailCleanly) {
    Start(64, 48);
    for (int i = 0; i < kMovieSlotCount; ++i) ASSERT_GE(LoadImageHandle(kMovie.c_str()), 0) << i;
    EXPECT_EQ(LoadImageHandle(kMovie.c_str()), -1);
    EXPECT_TRUE(Logged("右記のグラフィックファイルのロードに失敗しました"));
    DeleteAllGraphics(0);
    const Bytes movie = archive_test::ReadFile(kMovie);
    Bytes noVideo = movie, frames = movie;  // the video stream typed as sound; every frame damaged
    for (size_t i = 0; i + 8 <= movie.size(); ++i) {
        if (!memcmp(&noVideo[i], "vids", 4)) memcpy(&noVideo[i], "auds", 4);
        if (!memcmp(&frames[i], "00dc", 4))
            memset(&frames[i + 8], 0x5A, std::min<size_t>(600, frames.size() - i - 8));
    }
    const char* const fail = "右記のグラフィックファイルのロードに失敗しました";
    // clang-format off
    const std::pair<Bytes, const char*> cases[] = {
        {Bytes(movie.begin(), movie.begin() + 200), fail}, {archive_test::Noise(50000, 7), fail},
        {noVideo, "動画ファイルではない可能性があります！"}, {frames, fail}};
    // clang-format on
    for (const auto& [bytes, line] : cases) {
        archive_test::WriteFile("bad.avi", bytes);
        const size_t before = LogLines().size();
        EXPECT_EQ(LoadImageHandle("bad.avi"), -1);
        const std::vector<std::string> log = LogLines();
        const std::string since =
            std::accumulate(log.begin() + long(before), log.end(), std::string());
        EXPECT_NE(since.find("ムービーファイルオープン処理時にエラーが発生しました"),
                  std::string::npos);
        EXPECT_NE(since.find(line), std::string::npos) << line;
        EXPECT_EQ(GraphicCount() + MovieCount(), 0);
    }
    // Cut in the middle: what is there plays, then the last frame whole stays.
    archive_test::WriteFile("half.avi", Bytes(movie.begin(), movie.begin() + movie.size() / 2));
    const int half = LoadImageHandle("half.avi");
    ASSERT_GE(half, 0);
    script::AdvanceMs(60000);
    EXPECT_EQ(DrawImage(0, 0, half, 0), 0);
}

}  // namespace
