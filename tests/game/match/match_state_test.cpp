// match_state_test.cpp - the reset before a round, the well's walls and the stamp,
// erase and collision primitives.
#include "tests/game/match/match_fixture.h"

namespace {

class MatchStateTest : public MatchTest {};

void ExpectOnlyWalls() {
    for (int r = 0; r < kWellRows; ++r) {
        for (int c = 0; c < kWellColumns; ++c) {
            const bool wall = c == 0 || c == 11 || r == 21;
            EXPECT_EQ(match.well[r][c], wall ? CellWall : CellEmpty) << c << "," << r;
        }
    }
}

TEST_F(MatchStateTest, InitRoundResetsTheRoundAndKeepsWhatBelongsToTheRun) {
    match.score = 500, match.lines = 30, match.pendingGarbage = 4, match.gameOver = true;
    match.well[10][5] = 3, match.ghostWell[4][4] = 2, match.opponentWell[3][3] = 8;
    match.periodicRowCount = 7, match.musicSwitched[0] = true, match.input.moveRepeat = 9;
    match.ownWins = 2;
    InitRound(1);
    EXPECT_EQ(Ints({match.level, match.clearMode, match.score, match.lines, match.pendingGarbage,
                    match.ghostWell[4][4], match.opponentWell[3][3], match.holdKind,
                    match.opponentHoldKind}),
              Ints({5, 1, 0, 0, 0, 0, 0, -1, -1}));
    EXPECT_TRUE(!match.gameOver && match.fallTimerRestart && match.gaugeReset);
    ExpectOnlyWalls();
    EXPECT_EQ(Ints({match.periodicRowCount, match.musicSwitched[0], match.input.moveRepeat,
                    match.ownWins}),
              Ints({7, 1, 9, 2}))
        << "kept for the whole run";
    InitRound(0);
    EXPECT_EQ(match.level * 10 + match.clearMode, 10);
    match.netMode = 1;
    for (int mode : {0, 1}) {
        InitRound(mode);
        EXPECT_EQ(match.level, 10) << "network rounds, mode " << mode;
    }
}

TEST_F(MatchStateTest, BlocksOnWallsFloorSettledCellsOrAboveTheTopCollide) {
    Place(6, 0, 4, 5);  // the square: box cells (1..2, 1..2)
    const auto& square = match.pieceMatrix;
    // {offsetX, offsetY, collides}: left wall, right wall, floor, above the top, each
    // next to the nearest free place; empty box columns may lie outside the grid.
    const int cases[][3] = {{0, 0, 0},  {-5, 0, 1}, {-4, 0, 0}, {5, 0, 1},   {4, 0, 0}, {0, 14, 1},
                            {0, 13, 0}, {0, -7, 1}, {0, -6, 0}, {-4, -6, 0}, {0, 1, 1}};
    match.well[8][6] = CellGarbage;  // under the last case
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << k[0] << "," << k[1]);
        EXPECT_EQ(PieceCollides(k[0], k[1], square), k[2] == 1);
    }
    EXPECT_TRUE(CollidesBelowRow(square, 5));
    EXPECT_FALSE(CollidesBelowRow(square, 4));
}

TEST_F(MatchStateTest, EraseThenStampLeavesTheWellAsItWas) {
    FillRow(20, 8, {3});
    Place(2, 1, 3, 10);
    StampPiece();
    EXPECT_FALSE(match.lockPending);
    MatchState before = match;
    ErasePiece();
    for (auto [c, r] : PieceCells()) EXPECT_EQ(match.well[r][c], CellEmpty);
    StampPiece();
    EXPECT_EQ(memcmp(before.well, match.well, sizeof match.well), 0);
    EXPECT_EQ(Row(20), "#88.8888888#");
    match.dropped = true;
    StampPiece();
    EXPECT_TRUE(match.lockPending) << "the stamp after a drop raises the lock";
    EXPECT_FALSE(match.dropped);
    InitRound(0);
    Place(0, 0, -3, 30);  // nothing is written outside the well
    StampPiece();
    ErasePiece();
    ExpectOnlyWalls();
}

}  // namespace
