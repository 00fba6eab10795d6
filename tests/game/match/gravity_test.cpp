// gravity_test.cpp - gravity by elapsed time, the instant fall of the top levels,
// and the fall gauge with its warning and forced drop.
#include "match/gravity.h"
#include "tests/game/match/match_fixture.h"

namespace {

class GravityTest : public MatchTest {};

// Frames of 17 ms in which gravity moves the piece, which is stamped as each frame does.
void FallFrames(int frames) {
    for (int f = 0; f < frames; ++f) {
        script::AdvanceMs(17);
        ApplyGravity();
        StampPiece();
    }
}

// Frames of the gauge from a reset until the square at the spawn place is dropped.
int FramesUntilForcedDrop(int level) {
    MatchTest::Place(6, 0, 4, 0);
    match.level = level;
    match.gaugeReset = true;
    match.dropped = false;
    for (int frame = 1; frame <= 2000; ++frame) {
        UpdateFallGauge();
        if (match.dropped) return frame;
    }
    return -1;
}

TEST_F(GravityTest, GaugeFramesUntilTheForcedDropFollowTheLevelTable) {
    const int table[][2] = {{4, 514}, {20, 257}, {24, 129}, {29, 65}, {30, 37}};  // up to level
    int row = 0;
    for (int level = 1; level <= 30; ++level) {
        if (level > table[row][0]) ++row;
        EXPECT_EQ(FramesUntilForcedDrop(level), table[row][1]) << "level " << level;
    }
}

TEST_F(GravityTest, TheForcedDropWarnsOnceAndEndsWithAResetArmedGaugeAndNoBonus) {
    match.dropBonus = 120, match.level = 10, match.gaugeReset = true;
    for (int frame = 1; frame <= 200; ++frame) UpdateFallGauge();
    EXPECT_EQ(match.fallGauge, 200);
    EXPECT_EQ(spy::calls.effects[kEffectWarning], 0);
    UpdateFallGauge();
    EXPECT_EQ(spy::calls.effects[kEffectWarning], 1) << "passes 200";
    EXPECT_EQ(FramesUntilForcedDrop(7), 257);
    EXPECT_EQ(spy::calls.effects[kEffectWarning], 2) << "once per piece";
    EXPECT_EQ(match.pieceY, 18);
    EXPECT_EQ(match.dropBonus, 0);
    EXPECT_TRUE(match.gaugeReset && match.warningArmed);
    UpdateFallGauge();
    EXPECT_EQ(match.fallGauge, 1) << "emptied and one step in the next frame";
}

TEST_F(GravityTest, AtLevelOneThePieceFallsWhenMoreThan190MsHavePassed) {
    Place(6, 0, 4, 0);
    // {ms passed, row after}: the first call takes the reference time, and each fall
    // starts the next interval.
    const int steps[][2] = {{0, 0}, {190, 0}, {1, 1}, {0, 1}, {191, 2}};
    for (const auto& k : steps) {
        script::AdvanceMs(k[0]);
        ApplyGravity();
        EXPECT_EQ(match.pieceY, k[1]) << "after " << k[0] << " ms";
    }
}

TEST_F(GravityTest, RowsFallenInSeventeenMsFramesByLevel) {
    // {level, frames, rows}: level 20 every second frame, 21 every frame; at level 1
    // the piece falls on frame 13 and the next interval starts on frame 14.
    const int cases[][3] = {{20, 10, 5}, {21, 10, 10}, {19, 10, 5}, {1, 25, 1}, {1, 26, 2}};
    for (const auto& k : cases) {
        Place(6, 0, 4, 0);
        match.level = k[0];
        match.fallTimerRestart = true;
        FallFrames(k[1]);
        ErasePiece();
        EXPECT_EQ(match.pieceY, k[2]) << "level " << k[0] << ", " << k[1] << " frames";
    }
}

TEST_F(GravityTest, ABlockedOrDroppedPieceDoesNotFallAndIsNeverLockedByGravity) {
    Place(6, 0, 4, 18);
    match.level = 21;
    FallFrames(30);
    EXPECT_EQ(match.pieceY, 18);
    EXPECT_EQ(spy::calls.effects[kEffectBlockLanding2], 1) << "the landing sounds once";
    EXPECT_FALSE(match.lockPending || match.dropped);
    Place(6, 0, 4, 5);
    match.dropped = true;
    for (int f = 0; f < 2; ++f) script::AdvanceMs(17), ApplyGravity();
    EXPECT_EQ(match.pieceY, 5);
    EXPECT_FALSE(match.fallStep);
}

TEST_F(GravityTest, InstantGravityReachesTheLandingRowInOneFrame) {
    Place(3, 0, 4, 0);
    match.level = 25, match.fallGauge = 30;
    match.well[12][5] = CellGarbage;
    ApplyInstantGravity();
    EXPECT_EQ(match.pieceY, 9) << "box row 2 sits on the block in row 12";
    EXPECT_EQ(match.fallGauge, 0) << "the gauge runs only while the piece rests";
    EXPECT_EQ(spy::calls.effects[kEffectBlockLanding2], 1);
    for (auto [c, r] : PieceCells()) EXPECT_EQ(match.well[r][c], CellEmpty) << "left erased";
    match.fallGauge = 30;
    ApplyInstantGravity();
    EXPECT_EQ(match.fallGauge, 30) << "a resting piece keeps its gauge";
    EXPECT_EQ(spy::calls.effects[kEffectBlockLanding2], 1);
}

}  // namespace
