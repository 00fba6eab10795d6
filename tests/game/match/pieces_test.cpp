// pieces_test.cpp - the shapes of every kind in every rotation, the spawn place, the
// mapping of pad bits to directions, the next queue and the hold slot.
#include "match/queue.h"
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

// Stamps the falling piece and compares the well around its box with the card.
void ExpectStampedShape(int kind, int rotation) {
    SCOPED_TRACE(testing::Message() << "kind " << kind << " rotation " << rotation);
    StampPiece();
    for (int r = 0; r < kBoxSize; ++r) {
        for (int c = 0; c < kBoxSize; ++c) {
            const bool block = kExpected[kind][r][rotation * 5 + c] == 'X';
            EXPECT_EQ(match.well[match.pieceY + r][match.pieceX + c], block ? kind + 1 : 0)
                << "box cell " << c << "," << r;
        }
    }
    ErasePiece();
}

class PiecesTest : public MatchTest {};

TEST_F(PiecesTest, EveryKindSpawnsFlatAtColumnFourRowZero) {
    for (int kind = 0; kind < kKindCount; ++kind) {
        match.nextKinds[0] = kind;
        SpawnPiece();
        EXPECT_EQ(Piece(), (Ints{kind, 0, 4, 0}));
        ExpectStampedShape(kind, 0);
    }
}

TEST_F(PiecesTest, RotationWalksThroughTheTableBothWays) {
    const int expected[8] = {1, 2, 3, 0, 3, 2, 1, 0};  // four turns each way
    for (int kind = 0; kind < kKindCount; ++kind) {
        Place(kind, 0, 4, 6);
        for (int i = 0; i < 8; ++i) {
            RotatePiece(i < 4 ? kButtonRotateNext : kButtonRotatePrevious);
            // An open well needs no kick.
            ASSERT_EQ(Piece(), (Ints{kind, expected[i], 4, 6})) << "turn " << i;
            ExpectStampedShape(kind, expected[i]);
        }
    }
}

TEST_F(PiecesTest, LoadShapeStepsWrapAndUnknownKindsLoadNothing) {
    PieceMatrix m;
    EXPECT_EQ(LoadShape(m, kShapeNext, 1, 3), 0);
    EXPECT_EQ(LoadShape(m, kShapePrevious, 1, 0), 3);
    EXPECT_EQ(LoadShape(m, kShapeSame, 1, 2), 2);
    EXPECT_EQ(LoadShape(m, 7, 1, 2), 2) << "any other step keeps the rotation";
    EXPECT_EQ(m[1][2] * 100 + m[2][0] * 10 + m[1][0], 220) << "kind 1, rotation 2";
    const PieceMatrix empty = {};
    for (int kind : {7, -1}) {
        memset(m, 0x55, sizeof m);
        LoadShape(m, kShapeSame, kind, 0);
        EXPECT_EQ(memcmp(m, empty, sizeof m), 0) << "kind " << kind;
    }
}

TEST(MapDirectionTest, DirectionBitsPassAndPadButtonsThirteenToSixteenMap) {
    // {pad bits, direction}: the low four bits as they are (down with left is a code
    // that moves nothing; buttons do not disturb it), then pad buttons 13..16, which
    // win over the direction bits, with other combinations returned unchanged.
    const int cases[][2] = {{0x1, 1},     {0x2, 2},     {0x4, 4},     {0x8, 8},     {0x3, 3},
                            {0x42, 2},    {0x10000, 8}, {0x20000, 4}, {0x40000, 1}, {0x60000, 4},
                            {0x80000, 2}, {0xC0000, 2}, {0x30000, 3}, {0x40002, 1}};
    for (const auto& k : cases) EXPECT_EQ(MapDirection(k[0]), k[1]) << std::hex << k[0];
}

TEST_F(PiecesTest, ASpawnShiftsTheQueueAndNeverRepeatsANeighbour) {
    match.nextKinds[2] = 0;
    match.rotation = 2;
    SpawnPiece();
    EXPECT_EQ(Piece(), (Ints{6, 0, 4, 0}));
    EXPECT_EQ(Queue(), (Ints{-1, 1, 0, match.nextKinds[2]}));
    EXPECT_NE(match.nextKinds[2], 0);
    int counts[7] = {};
    bool firstEqualsLastSeen = false;  // after a reset the first and last kind may match
    for (int spawn = 0; spawn < 3000; ++spawn) {
        if (spawn % 3 != 0) script::AdvanceMs(1 + spawn % 23);  // some in the same ms
        if (spawn % 5 == 0) {
            InitRound(0);  // a fresh queue, reseeded
            ASSERT_NE(match.nextKinds[0], match.nextKinds[1]) << "reset " << spawn;
            firstEqualsLastSeen |= match.nextKinds[0] == match.nextKinds[2];
        }
        SpawnPiece();
        ASSERT_NE(match.nextKinds[1], match.nextKinds[2]) << "spawn " << spawn;
        ASSERT_NE(match.nextKinds[0], match.nextKinds[1]) << "spawn " << spawn;
        ASSERT_TRUE(match.pieceKind >= 0 && match.pieceKind <= 6);
        counts[match.pieceKind] += 1;
    }
    for (int kind = 0; kind < 7; ++kind) EXPECT_GT(counts[kind], 200) << "kind " << kind;
    EXPECT_TRUE(firstEqualsLastSeen);
}

TEST_F(PiecesTest, TheFirstHoldDrawsANewKindAndLaterHoldsOnlySwap) {
    SetQueue(1, 2, 3);
    Place(5, 2, 7, 9);
    match.fallGauge = 77;
    match.landedSoundPlayed = true;
    HoldPiece();
    EXPECT_EQ(Piece(), (Ints{1, 0, 4, 0}));
    EXPECT_EQ(PieceCells(), (Cells{{4, 1}, {5, 1}, {6, 1}, {4, 2}}));
    EXPECT_EQ(Queue(), (Ints{5, 2, 3, match.nextKinds[2]}));
    EXPECT_TRUE(match.nextKinds[2] >= 0 && match.nextKinds[2] <= 6);
    EXPECT_TRUE(match.fallGauge == 77 && match.landedSoundPlayed) << "the new piece inherits";

    const Ints queue = Queue();
    match.rotation = LoadShape(match.pieceMatrix, kShapeSame, 1, 3);
    match.pieceY = 12;
    HoldPiece();
    EXPECT_EQ(Piece(), (Ints{5, 0, 4, 0})) << "the first piece comes back";
    EXPECT_EQ(match.holdKind, 1);
    EXPECT_EQ(PieceCells(), (Cells{{5, 1}, {6, 1}, {4, 2}, {5, 2}})) << "kind 5 at (4, 0)";
    HoldPiece();
    EXPECT_EQ(match.pieceKind, 1);
    EXPECT_EQ(Queue(), queue) << "the hold is back to 5 and the queue untouched";
}

TEST_F(PiecesTest, AHoldIntoATakenSpawnPlaceChangesNothing) {
    SetQueue(1, 2, 3);
    Place(5, 2, 7, 9);
    match.well[1][5] = CellGarbage;  // inside kind 1's rotation-0 cells at (4, 0)
    const Ints piece = Piece();
    const Ints queue = Queue();
    HoldPiece();
    EXPECT_EQ(Piece(), piece);
    EXPECT_EQ(Queue(), queue) << "the hold slot stays empty";
    EXPECT_EQ(match.well[1][5], CellGarbage);
    match.well[1][5] = CellEmpty;
    HoldPiece();
    EXPECT_EQ(match.holdKind, 5) << "with the place free the hold works again";
}

}  // namespace
