// gravity_test.cpp - gravity by elapsed time, a piece leaving a ledge, the instant
// fall of the top levels, and the fall gauge with its warning and forced drop.
#include "match/gravity.h"
#include "tests/game/match/match_fixture.h"

namespace {

class GravityTest : public MatchTest {};

TEST_F(GravityTest, GaugeFramesUntilTheForcedDropFollowTheLevel) {
    const int table[][2] = {{4, 514}, {20, 257}, {24, 129}, {29, 65}, {30, 37}};  // up to level
    for (int level = 1, row = 0, frames = 0; level <= 30; ++level, frames = 0) {
        row += level > table[row][0];
        Place(6, 0, 4, 0);
        match.level = level, match.gaugeReset = true, match.dropped = false;
        while (!match.dropped && frames < 2000) UpdateFallGauge(), ++frames;
        EXPECT_EQ(frames, table[row][1]) << "level " << level;
    }
}

TEST_F(GravityTest, TheForcedDropWarnsOnceEarnsNothingAndStartsTheGaugeAgain) {
    Place(6, 0, 4, 0);
    match.dropBonus = 120, match.level = 10;
    for (int frame = 1; frame <= 200; ++frame) UpdateFallGauge();
    EXPECT_EQ(spy::calls.effects[kEffectWarning], 0);
    UpdateFallGauge();
    EXPECT_EQ(spy::calls.effects[kEffectWarning], 1) << "past 200";
    for (int frame = 202; frame <= 257; ++frame) UpdateFallGauge();
    EXPECT_EQ(Ints({match.dropped, match.pieceY, match.dropBonus, match.gaugeReset,
                    match.warningArmed, spy::calls.effects[kEffectWarning]}),
              Ints({1, 18, 0, 1, 1, 1}));
    UpdateFallGauge();
    EXPECT_EQ(match.fallGauge, 1) << "emptied and one step in the next frame";
}

TEST_F(GravityTest, ThePieceFallsOnceTheIntervalOfItsLevelHasPassed) {
    Place(6, 0, 4, 0);
    // {ms passed, row after} at level 1: the first call takes the reference time; a fall
    // after more than 190 ms starts the next interval.
    const int steps[][2] = {{0, 0}, {190, 0}, {1, 1}, {0, 1}, {191, 2}};
    for (const auto& k : steps) {
        script::AdvanceMs(k[0]);
        ApplyGravity();
        EXPECT_EQ(match.pieceY, k[1]) << "after " << k[0] << " ms";
    }
    // A frame at level 24 moves the piece a row; from level 25 it falls all the way.
    for (const auto& k : {Ints{24, 1}, Ints{25, 18}}) {
        InitRound(0);
        Place(6, 0, 4, 0);
        match.level = k[0];
        PlayFrames(1);
        EXPECT_EQ(match.pieceY, k[1]) << "level " << k[0];
    }
}

TEST_F(GravityTest, AFrameTurnsThePieceOnTheSettledBlocksAndShowsWhereItLands) {
    gameSettings.ShowLandingPoint = true, gameSettings.PadVibration = true;
    Place(2, 0, 4, 0);
    match.well[15][6] = CellGarbage;
    PlayFrames(1);
    match.vibrationLength = 10, match.vibrationStart = GetTickMillis(0);
    InputFrames({key::kZ}, 1, true);
    // Turned in place, not kicked off its own blocks; stamped; the landing point found
    // on the settled blocks, above the block in row 15; the vibration that was due
    // stopped.
    EXPECT_EQ(Ints({match.rotation, match.pieceX, match.pieceY, match.vibrationLength}),
              Ints({1, 4, 0, 0}));
    EXPECT_EQ(Row(0) + Row(14, match.ghostWell) + Row(16, match.ghostWell),
              "#....33....#.....33..........3......");
}

TEST_F(GravityTest, APieceLeavingALedgeFallsWhenTheRunningIntervalEndsAndSoundsAgain) {
    Place(6, 0, 4, 17);  // the square on a ledge in row 20
    Put({{5, 20}, {6, 20}});
    PlayFrames(20);  // the interval ran out on frame 13 and began again on frame 14
    EXPECT_EQ(spy::calls.effects[kEffectBlockLanding2], 1) << "the landing sounds once";
    MovePiece(kDirRight);
    MovePiece(kDirRight);
    PlayFrames(5);
    EXPECT_EQ(match.pieceY, 17);
    PlayFrames(1);
    EXPECT_EQ(match.pieceY, 18) << "on frame 26, when the interval begun on frame 14 is over";
    PlayFrames(1);
    EXPECT_EQ(Ints({spy::calls.effects[kEffectBlockLanding2], match.lockPending}), Ints({2, 0}));
}

TEST_F(GravityTest, InstantGravityReachesTheLandingRowInOneFrame) {
    Place(3, 0, 4, 0);
    match.level = 25, match.fallGauge = 30;
    match.well[12][5] = CellGarbage;
    ApplyInstantGravity();
    // Box row 2 sits on the block in row 12; the gauge runs only while the piece rests;
    // the piece is left erased.
    EXPECT_EQ(Ints({match.pieceY, match.fallGauge}), Ints({9, 0}));
    EXPECT_EQ(Row(10), "#..........#");
    match.fallGauge = 30;
    ApplyInstantGravity();
    EXPECT_EQ(Ints({match.pieceY, match.fallGauge, spy::calls.effects[kEffectBlockLanding2]}),
              Ints({9, 30, 1}));
}

}  // namespace
