// queue_test.cpp - the next queue and the hold slot.
#include <gtest/gtest.h>

#include "game/match/match_state.h"
#include "game/match/queue.h"
#include "tests/game/match/match_fixture.h"

namespace {

class QueueTest : public MatchTest {};

TEST_F(QueueTest, ASpawnTakesTheFirstKindAndShiftsTheQueue) {
    match.nextKinds[0] = 3;
    match.nextKinds[1] = 5;
    match.nextKinds[2] = 0;
    match.rotation = 2;
    SpawnPiece();
    EXPECT_EQ(match.pieceKind, 3);
    EXPECT_EQ(match.rotation, 0);
    EXPECT_EQ(match.nextKinds[0], 5);
    EXPECT_EQ(match.nextKinds[1], 0);
    EXPECT_NE(match.nextKinds[2], 0);
}

TEST_F(QueueTest, AfterEverySpawnTheLastTwoKindsDiffer) {
    int counts[7] = {};
    for (int spawn = 0; spawn < 3000; ++spawn) {
        if (spawn % 3 != 0) script::AdvanceMs(1 + spawn % 23);  // some in the same ms
        SpawnPiece();
        ASSERT_NE(match.nextKinds[1], match.nextKinds[2]) << "spawn " << spawn;
        ASSERT_NE(match.nextKinds[0], match.nextKinds[1]) << "spawn " << spawn;
        ASSERT_GE(match.pieceKind, 0);
        ASSERT_LE(match.pieceKind, 6);
        counts[match.pieceKind] += 1;
    }
    for (int kind = 0; kind < 7; ++kind) EXPECT_GT(counts[kind], 200) << "kind " << kind;
}

TEST_F(QueueTest, TheFirstHoldTakesTheNextKindAndDrawsANewOne) {
    match.nextKinds[0] = 1;
    match.nextKinds[1] = 2;
    match.nextKinds[2] = 3;
    Place(5, 2, 7, 9);
    match.fallGauge = 77;
    match.landedSoundPlayed = true;
    HoldPiece();
    EXPECT_EQ(match.holdKind, 5);
    EXPECT_EQ(match.pieceKind, 1);
    EXPECT_EQ(match.rotation, 0);
    EXPECT_EQ(match.pieceX, 4);
    EXPECT_EQ(match.pieceY, 0);
    EXPECT_EQ(match.nextKinds[0], 2);
    EXPECT_EQ(match.nextKinds[1], 3);
    EXPECT_GE(match.nextKinds[2], 0);
    EXPECT_LE(match.nextKinds[2], 6);
    EXPECT_EQ(match.fallGauge, 77) << "the new piece inherits the gauge";
    EXPECT_TRUE(match.landedSoundPlayed);
    std::vector<std::pair<int, int>> expected = {{4, 1}, {5, 1}, {6, 1}, {4, 2}};
    EXPECT_EQ(PieceCells(), expected) << "kind 1 in rotation 0";
}

TEST_F(QueueTest, LaterHoldsOnlySwap) {
    match.nextKinds[0] = 1;
    match.nextKinds[1] = 2;
    match.nextKinds[2] = 3;
    Place(5, 0, 4, 0);
    HoldPiece();
    const int queue[3] = {match.nextKinds[0], match.nextKinds[1], match.nextKinds[2]};
    match.rotation = LoadShape(match.pieceMatrix, kShapeSame, match.pieceKind, 3);
    match.pieceY = 12;
    HoldPiece();
    EXPECT_EQ(match.pieceKind, 5) << "the first piece comes back";
    EXPECT_EQ(match.holdKind, 1);
    EXPECT_EQ(match.rotation, 0);
    EXPECT_EQ(match.pieceX, 4);
    EXPECT_EQ(match.pieceY, 0);
    PieceMatrix flat;
    LoadShape(flat, kShapeSame, 5, 0);
    EXPECT_EQ(memcmp(flat, match.pieceMatrix, sizeof flat), 0);
    HoldPiece();
    EXPECT_EQ(match.pieceKind, 1);
    EXPECT_EQ(match.holdKind, 5);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(match.nextKinds[i], queue[i]) << "queue untouched";
}

}  // namespace
