// Graphic handles: bit layout and check numbers, stale handles, cells sharing their
// picture's pixels, LoadImageDivided's grid and failures, deletion and its log
// lines, screen graphics as draw targets, a graphic's size and coverage, and the full
// table.
#include <gtest/gtest.h>

#include <filesystem>

#include "media/core/tracked_alloc.h"
#include "tests/media/graphics/graphics_fixture.h"

namespace {

using GraphicHandles = GraphicsTest;

TEST_F(GraphicHandles, LayoutCellsScreenGraphicsAndDeletion) {
    EXPECT_EQ(DeleteAllGraphics(0), 0);  // before start-up: nothing to do
    Start(64, 48);
    EXPECT_EQ(GraphicCount(), 0);  // the start-up pass leaves no graphic behind
    ASSERT_EQ(AddGraphic(2, 2, 0, 0), 0x08000000 | 3 << 16);  // it made three
    const int stale = AddGraphic(8, 8, 0, 0);
    EXPECT_EQ(stale, 0x08000000 | 4 << 16 | 1);
    ASSERT_EQ(DeleteGraphic(stale, 0), 0);
    const int reused = AddGraphic(8, 8, 0, 0);
    EXPECT_EQ(reused & 0xFFFF, 1);  // the same slot, another check number
    for (int bad : {stale, -1, (reused & ~0x78000000) | 0x10000000, reused | 0x7FFF}) {
        EXPECT_EQ(GetGraphicRecord(bad), nullptr) << bad;
        EXPECT_EQ(DrawImage(0, 0, bad, 0), -1);
        EXPECT_EQ(DeleteGraphic(bad, 0), -1);
    }
    EXPECT_EQ(AddGraphic(0, 5, 0, 0), -1);
    EXPECT_EQ(AddGraphic(16385, 1, 0, 0), -1);

    // Cells share their picture and follow the grid.
    std::filesystem::copy_file(Image("bmp_24bit.bmp"), "grid.bmp");
    const int whole = LoadImageHandle("grid.bmp");
    const int blocks = TrackedBlockCount();
    int cells[9];
    cells[7] = -7;
    ASSERT_EQ(LoadImageDivided("grid.bmp", 7, 3, 3, 10, 6, cells), 0);
    EXPECT_EQ(cells[7], -7);        // only seven made
    EXPECT_EQ(GraphicCount(), 10);  // and the two above
    for (int k = 0; k < 7; ++k) {
        const GraphicRecord* r = GetGraphicRecord(cells[k]);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->imageData, GetGraphicRecord(cells[0])->imageData);
        EXPECT_EQ(r->width, k % 3 == 2 ? 9 : 10);  // cut at the right edge
        EXPECT_EQ(r->height, k == 6 ? 5 : 6);      // and at the bottom
        EXPECT_EQ(GraphicPixel(cells[k], 3, 2), GraphicPixel(whole, k % 3 * 10 + 3, k / 3 * 6 + 2));
    }
    // The pixels live while one cell does.
    for (int k = 0; k < 6; ++k) DeleteGraphic(cells[k], 0);
    EXPECT_EQ(GraphicPixel(cells[6], 5, 4), GraphicPixel(whole, 5, 16));
    DeleteGraphic(cells[6], 0);
    EXPECT_EQ(TrackedBlockCount(), blocks);

    // A cell that would start at the right edge fails the whole call.
    EXPECT_EQ(LoadImageDivided("grid.bmp", 1, 2, 1, 29, 17, cells), 0);
    DeleteGraphic(cells[0], 0);
    EXPECT_EQ(LoadImageDivided("grid.bmp", 2, 2, 1, 29, 17, cells), -1);
    EXPECT_TRUE(Logged("グラフィックの分割に失敗しました in CreateDivGraphFromGraphImage"));
    EXPECT_EQ(TrackedBlockCount(), blocks);
    EXPECT_EQ(LoadImageDivided("missing.bmp", 0, 1, 1, 4, 4, cells), 0);  // count below 1

    // Screen graphics are draw targets.
    EXPECT_EQ(MakeScreenGraphic(0, 10), -1);
    const int screen = MakeScreenGraphic(20, 10);
    const int picture = MakeGraphic(4, 4, false, [](int, int) { return 0xFF123456u; });
    EXPECT_EQ(SelectDrawTarget(picture), -1);  // only a screen graphic can be drawn on
    ASSERT_EQ(SelectDrawTarget(screen), 0);
    EXPECT_EQ(ScreenDrawState().clip.x2, 20);
    ASSERT_EQ(DrawImage(18, 8, picture, 0), 0);
    EXPECT_EQ(GraphicPixel(screen, 19, 9) & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(TargetPixel(17, 9), 0u);
    ASSERT_EQ(ClearScreen(), 0);
    EXPECT_EQ(GraphicPixel(screen, 19, 9) & 0xFFFFFF, 0u);
    DeleteGraphic(screen, 0);
    EXPECT_EQ(DrawImage(0, 0, picture, 0), 0);  // the target is gone: nothing happens
    ASSERT_EQ(SelectDrawTarget(PAVEX_SCREEN_BACK), 0);
    ASSERT_EQ(DrawImage(0, 0, picture, 0), 0);
    EXPECT_EQ(TargetPixel(3, 3), 0x123456u);

    // Deletion logs and flags; the mode change deletes all.
    std::filesystem::create_directories("pics");
    std::filesystem::copy_file(Image("png_rgb.png"), "pics/one.png");
    const int a = LoadImageHandle("pics/one.png");
    ASSERT_GE(a, 0);
    EXPECT_STREQ(GetGraphicRecord(a)->folder, "pics/");
    int lost = 0;
    ASSERT_EQ(GraphicSetLostFlag(a, &lost), 0);
    AddGraphic(3, 3, 0, 0);
    EXPECT_EQ(DeleteAllGraphics(1), 0);
    EXPECT_EQ(lost, 1);
    EXPECT_TRUE(Logged("グラフィック one.png の削除"));
    EXPECT_EQ(GraphicCount(), 0);

    LoadImageHandle("pics/one.png");
    ASSERT_EQ(SetScreenMode(-1, -1, -1, -1), 0);
    EXPECT_EQ(GraphicCount(), 0);

    EXPECT_EQ(LoadImageHandle("nothing.png"), -1);
    EXPECT_TRUE(Logged("グラフィックファイル nothing.png がありません"));
    std::ofstream("notes.txt") << "not a picture, not a movie";
    EXPECT_EQ(LoadImageHandle("notes.txt"), -1);
    EXPECT_LT(Logged("ムービーファイルオープン処理時にエラーが発生しました"),
              Logged("右記のグラフィックファイルのロードに失敗しました：notes.txt "));
    EndMediaLayer();
    EXPECT_EQ(TrackedBlockCount(), 0);
}

// Size and coverage: what drawing with transparency does in a rectangle of a cell
// (alpha 0, 255 or between; without alpha, the transparent colour or not).
TEST_F(GraphicHandles, SizeAndCoverageOfARectangle) {
    Start(64, 48);
    const uint32_t alphas[4] = {0, 255, 128, 0};  // by column of a 4 x 3 picture
    const int alpha = MakeGraphic(4, 3, true, [&](int x, int) { return alphas[x] << 24 | 7; });
    const int cell = DeriveGraphic(1, 1, 3, 2, alpha);
    const int keyed = MakeGraphic(
        2, 2, false, [](int x, int y) { return x + y > 0 ? 0xFF000005u : 0xFF000000u; });
    int w = 0, h = 0;
    EXPECT_EQ(GetGraphicSize(cell, &w, &h), 0);
    EXPECT_EQ(w * 10 + h, 32);
    EXPECT_EQ(GetGraphicSize(-1, &w, &h), -1);
    EXPECT_EQ(GetGraphicCoverage(cell, 0, 0, 1, 2), PAVEX_COVER_DRAWN);
    EXPECT_EQ(GetGraphicCoverage(cell, 1, 1, 2, 1), PAVEX_COVER_BLENDED | PAVEX_COVER_LEFT_OUT);
    EXPECT_EQ(GetGraphicCoverage(alpha, 0, 0, 4, 3), 7);
    EXPECT_EQ(GetGraphicCoverage(keyed, 0, 0, 1, 1), PAVEX_COVER_LEFT_OUT);
    EXPECT_EQ(GetGraphicCoverage(keyed, 0, 0, 2, 2), PAVEX_COVER_LEFT_OUT | PAVEX_COVER_DRAWN);
    const int outside[4][4] = {{0, 0, 3, 3}, {1, 0, 3, 2}, {-1, 0, 1, 1}, {0, 0, 0, 1}};
    for (const auto& r : outside)
        EXPECT_EQ(GetGraphicCoverage(cell, r[0], r[1], r[2], r[3]), -1) << r[0] << r[1] << r[2];
    EXPECT_EQ(GetGraphicCoverage(-1, 0, 0, 1, 1), -1);
}

TEST_F(GraphicHandles, AFullTableEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "fast");  // the child writes the log in this folder
    EXPECT_EXIT(
        {
            Start(64, 48);
            for (int i = 0; i < kGraphicMaxCount; ++i)
                if (AddGraphic(1, 1, 0, 0) < 0) _Exit(3);
            AddGraphic(1, 1, 0, 0);
            _Exit(4);
        },
        ::testing::ExitedWithCode(255), "");
    EXPECT_TRUE(Logged("グラフィックの数が許容量を越えました終了します"));
}

}  // namespace
