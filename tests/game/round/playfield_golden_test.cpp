// The play screen pixel for pixel: fixed rounds drawn in the order of a frame and
// compared with reference pictures in golden/ that were looked at and judged right.
#include <png.h>

#include <vector>

#include "match/movement.h"
#include "match/pieces.h"
#include "match/playfield_draw.h"
#include "tests/game/golden.h"
#include "tests/game/round/round_fixture.h"

namespace {

class PlayScreen : public RoundTest {
protected:
    void SetUp() override {
        RoundTest::SetUp();
        LoadImages(kImageSetRound);
        InitRound(0);
        match.backgroundIndex = 1;
        // A stack of every colour and two garbage rows, the falling T in the air.
        const char* const rows[6] = {"..1122.377", "4.11.22377", "44556.6337",
                                     "45566.6777", "8888.88888", "88888.8888"};
        for (int r = 0; r < 6; ++r)
            for (int c = 0; c < 10; ++c)
                if (rows[r][c] != '.') match.well[15 + r][c + 1] = rows[r][c] - '0';
        match.pieceKind = 3;
        match.rotation = LoadShape(match.pieceMatrix, kShapeSame, 3, 2);
        match.pieceX = 4, match.pieceY = 6;
        match.nextKinds[0] = 0, match.nextKinds[1] = 4, match.nextKinds[2] = 6;
        match.holdKind = 1;
        match.score = 1234, match.lines = 23, match.level = 3, match.maxCombo = 4;
        const int32_t clock[6] = {0, 2, 4, 7, 3, 9};
        for (int i = 0; i < 6; ++i) match.clockDigits[i] = clock[i];
    }
    // The drawing of a frame, in its order, with the rules' gauges given.
    void Draw(int gauge, int combo) {
        if (gameSettings.ShowLandingPoint) ComputeGhost();
        StampPiece();
        PreparePlayBackdrop();
        ClearScreen();
        const bool backdrop = DrawPlayBackground();
        DrawHoldPieces();
        DrawWells(backdrop);
        DrawGhost();
        DrawFallGauge(gauge);
        DrawComboBar(combo);
        DrawHud(backdrop);
        DrawWellFrames(backdrop);
        FlipScreen();
    }
};

// The well frame with the pixel at (x, y) given alpha `alpha`, as the frame and its
// two strips of the round's pictures.
void UseEdgeWithPixel(int x, int y, uint8_t alpha) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, "data/image/game/Edge.png"));
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    uint8_t* p = &pixels[(static_cast<size_t>(y) * image.width + x) * 4];
    p[0] = 200, p[3] = alpha;
    ASSERT_TRUE(png_image_write_to_file(&image, "edge.png", 0, pixels.data(), 0, nullptr));
    roundImages.edge = LoadImageHandle("edge.png");
    ASSERT_EQ(LoadImageDivided("edge.png", 1, 1, 1, 288, 1, &roundImages.edgeTop), 0);
    int halves[2];
    ASSERT_EQ(LoadImageDivided("edge.png", 2, 1, 2, 1, 264, halves), 0);
    roundImages.edgeLeft = halves[1];
}

// Ghost on, grid off, the gauge low, score 1234 over its dim zeros.
TEST_F(PlayScreen, EndlessRoundWithLandingPoint) {
    Draw(60, 0);
    ExpectGolden("endless_ghost");
}

// Grid on, ghost off, the gauge in its middle state, the level in the red frame of
// its blink, a combo window half used; the blink ends after 160 frames.
TEST_F(PlayScreen, GridAndTheLevelUpBlink) {
    gameSettings.ShowGrid = true;
    gameSettings.ShowLandingPoint = false;
    match.levelUpShow = true;
    match.levelUpTick = 1;
    Draw(150, 128);
    ExpectGolden("grid_blink");
    for (int i = 1; i < 160 - 2 && match.levelUpShow; ++i) DrawHud();
    EXPECT_TRUE(match.levelUpShow);
    DrawHud();
    EXPECT_FALSE(match.levelUpShow);
    EXPECT_EQ(match.levelUpTick + match.levelUpPhase + match.levelUpCycles, 0);
}

// A network round: the opponent's well, hold and queue, three wins against one, the
// gauge alarm, the own hold empty. Values from the wire without a picture draw nothing.
TEST_F(PlayScreen, NetworkRoundWithTheOpponentAndTheGaugeAlarm) {
    match.netMode = 1;
    match.ownWins = 1, match.opponentWins = 7;
    match.holdKind = -1;
    match.opponentHoldKind = 5;
    match.opponentNextKinds[0] = 2, match.opponentNextKinds[1] = 3, match.opponentNextKinds[2] = 7;
    for (int r = 12; r < 21; ++r)
        for (int c = 0; c < 10; ++c)
            match.opponentWell[r][c] = static_cast<int16_t>((r * 3 + c) % 12);
    match.opponentWell[0][0] = -32768, match.opponentWell[0][9] = 32767;
    match.gaugeBlinkFrame = 1;
    // A landing-point picture left by hand: piece colours show, garbage does not.
    gameSettings.ShowLandingPoint = false;
    match.ghostWell[2][1] = 7;
    match.ghostWell[2][2] = CellGarbage;
    Draw(230, 0);
    ExpectGolden("network_alarm");
    EXPECT_EQ(match.gaugeBlinkFrame, 2);
    DrawFallGauge(263);
    DrawFallGauge(192);
    EXPECT_EQ(match.gaugeBlinkFrame, 1);  // a new alarm frame at every call, wrapping
}

// The gauge's picture by value: low up to 127, middle to 191, then the alarm frames;
// read at the bottom of the gauge, which the cover never reaches.
TEST_F(PlayScreen, FallGaugeStatesChangeAt128And192) {
    auto bottom = [](int value) {
        ClearScreen();
        DrawFallGauge(value);
        FlipScreen();
        return script::LastPresented().pixels[590 * 800 + 10];
    };
    match.gaugeBlinkFrame = 0;
    // Low, middle, middle, alarm frame 0, alarm frame 1 (the low picture).
    const uint32_t v[5] = {bottom(127), bottom(128), bottom(191), bottom(192), bottom(200)};
    EXPECT_TRUE(v[0] != v[1] && v[1] == v[2] && v[3] != v[0] && v[3] != v[1] && v[4] == v[0])
        << std::hex << v[0] << " " << v[1] << " " << v[2] << " " << v[3] << " " << v[4];
}

// The backdrop stands in for the background, the empty cells and the well frames
// only when the frame is the same: made for the background, grid and kind of round in
// force, every playable cell empty or a block (a value from the wire that draws
// nothing shows the background), nothing drawn in a wall cell, and the frames only
// from a picture that leaves the playable cells alone and has no half-clear pixel.
// The fall gauge at its top and the pieces of both queues reach under the frames.
TEST_F(PlayScreen, TheBackdropIsDrawnOnlyWhereTheFrameStaysTheSame) {
    auto frame = [](bool backdrop) {
        ClearScreen();
        if (!backdrop) DrawBackground(match.backgroundIndex);
        const bool over = backdrop && DrawPlayBackground();
        DrawHoldPieces();
        DrawWells(over);
        DrawGhost();
        DrawFallGauge(263);
        DrawComboBar(256);
        DrawHud(over);
        DrawWellFrames(over);
        FlipScreen();
        return script::LastPresented().pixels;
    };
    gameSettings.ShowGrid = true;
    match.netMode = 1;
    match.opponentNextKinds[0] = 0, match.opponentNextKinds[1] = 4, match.opponentNextKinds[2] = 6;
    PreparePlayBackdrop();
    EXPECT_TRUE(DrawPlayBackground());
    EXPECT_EQ(frame(true), frame(false));
    match.well[3][4] = CellWall;
    EXPECT_EQ(frame(true), frame(false));
    match.well[3][4] = CellEmpty, match.opponentWell[3][4] = CellWall;
    EXPECT_EQ(frame(true), frame(false));
    match.opponentWell[3][4] = CellEmpty, match.well[9][0] = 2;
    EXPECT_EQ(frame(true), frame(false));
    match.well[9][0] = CellWall, match.ghostWell[21][5] = 3;
    EXPECT_EQ(frame(true), frame(false));
    match.ghostWell[21][5] = 0;
    match.backgroundIndex = 2;
    EXPECT_EQ(frame(true), frame(false));
    match.backgroundIndex = 1;
    gameSettings.ShowGrid = false;
    EXPECT_EQ(frame(true), frame(false));
    gameSettings.ShowGrid = true, match.clearMode = 1;  // the other panel's labels
    EXPECT_EQ(frame(true), frame(false));
    match.clearMode = 0;
    UseEdgeWithPixel(285, 0, 128);  // half clear on the row drawn again over the pieces
    PreparePlayBackdrop();
    EXPECT_EQ(frame(true), frame(false));
    UseEdgeWithPixel(24 + 24 * 4, 24 * 17, 255);  // drawn over a block of the stack
    PreparePlayBackdrop();
    EXPECT_EQ(frame(true), frame(false));
}

// A clear round shows the lines still to clear instead of the score.
TEST_F(PlayScreen, ClearRoundPanel) {
    match.clearMode = 1;
    match.lines = 37;
    Draw(0, 256);
    ExpectGolden("clear_round");
}

}  // namespace
