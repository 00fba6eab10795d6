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
    match.score = 500;
    match.lines = 30;
    match.well[10][5] = 3;
    match.ghostWell[4][4] = 2;
    match.opponentWell[3][3] = 8;
    match.pendingGarbage = 4;
    match.gameOver = true;
    match.periodicRowCount = 7;
    match.musicSwitched[0] = true;
    match.input.moveRepeat = 9;
    match.ownWins = 2;
    InitRound(1);
    EXPECT_EQ(match.level, 5);
    EXPECT_EQ(match.clearMode, 1);
    EXPECT_EQ(match.score + match.lines + match.pendingGarbage, 0);
    EXPECT_FALSE(match.gameOver);
    EXPECT_EQ(match.ghostWell[4][4], 0);
    EXPECT_EQ(match.opponentWell[3][3], 0);
    EXPECT_EQ(match.holdKind, -1);
    EXPECT_EQ(match.opponentHoldKind, -1);
    EXPECT_TRUE(match.fallTimerRestart && match.gaugeReset);
    ExpectOnlyWalls();
    EXPECT_EQ(match.periodicRowCount, 7);
    EXPECT_TRUE(match.musicSwitched[0]);
    EXPECT_EQ(match.input.moveRepeat, 9);
    EXPECT_EQ(match.ownWins, 2);

    InitRound(0);
    EXPECT_EQ(match.level, 1);
    EXPECT_EQ(match.clearMode, 0);
    match.netMode = 1;
    for (int mode : {0, 1}) {
        InitRound(mode);
        EXPECT_EQ(match.level, 10) << "network rounds, mode " << mode;
    }
}

TEST_F(MatchStateTest, QueueNeighboursDifferAfterEveryReset) {
    bool firstEqualsLastSeen = false;
    for (int i = 0; i < 400; ++i) {
        script::AdvanceMs(1 + i % 7);
        InitRound(0);
        for (int kind : match.nextKinds) ASSERT_TRUE(kind >= 0 && kind <= 6);
        EXPECT_NE(match.nextKinds[0], match.nextKinds[1]);
        EXPECT_NE(match.nextKinds[1], match.nextKinds[2]);
        firstEqualsLastSeen |= match.nextKinds[0] == match.nextKinds[2];
    }
    EXPECT_TRUE(firstEqualsLastSeen) << "the first and the last kind may be the same";
}

TEST_F(MatchStateTest, BlocksOnWallsFloorSettledCellsOrAboveTheTopCollide) {
    Place(6, 0, 4, 5);  // the square: box cells (1..2, 1..2)
    const auto& square = match.pieceMatrix;
    // {offsetX, offsetY, collides}: left wall, right wall, floor, above the top, each
    // next to the nearest free place; empty box columns may lie outside the grid.
    const int cases[][3] = {{0, 0, 0},  {-5, 0, 1},  {-4, 0, 0},  {5, 0, 1},
                            {4, 0, 0},  {0, 14, 1},  {0, 13, 0},  {0, -7, 1},
                            {0, -6, 0}, {-4, -6, 0}, {0, 1, 1}};
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
}

TEST_F(MatchStateTest, StampAndEraseNeverWriteOutsideTheWell) {
    Place(0, 0, -3, 30);
    StampPiece();
    ErasePiece();
    ExpectOnlyWalls();
}

}  // namespace
