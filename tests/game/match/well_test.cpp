// well_test.cpp - the reset before a round, the well primitives, shape steps and
// pad directions, how kinds are drawn for the queue, and the hold slot.
#include <bit>

#include "match/queue.h"
#include "tests/game/match/match_fixture.h"

namespace {

class WellTest : public MatchTest {};

TEST_F(WellTest, InitRoundResetsTheRoundAndKeepsWhatBelongsToTheRun) {
    match.score = 500, match.lines = 30, match.pendingGarbage = 4, match.gameOver = true;
    match.well[10][5] = 3, match.ghostWell[4][4] = 2, match.opponentWell[3][3] = 8;
    match.periodicRowCount = 7, match.musicSwitched[0] = true, match.input.moveRepeat = 9;
    InitRound(1);
    // The last three are kept for the whole run.
    EXPECT_EQ(Ints({match.level, match.clearMode, match.score, match.lines, match.pendingGarbage,
                    match.ghostWell[4][4], match.opponentWell[3][3], match.holdKind, match.gameOver,
                    match.periodicRowCount, match.musicSwitched[0], match.input.moveRepeat}),
              Ints({5, 1, 0, 0, 0, 0, 0, -1, 0, 7, 1, 9}));
    for (int r = 0; r < kWellRows; ++r) EXPECT_EQ(Row(r), r < 21 ? "#..........#" : "############");
}

TEST_F(WellTest, BlocksOnWallsFloorStackOrAboveTheTopCollideAndAStampAfterADropLocks) {
    Place(6, 0, 4, 5);  // the square: box cells (1..2, 1..2)
    match.well[8][6] = CellGarbage;
    // {offsetX, offsetY, collides}: each wall, the floor and the top beside the nearest
    // free place; the empty box columns and rows may lie outside the grid.
    const int cases[][3] = {{-5, 0, 1}, {-4, 0, 0}, {5, 0, 1},  {4, 0, 0}, {0, 14, 1},
                            {0, 13, 0}, {0, -7, 1}, {0, -6, 0}, {0, 1, 1}, {0, 0, 0}};
    for (const auto& k : cases) {
        EXPECT_EQ(PieceCollides(k[0], k[1], match.pieceMatrix), k[2] == 1) << k[0] << "," << k[1];
    }
    EXPECT_TRUE(CollidesBelowRow(match.pieceMatrix, 5) && !CollidesBelowRow(match.pieceMatrix, 4));
    StampPiece();
    EXPECT_EQ(Row(6) + Row(7) + Row(8), "#....77....##....77....##.....8....#");
    ErasePiece();
    EXPECT_EQ(Row(6) + Row(7) + Row(8), "#..........##..........##.....8....#");
    match.dropped = true;
    StampPiece();
    EXPECT_TRUE(match.lockPending && !match.dropped);
}

TEST(PiecesTest, ShapeStepsWrapAndPadButtonsThirteenToSixteenAreDirections) {
    PieceMatrix m;
    EXPECT_EQ(Ints({LoadShape(m, kShapeNext, 1, 3), LoadShape(m, kShapePrevious, 1, 0),
                    LoadShape(m, 7, 1, 2)}),
              Ints({0, 3, 2}));
    // {pad bits, direction}: the direction bits as they are (down with left moves
    // nothing), else pad buttons 13..16, combinations of them mapped or left as they are.
    const int cases[][2] = {{0x3, 3},     {0x42, 2},    {0x10000, 8}, {0x20000, 4}, {0x40000, 1},
                            {0x60000, 4}, {0x80000, 2}, {0xC0000, 2}, {0x30000, 3}, {0x40002, 1}};
    for (const auto& k : cases) EXPECT_EQ(MapDirection(k[0]), k[1]) << std::hex << k[0];
}

// Kinds come from a generator reseeded with the tick, so whatever state it was left
// in, what is seeded in one millisecond draws alike; only the first hold's refill
// draws on without reseeding, and without the rule against repeats.
TEST_F(WellTest, KindsComeFromTheGeneratorReseededWithTheTickExceptForTheFirstHold) {
    const int* next = match.nextKinds;
    int holdRepeats = 0, holdKinds = 0;
    for (int ms = 0; ms < 10; ++ms) {
        script::AdvanceMs(1);
        InitRound(0);  // every slot reseeded: the first and the last draw alike
        EXPECT_TRUE(next[0] != next[1] && next[1] != next[2] && next[0] == next[2]);
        SeedRandom(GetTickMillis(0));
        const int tickKind = GetRandom(6);  // what this millisecond's seed draws first
        unsigned spawnDraws = 0, holdDraws = 0;
        for (int junk = 0; junk < 10; ++junk) {
            SetQueue(1, 2, tickKind);
            SeedRandom(junk);
            SpawnPiece();
            spawnDraws |= 1u << next[2];
            SetQueue(1, 2, 3);
            match.holdKind = -1;
            SeedRandom(ms * 7919 + junk);
            HoldPiece();
            holdDraws |= 1u << next[2];
            holdRepeats += next[2] == 3;
        }
        // A spawn reseeds and never repeats the kind before it; the hold does not reseed.
        EXPECT_EQ(Ints({std::popcount(spawnDraws), int(spawnDraws >> tickKind & 1)}), Ints({1, 0}));
        EXPECT_GT(std::popcount(holdDraws), 1);
        holdKinds |= holdDraws;
    }
    EXPECT_GT(holdRepeats, 0) << "the hold's refill may repeat the kind before it";
    EXPECT_EQ(holdKinds, 0x7F) << "every kind is drawn";
}

TEST_F(WellTest, TheFirstHoldTakesTheNextKindLaterHoldsOnlySwapAndATakenSpawnPlaceRefuses) {
    SetQueue(1, 2, 3);
    Place(5, 2, 7, 9);
    match.fallGauge = 77, match.landedSoundPlayed = true;
    EXPECT_TRUE(HoldPiece());
    // The new piece enters at the spawn place and inherits gauge and landing.
    EXPECT_EQ(
        Ints({match.pieceKind, match.rotation, match.pieceX, match.pieceY, match.holdKind,
              match.nextKinds[0], match.nextKinds[1], match.fallGauge, match.landedSoundPlayed}),
        Ints({1, 0, 4, 0, 5, 2, 3, 77, 1}));
    const int last = match.nextKinds[2];
    Place(1, 3, 6, 12);
    EXPECT_TRUE(HoldPiece());
    // The first piece comes back, and the queue stays.
    EXPECT_EQ(Ints({match.pieceKind, match.rotation, match.pieceX, match.pieceY, match.holdKind,
                    match.nextKinds[2]}),
              Ints({5, 0, 4, 0, 1, last}));
    match.pieceY = 8;
    match.well[1][5] = CellGarbage;  // where kind 1 would enter
    EXPECT_FALSE(HoldPiece());
    EXPECT_EQ(Ints({match.pieceKind, match.pieceY, match.holdKind}), Ints({5, 8, 1}));
}

}  // namespace
