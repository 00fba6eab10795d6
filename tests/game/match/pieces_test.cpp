// pieces_test.cpp - the shapes of every kind in every rotation, the spawn place, and
// the mapping of pad bits to directions.
#include <gtest/gtest.h>

#include "game/match/match_state.h"
#include "game/match/movement.h"
#include "game/match/pieces.h"
#include "game/match/queue.h"
#include "tests/game/match/match_fixture.h"

namespace {

// The shapes as a player's reference card draws them: for each kind, box rows 0..3,
// and in each row the four rotations side by side.
// clang-format off
const char* const kExpected[7][4] = {
    {"....|..X.|....|..X.", "XXXX|..X.|XXXX|..X.", "....|..X.|....|..X.", "....|..X.|....|..X."},
    {"....|.X..|....|XX..", "XXX.|.X..|..X.|.X..", "X...|.XX.|XXX.|.X..", "....|....|....|...."},
    {"....|.XX.|....|.X..", "XXX.|.X..|X...|.X..", "..X.|.X..|XXX.|XX..", "....|....|....|...."},
    {"....|.X..|....|.X..", "XXX.|.XX.|.X..|XX..", ".X..|.X..|XXX.|.X..", "....|....|....|...."},
    {"....|..X.|....|..X.", "XX..|.XX.|XX..|.XX.", ".XX.|.X..|.XX.|.X..", "....|....|....|...."},
    {"....|X...|....|X...", ".XX.|XX..|.XX.|XX..", "XX..|.X..|XX..|.X..", "....|....|....|...."},
    {"....|....|....|....", ".XX.|.XX.|.XX.|.XX.", ".XX.|.XX.|.XX.|.XX.", "....|....|....|...."},
};
// clang-format on

bool ExpectedBlock(int kind, int rotation, int boxRow, int boxColumn) {
    return kExpected[kind][boxRow][rotation * 5 + boxColumn] == 'X';
}

// The well around the box as the same kind of text, read from the stamped well.
void ExpectBoxMatches(int kind, int rotation, int left, int top) {
    for (int r = 0; r < kBoxSize; ++r) {
        for (int c = 0; c < kBoxSize; ++c) {
            const int32_t cell = match.well[top + r][left + c];
            if (ExpectedBlock(kind, rotation, r, c)) {
                EXPECT_EQ(cell, kind + 1)
                    << "kind " << kind << " rotation " << rotation << " box cell " << c << "," << r;
            } else {
                EXPECT_EQ(cell, CellEmpty)
                    << "kind " << kind << " rotation " << rotation << " box cell " << c << "," << r;
            }
        }
    }
}

class PiecesTest : public MatchTest {};

TEST_F(PiecesTest, EveryKindSpawnsFlatInColumnsFourToSevenRowsOneAndTwo) {
    for (int kind = 0; kind < kKindCount; ++kind) {
        InitRound(0);
        match.nextKinds[0] = kind;
        match.nextKinds[1] = (kind + 1) % kKindCount;
        SpawnPiece();
        EXPECT_EQ(match.pieceKind, kind);
        EXPECT_EQ(match.rotation, 0);
        EXPECT_EQ(match.pieceX, 4);
        EXPECT_EQ(match.pieceY, 0);
        StampPiece();
        ExpectBoxMatches(kind, 0, 4, 0);
        for (auto [c, r] : PieceCells()) {
            EXPECT_GE(c, 4);
            EXPECT_LE(c, 7);
            EXPECT_TRUE(r == 1 || r == 2) << "kind " << kind << " row " << r;
        }
    }
}

TEST_F(PiecesTest, RotatingForwardWalksThroughTheTableInOrder) {
    for (int kind = 0; kind < kKindCount; ++kind) {
        InitRound(0);
        Place(kind, 0, 4, 6);
        for (int turn = 1; turn <= 4; ++turn) {
            RotatePiece(kButtonRotateNext);
            EXPECT_EQ(match.rotation, turn % 4);
            EXPECT_EQ(match.pieceX, 4) << "an open well needs no kick";
            EXPECT_EQ(match.pieceY, 6);
            StampPiece();
            ExpectBoxMatches(kind, turn % 4, 4, 6);
            ErasePiece();
        }
    }
}

TEST_F(PiecesTest, RotatingBackwardWalksThroughTheTableInReverse) {
    for (int kind = 0; kind < kKindCount; ++kind) {
        InitRound(0);
        Place(kind, 0, 4, 6);
        const int order[4] = {3, 2, 1, 0};
        for (int rotation : order) {
            RotatePiece(kButtonRotatePrevious);
            EXPECT_EQ(match.rotation, rotation);
            StampPiece();
            ExpectBoxMatches(kind, rotation, 4, 6);
            ErasePiece();
        }
    }
}

TEST_F(PiecesTest, LoadShapeStepsWrapAndUnknownStepsKeepTheRotation) {
    PieceMatrix m;
    EXPECT_EQ(LoadShape(m, kShapeNext, 1, 3), 0);
    EXPECT_EQ(LoadShape(m, kShapePrevious, 1, 0), 3);
    EXPECT_EQ(LoadShape(m, kShapeSame, 1, 2), 2);
    EXPECT_EQ(LoadShape(m, 7, 1, 2), 2);
    // Kind 1, rotation 2: "..X." over "XXX." in box rows 1 and 2.
    EXPECT_EQ(m[1][2], 2);
    EXPECT_EQ(m[2][0], 2);
    EXPECT_EQ(m[1][0], 0);
}

TEST_F(PiecesTest, AKindOutsideTheTableLoadsNoBlocks) {
    PieceMatrix m;
    memset(m, 0x55, sizeof m);
    LoadShape(m, kShapeSame, 7, 0);
    for (auto& row : m) {
        for (int32_t cell : row) EXPECT_EQ(cell, 0);
    }
    LoadShape(m, kShapeSame, -1, 0);
    for (auto& row : m) {
        for (int32_t cell : row) EXPECT_EQ(cell, 0);
    }
}

TEST(MapDirectionTest, PlainDirectionBitsPassThrough) {
    EXPECT_EQ(MapDirection(0x1), 1);
    EXPECT_EQ(MapDirection(0x2), 2);
    EXPECT_EQ(MapDirection(0x4), 4);
    EXPECT_EQ(MapDirection(0x8), 8);
    EXPECT_EQ(MapDirection(0x3), 3) << "down with left is a code that moves nothing";
    EXPECT_EQ(MapDirection(0x2 | 0x40), 2) << "buttons do not disturb the direction";
}

TEST(MapDirectionTest, PadButtonsThirteenToSixteenActAsDirections) {
    EXPECT_EQ(MapDirection(0x10000), 8);
    EXPECT_EQ(MapDirection(0x20000), 4);
    EXPECT_EQ(MapDirection(0x40000), 1);
    EXPECT_EQ(MapDirection(0x60000), 4);
    EXPECT_EQ(MapDirection(0x80000), 2);
    EXPECT_EQ(MapDirection(0xC0000), 2);
    EXPECT_EQ(MapDirection(0x30000), 3) << "other combinations are returned as they are";
    EXPECT_EQ(MapDirection(0x40000 | 0x2), 1) << "the pad buttons win over the direction bits";
}

}  // namespace
