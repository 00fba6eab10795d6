// gravity_test.cpp - gravity by elapsed time, the instant fall of the top levels,
// and the fall gauge with its warning and forced drop.
#include <gtest/gtest.h>

#include "game/match/gravity.h"
#include "game/match/match_state.h"
#include "game/shell/assets.h"
#include "tests/game/match/match_fixture.h"
#include "tests/game/match/rule_frame.h"

namespace {

class GravityTest : public MatchTest {};

// Frames of the gauge from a reset until the piece is dropped for the player.
int FramesUntilForcedDrop() {
    match.gaugeReset = true;
    match.dropped = false;
    for (int frame = 1; frame <= 2000; ++frame) {
        UpdateFallGauge();
        if (match.dropped) return frame;
    }
    return -1;
}

TEST_F(GravityTest, GaugeDropsThePieceAfter514FramesAtLevelOneAnd257AtFive) {
    Place(6, 0, 4, 0);
    match.level = 1;
    EXPECT_EQ(FramesUntilForcedDrop(), 514);
    Place(6, 0, 4, 0);
    match.level = 5;
    EXPECT_EQ(FramesUntilForcedDrop(), 257);
}

TEST_F(GravityTest, GaugeFramesFollowTheLevelTable) {
    for (int level = 1; level <= 30; ++level) {
        int expected = 0;
        if (level <= 4)
            expected = 514;
        else if (level <= 20)
            expected = 257;
        else if (level <= 24)
            expected = 129;
        else if (level <= 29)
            expected = 65;
        else
            expected = 37;
        Place(6, 0, 4, 0);
        match.level = level;
        EXPECT_EQ(FramesUntilForcedDrop(), expected) << "level " << level;
    }
}

TEST_F(GravityTest, TheForcedDropEndsWithAResetArmedGaugeAndNoBonus) {
    Place(6, 0, 4, 0);
    match.level = 7;
    match.dropBonus = 120;
    FramesUntilForcedDrop();
    EXPECT_EQ(match.pieceY, 18);
    EXPECT_EQ(match.dropBonus, 0);
    EXPECT_TRUE(match.gaugeReset);
    EXPECT_TRUE(match.warningArmed);
    EXPECT_EQ(spy::EffectCount(kEffectWarning), 1);
    UpdateFallGauge();
    EXPECT_EQ(match.fallGauge, 1) << "emptied and one step in the next frame";
}

TEST_F(GravityTest, WarningSoundsOnceWhenTheGaugePassesTwoHundred) {
    Place(6, 0, 4, 0);
    match.level = 10;
    match.gaugeReset = true;
    for (int frame = 1; frame <= 200; ++frame) UpdateFallGauge();
    EXPECT_EQ(match.fallGauge, 200);
    EXPECT_EQ(spy::EffectCount(kEffectWarning), 0);
    UpdateFallGauge();
    EXPECT_EQ(spy::EffectCount(kEffectWarning), 1);
    for (int frame = 0; frame < 20; ++frame) UpdateFallGauge();
    EXPECT_EQ(spy::EffectCount(kEffectWarning), 1);
}

TEST_F(GravityTest, APieceRestingOnTheFloorIsDroppedByTheGaugeAndLockedAfterTheFrame) {
    Place(6, 0, 4, 18);
    match.level = 1;
    int lockedAfter = 0;
    for (int frame = 1; frame <= 600 && lockedAfter == 0; ++frame) {
        script::AdvanceMs(rules::FrameBudgetMs(frame));
        rules::StepRules();
        bool locked = false;
        ASSERT_TRUE(rules::EndFrame(&locked));
        if (locked) lockedAfter = frame;
    }
    EXPECT_EQ(lockedAfter, 514);
    EXPECT_EQ(Row(20), "#....77....#");
    EXPECT_EQ(spy::EffectCount(kEffectBlockLanding), 1);
}

TEST_F(GravityTest, AtLevelOneThePieceFallsWhenMoreThan190MsHavePassed) {
    Place(6, 0, 4, 0);
    match.level = 1;
    match.fallTimerRestart = true;
    ApplyGravity();  // takes the reference time
    script::AdvanceMs(190);
    ApplyGravity();
    EXPECT_EQ(match.pieceY, 0);
    script::AdvanceMs(1);
    ApplyGravity();
    EXPECT_EQ(match.pieceY, 1);
    EXPECT_TRUE(match.fallTimerRestart);
    ApplyGravity();  // the next interval starts here
    EXPECT_EQ(match.pieceY, 1);
    script::AdvanceMs(191);
    ApplyGravity();
    EXPECT_EQ(match.pieceY, 2);
}

int RowsFallenInFrames(int level, int frames) {
    MatchTest::Place(6, 0, 4, 0);
    match.level = level;
    match.fallTimerRestart = true;
    for (int f = 0; f < frames; ++f) {
        script::AdvanceMs(17);
        ApplyGravity();
        StampPiece();
    }
    ErasePiece();
    return match.pieceY;
}

TEST_F(GravityTest, LevelTwentyFallsEverySecondFrameAndTwentyOneEveryFrame) {
    EXPECT_EQ(RowsFallenInFrames(20, 10), 5);
    EXPECT_EQ(RowsFallenInFrames(21, 10), 10);
    EXPECT_EQ(RowsFallenInFrames(19, 10), 5) << "10 ms interval, 17 ms frames";
    EXPECT_EQ(RowsFallenInFrames(1, 25), 1) << "190 ms: falls on frame 13, restarts on 14";
    EXPECT_EQ(RowsFallenInFrames(1, 26), 2);
}

TEST_F(GravityTest, ABlockedFallPlaysTheLandingSoundOnceAndNeverLocks) {
    Place(6, 0, 4, 18);
    match.level = 21;
    for (int f = 0; f < 30; ++f) {
        script::AdvanceMs(17);
        ApplyGravity();
        StampPiece();
    }
    EXPECT_EQ(match.pieceY, 18);
    EXPECT_EQ(spy::EffectCount(kEffectBlockLanding2), 1);
    EXPECT_FALSE(match.lockPending);
    EXPECT_FALSE(match.dropped);
}

TEST_F(GravityTest, ADroppedPieceDoesNotFallFurther) {
    Place(6, 0, 4, 5);
    match.level = 21;
    match.dropped = true;
    script::AdvanceMs(17);
    ApplyGravity();
    script::AdvanceMs(17);
    ApplyGravity();
    EXPECT_EQ(match.pieceY, 5);
    EXPECT_FALSE(match.fallStep);
}

TEST_F(GravityTest, InstantGravityReachesTheLandingRowInOneFrame) {
    Place(3, 0, 4, 0);
    match.level = 25;
    match.fallGauge = 30;
    match.well[12][5] = CellGarbage;
    ApplyInstantGravity();
    EXPECT_EQ(match.pieceY, 9) << "box row 2 sits on the block in row 12";
    EXPECT_EQ(match.fallGauge, 0) << "the gauge runs only while the piece rests";
    EXPECT_TRUE(match.landedSoundPlayed);
    EXPECT_EQ(spy::EffectCount(kEffectBlockLanding2), 1);
    for (auto [c, r] : PieceCells()) EXPECT_EQ(match.well[r][c], CellEmpty) << "left erased";
    match.fallGauge = 30;
    ApplyInstantGravity();
    EXPECT_EQ(match.fallGauge, 30) << "a resting piece keeps its gauge";
    EXPECT_EQ(spy::EffectCount(kEffectBlockLanding2), 1);
}

}  // namespace
