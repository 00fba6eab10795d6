// match_state_test.cpp - the reset before a round, the well's walls and the stamp,
// erase and collision primitives.
#include <gtest/gtest.h>

#include "game/match/match_state.h"
#include "game/match/pieces.h"
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

TEST_F(MatchStateTest, ClearRoundStartsAtLevelFiveWithAnEmptyWell) {
    match.score = 500;
    match.lines = 30;
    match.well[10][5] = 3;
    match.ghostWell[4][4] = 2;
    match.opponentWell[3][3] = 8;
    match.pendingGarbage = 4;
    match.gameOver = true;
    InitRound(1);
    EXPECT_EQ(match.level, 5);
    EXPECT_EQ(match.clearMode, 1);
    EXPECT_EQ(match.score, 0);
    EXPECT_EQ(match.lines, 0);
    EXPECT_EQ(match.pendingGarbage, 0);
    EXPECT_FALSE(match.gameOver);
    EXPECT_EQ(match.ghostWell[4][4], 0);
    EXPECT_EQ(match.opponentWell[3][3], 0);
    EXPECT_EQ(match.holdKind, -1);
    EXPECT_EQ(match.opponentHoldKind, -1);
    EXPECT_TRUE(match.fallTimerRestart);
    EXPECT_TRUE(match.gaugeReset);
    ExpectOnlyWalls();
}

TEST_F(MatchStateTest, EndlessRoundStartsAtLevelOneAndNetworkRoundsAtTen) {
    InitRound(0);
    EXPECT_EQ(match.level, 1);
    EXPECT_EQ(match.clearMode, 0);
    match.netMode = 1;
    InitRound(0);
    EXPECT_EQ(match.level, 10);
    InitRound(1);
    EXPECT_EQ(match.level, 10);
}

TEST_F(MatchStateTest, FieldsOfTheRunSurviveTheReset) {
    match.periodicRowCount = 7;
    match.musicSwitched[0] = true;
    match.input.moveRepeat = 9;
    match.ownWins = 2;
    InitRound(0);
    EXPECT_EQ(match.periodicRowCount, 7);
    EXPECT_TRUE(match.musicSwitched[0]);
    EXPECT_EQ(match.input.moveRepeat, 9);
    EXPECT_EQ(match.ownWins, 2);
}

TEST_F(MatchStateTest, QueueNeighboursDifferAfterEveryReset) {
    bool firstEqualsLastSeen = false;
    for (int i = 0; i < 400; ++i) {
        script::AdvanceMs(1 + i % 7);
        InitRound(0);
        for (int kind : match.nextKinds) {
            EXPECT_GE(kind, 0);
            EXPECT_LE(kind, 6);
        }
        EXPECT_NE(match.nextKinds[0], match.nextKinds[1]);
        EXPECT_NE(match.nextKinds[1], match.nextKinds[2]);
        firstEqualsLastSeen |= match.nextKinds[0] == match.nextKinds[2];
    }
    EXPECT_TRUE(firstEqualsLastSeen) << "the first and the last kind may be the same";
}

TEST_F(MatchStateTest, BlocksOnWallsFloorOrAboveTheTopCollide) {
    Place(6, 0, 4, 5);  // the square: box cells (1..2, 1..2)
    PieceMatrix square;
    LoadShape(square, kShapeSame, 6, 0);
    EXPECT_FALSE(PieceCollides(0, 0, square));
    // Left wall: box column 1 on well column 0.
    EXPECT_TRUE(PieceCollides(-5, 0, square));
    EXPECT_FALSE(PieceCollides(-4, 0, square));
    // Right wall: box column 2 on well column 11.
    EXPECT_TRUE(PieceCollides(5, 0, square));
    EXPECT_FALSE(PieceCollides(4, 0, square));
    // Floor: box row 2 on row 21.
    EXPECT_TRUE(PieceCollides(0, 14, square));
    EXPECT_FALSE(PieceCollides(0, 13, square));
    // Above the top of the grid.
    EXPECT_TRUE(PieceCollides(0, -7, square));
    EXPECT_FALSE(PieceCollides(0, -6, square));
    // Empty box columns may lie outside the grid.
    EXPECT_FALSE(PieceCollides(-4, -6, square));
}

TEST_F(MatchStateTest, SettledBlocksAndGarbageCollideEmptyCellsDoNot) {
    PieceMatrix square;
    LoadShape(square, kShapeSame, 6, 0);
    Place(6, 0, 4, 5);
    match.well[8][6] = CellGarbage;
    EXPECT_TRUE(PieceCollides(0, 1, square));
    EXPECT_FALSE(PieceCollides(0, 0, square));
    EXPECT_TRUE(CollidesBelowRow(square, 5));
    EXPECT_FALSE(CollidesBelowRow(square, 4));
}

TEST_F(MatchStateTest, EraseThenStampLeavesTheWellAsItWas) {
    FillRow(20, 8, {3});
    Place(2, 1, 3, 10);
    StampPiece();
    MatchState before = match;
    ErasePiece();
    EXPECT_NE(memcmp(before.well, match.well, sizeof match.well), 0);
    for (auto [c, r] : PieceCells()) EXPECT_EQ(match.well[r][c], CellEmpty);
    StampPiece();
    EXPECT_EQ(memcmp(before.well, match.well, sizeof match.well), 0);
    EXPECT_EQ(Row(20), "#88.8888888#");
}

TEST_F(MatchStateTest, TheStampAfterADropRaisesTheLock) {
    Place(3, 0, 4, 0);
    StampPiece();
    EXPECT_FALSE(match.lockPending);
    match.dropped = true;
    StampPiece();
    EXPECT_TRUE(match.lockPending);
    EXPECT_FALSE(match.dropped);
}

TEST_F(MatchStateTest, StampAndEraseNeverWriteOutsideTheWell) {
    Place(0, 0, -3, 30);
    StampPiece();
    ErasePiece();
    ExpectOnlyWalls();
}

}  // namespace
