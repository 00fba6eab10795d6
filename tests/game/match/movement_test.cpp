// movement_test.cpp - sideways moves and their repeat timing, the soft drop,
// rotation with its kicks, the hard drop with its refusal, the debounce of hard drop
// and hold, and the landing point.
#include <gtest/gtest.h>

#include <vector>

#include "game/match/match_state.h"
#include "game/match/movement.h"
#include "game/shell/assets.h"
#include "tests/game/match/match_fixture.h"
#include "tests/game/match/rule_frame.h"

namespace {

class MovementTest : public MatchTest {};

// ---- rotation and kicks ----

TEST_F(MovementTest, FlatBarAtSpawnTurnsUpright) {
    Place(0, 0, 4, 0);
    RotatePiece(kButtonRotateNext);
    EXPECT_EQ(match.rotation, 1);
    EXPECT_EQ(match.pieceX, 4);
    EXPECT_EQ(match.pieceY, 0);
    std::vector<std::pair<int, int>> expected = {{6, 0}, {6, 1}, {6, 2}, {6, 3}};
    EXPECT_EQ(PieceCells(), expected);
}

TEST_F(MovementTest, AgainstTheRightWallTheFirstFreeKickIsOneLeft) {
    Place(1, 3, 9, 5);  // "XX.." over ".X.." ".X..": columns 9 and 10
    RotatePiece(kButtonRotateNext);
    EXPECT_EQ(match.rotation, 0);
    EXPECT_EQ(match.pieceX, 8) << "(+1,0) and (+2,0) hit the wall, (-1,0) fits";
    EXPECT_EQ(match.pieceY, 5);
}

TEST_F(MovementTest, AgainstTheRightWallTwoLeftWhenOneLeftIsBlocked) {
    Place(1, 3, 9, 5);
    match.well[7][8] = CellGarbage;  // box row 2 of rotation 0 at x 8 would cover it
    RotatePiece(kButtonRotateNext);
    EXPECT_EQ(match.rotation, 0);
    EXPECT_EQ(match.pieceX, 7);
}

TEST_F(MovementTest, AgainstTheLeftWallKicksRight) {
    Place(1, 1, 0, 5);  // ".X.." ".X.." ".XX.": columns 1 and 2
    RotatePiece(kButtonRotateNext);
    EXPECT_EQ(match.rotation, 2);
    EXPECT_EQ(match.pieceX, 1);
    // The upright bar in column 1 needs two columns.
    Place(0, 1, -1, 5);
    RotatePiece(kButtonRotateNext);
    EXPECT_EQ(match.rotation, 2);
    EXPECT_EQ(match.pieceX, 1);
}

TEST_F(MovementTest, StandingOnTheStackTheShapeIsLiftedByTheLastKick) {
    Place(3, 1, 4, 18);  // ".X.." ".XX." ".X..": stem in column 5, rows 18..20
    match.well[20][4] = CellGarbage;
    match.well[20][6] = CellGarbage;
    // Rotation 2 (".X.." over "XXX.") would need row 20 beside the stem; every sideways
    // and downward kick meets the stack or the floor, one row up fits.
    RotatePiece(kButtonRotateNext);
    EXPECT_EQ(match.rotation, 2);
    EXPECT_EQ(match.pieceX, 4);
    EXPECT_EQ(match.pieceY, 17);
}

TEST_F(MovementTest, UprightBarIsPulledTwoRowsUpFromTheFloor) {
    Place(0, 0, 5, 19);  // flat in row 20, columns 5..8
    match.well[18][5] = CellGarbage;
    match.well[18][6] = CellGarbage;
    match.well[18][8] = CellGarbage;
    match.well[18][9] = CellGarbage;
    match.well[16][7] = CellGarbage;
    RotatePiece(kButtonRotateNext);
    EXPECT_EQ(match.rotation, 1);
    EXPECT_EQ(match.pieceX, 5);
    EXPECT_EQ(match.pieceY, 17);
    std::vector<std::pair<int, int>> expected = {{7, 17}, {7, 18}, {7, 19}, {7, 20}};
    EXPECT_EQ(PieceCells(), expected);
}

TEST_F(MovementTest, BarNearTheLeftSideIsPulledTwoColumnsLeft) {
    Place(0, 0, 3, 10);  // flat in row 11, columns 3..6; upright it would be column 5
    match.well[13][5] = CellGarbage;
    match.well[13][4] = CellGarbage;
    match.well[13][2] = CellGarbage;
    match.well[13][1] = CellGarbage;
    match.well[14][3] = CellGarbage;
    match.well[9][3] = CellGarbage;
    RotatePiece(kButtonRotateNext);
    EXPECT_EQ(match.rotation, 1);
    EXPECT_EQ(match.pieceX, 1) << "column 3 after the shift; the kicks alone would give column 6";
    EXPECT_EQ(match.pieceY, 10);
}

TEST_F(MovementTest, KicksAreTriedFromTheShiftedPlace) {
    Place(0, 1, 3, 5);  // upright in column 5, rows 5..8
    match.well[6][6] = CellGarbage;
    RotatePiece(kButtonRotateNext);
    EXPECT_EQ(match.rotation, 2);
    EXPECT_EQ(match.pieceX, 2) << "shifted to 1, then the (+1,0) kick fits";
}

TEST_F(MovementTest, ARotationThatFitsNowhereChangesNothingButSounds) {
    Place(0, 0, 4, 10);  // flat in row 11, columns 4..7
    for (int r = 5; r <= 20; ++r) FillRow(r, CellGarbage);
    FillRow(11, CellGarbage, {4, 5, 6, 7});
    PieceMatrix before;
    memcpy(before, match.pieceMatrix, sizeof before);
    RotatePiece(kButtonRotateNext);
    RotatePiece(kButtonRotatePrevious);
    EXPECT_EQ(match.rotation, 0);
    EXPECT_EQ(match.pieceX, 4);
    EXPECT_EQ(match.pieceY, 10);
    EXPECT_EQ(memcmp(before, match.pieceMatrix, sizeof before), 0);
    EXPECT_EQ(spy::EffectCount(kEffectRotation), 2);
}

TEST_F(MovementTest, EachRotationButtonTurnsOncePerPress) {
    Place(2, 0, 4, 5);
    InputFrame({key::kZ});
    EXPECT_EQ(match.rotation, 1);
    InputFrame({key::kZ});
    InputFrame({key::kZ});
    EXPECT_EQ(match.rotation, 1) << "held: no second turn";
    InputFrame({});
    InputFrame({key::kX});
    EXPECT_EQ(match.rotation, 0);
    EXPECT_EQ(spy::EffectCount(kEffectRotation), 2);
}

TEST_F(MovementTest, BothRotationButtonsTogetherDoNothing) {
    Place(2, 0, 4, 5);
    for (int i = 0; i < 5; ++i) InputFrame({key::kZ, key::kX});
    EXPECT_EQ(match.rotation, 0);
    EXPECT_EQ(spy::EffectCount(kEffectRotation), 0);
    EXPECT_FALSE(match.input.buttonLatch);
    InputFrame({key::kZ});
    EXPECT_EQ(match.rotation, 1) << "no latch was set by the pair";
}

// ---- hard drop, hold and their debounce ----

TEST_F(MovementTest, HardDropFiresOnTheThirdFrameTheButtonIsSeen) {
    Place(6, 0, 4, 0);
    InputFrame({key::kC});
    InputFrame({key::kC});
    EXPECT_FALSE(match.dropped);
    EXPECT_EQ(match.pieceY, 0);
    InputFrame({key::kC});
    EXPECT_TRUE(match.dropped);
    EXPECT_EQ(match.pieceY, 18) << "the square rests on the floor";
    InputFrame({key::kC});
    InputFrame({key::kC});
    InputFrame({key::kC});
    EXPECT_EQ(match.input.buttonDebounce, 0) << "latched until the button is released";
}

TEST_F(MovementTest, HoldAndHardDropShareOneDebounceCount) {
    Place(6, 0, 4, 0);
    match.nextKinds[0] = 2;
    InputFrame({key::kA});
    InputFrame({key::kA});
    InputFrame({});
    EXPECT_EQ(match.holdKind, -1);
    EXPECT_EQ(match.input.buttonDebounce, 2) << "the count stays after the release";
    InputFrame({key::kC});
    EXPECT_TRUE(match.dropped) << "two frames of hold and one of drop make three";
}

TEST_F(MovementTest, HoldFiresAfterTheDebounceAndPlaysItsSound) {
    Place(6, 0, 4, 7);
    match.nextKinds[0] = 2;
    for (int i = 0; i < 3; ++i) InputFrame({key::kA});
    EXPECT_EQ(match.holdKind, 6);
    EXPECT_EQ(match.pieceKind, 2);
    EXPECT_EQ(match.pieceX, 4);
    EXPECT_EQ(match.pieceY, 0);
    EXPECT_EQ(spy::EffectCount(kEffectScreenShot), 1);
}

TEST_F(MovementTest, PlayerHardDropScoresTheGaugeLeftAndEmptiesIt) {
    Place(6, 0, 4, 0);
    match.fallGauge = 100;
    match.well[15][5] = CellGarbage;
    HardDrop(true);
    EXPECT_EQ(match.dropBonus, 157);
    EXPECT_EQ(match.fallGauge, 0);
    EXPECT_EQ(match.pieceY, 12) << "the square stops on the block in row 15";
    EXPECT_TRUE(match.dropped);
    for (auto [c, r] : PieceCells()) EXPECT_EQ(match.well[r][c], CellEmpty) << "left erased";
    StampPiece();
    EXPECT_TRUE(match.lockPending);
    EXPECT_EQ(match.well[14][5], 7);
}

TEST_F(MovementTest, ForcedDropEarnsNoBonusAndLeavesTheGauge) {
    Place(6, 0, 4, 0);
    match.fallGauge = 257;
    match.dropBonus = 99;
    HardDrop(false);
    EXPECT_EQ(match.dropBonus, 0);
    EXPECT_EQ(match.fallGauge, 257);
    EXPECT_EQ(match.pieceY, 18);
}

TEST_F(MovementTest, FromLevelTwentyFiveAnEarlyHardDropIsRefused) {
    match.level = 25;
    Place(6, 0, 4, 0);
    match.fallGauge = 49;
    match.dropBonus = 3;
    HardDrop(true);
    EXPECT_FALSE(match.dropped);
    EXPECT_EQ(match.pieceY, 0);
    EXPECT_EQ(match.dropBonus, 3);
    EXPECT_EQ(match.fallGauge, 49);
    match.fallGauge = 50;
    HardDrop(true);
    EXPECT_TRUE(match.dropped);
    EXPECT_EQ(match.dropBonus, 207);
    match.level = 24;
    match.dropped = false;
    Place(6, 0, 4, 0);
    match.fallGauge = 10;
    HardDrop(true);
    EXPECT_TRUE(match.dropped) << "below level 25 any gauge value drops";
}

// ---- sideways moves ----

class SidewaysTest : public MatchTest {
protected:
    // Holds right for `frames` frames with the square starting in column 1 and
    // returns the frames (counted from 1) on which it moved.
    std::vector<int> MovesWhileHoldingRight(int frames) {
        Place(6, 0, 0, 5);
        std::vector<int> moved;
        for (int f = 1; f <= frames; ++f) {
            const int before = match.pieceX;
            InputFrame({key::kRight});
            if (match.pieceX != before) moved.push_back(f);
        }
        return moved;
    }
};

TEST_F(SidewaysTest, SensitivityThreeToFiveMovesEverySFrames) {
    for (int s = 3; s <= 5; ++s) {
        gameSettings.MoveSensitivity = s;
        match.input.moveRepeat = s;  // reached before the press
        match.input.moveHeld = 0;
        std::vector<int> expected;
        for (int f = 1; f <= 18; f += s) expected.push_back(f);
        EXPECT_EQ(MovesWhileHoldingRight(18), expected) << "sensitivity " << s;
        InputFrame({});
    }
}

TEST_F(SidewaysTest, SensitivityFourMovesOnFramesOneFiveNine) {
    gameSettings.MoveSensitivity = 4;
    match.input.moveRepeat = 4;
    EXPECT_EQ(MovesWhileHoldingRight(12), (std::vector<int>{1, 5, 9}));
}

TEST_F(SidewaysTest, APressSoonAfterTheLastMoveWaitsForTheRepeatCount) {
    gameSettings.MoveSensitivity = 5;
    match.input.moveRepeat = 1;
    EXPECT_EQ(MovesWhileHoldingRight(8), (std::vector<int>{5}));
}

TEST_F(SidewaysTest, SensitivitySixMovesOncePerPressThenEveryFrameFromTheFourteenth) {
    gameSettings.MoveSensitivity = 6;
    EXPECT_EQ(MovesWhileHoldingRight(18), (std::vector<int>{1, 14, 15, 16, 17, 18}));
    InputFrame({});
    EXPECT_FALSE(match.moveLatch);
    EXPECT_EQ(match.input.moveHeld, 0);
    const int before = match.pieceX;
    InputFrame({key::kLeft});
    EXPECT_EQ(match.pieceX, before - 1) << "a new press moves at once";
}

TEST_F(SidewaysTest, AfterALockAHeldDirectionWaitsForARelease) {
    gameSettings.MoveSensitivity = 4;
    match.input.moveRepeat = 10;
    match.moveLatch = true;
    EXPECT_TRUE(MovesWhileHoldingRight(10).empty());
    InputFrame({});
    const int before = match.pieceX;
    InputFrame({key::kRight});
    EXPECT_EQ(match.pieceX, before + 1);
}

TEST_F(SidewaysTest, ABlockedMoveLeavesThePieceAndReportsIt) {
    Place(6, 0, 0, 5);  // square in columns 1 and 2
    EXPECT_TRUE(MovePiece(kDirLeft));
    EXPECT_EQ(match.pieceX, 0);
    EXPECT_FALSE(MovePiece(kDirRight));
    EXPECT_EQ(match.pieceX, 1);
    EXPECT_TRUE(MovePiece(kDirUp)) << "up moves nothing";
    EXPECT_EQ(match.pieceY, 5);
    EXPECT_FALSE(match.dropped);
    EXPECT_FALSE(match.lockPending);
}

TEST_F(SidewaysTest, SoftDropMovesDownEveryFrameAndNeverLocks) {
    Place(6, 0, 4, 10);
    match.fallTimerRestart = true;
    script::ReleaseAllKeys();
    script::SetKey(key::kDown, true);
    for (int f = 0; f < 200; ++f) {
        script::AdvanceMs(rules::FrameBudgetMs(f));
        rules::StepRules();
        ASSERT_TRUE(rules::EndFrame(nullptr));
        ASSERT_FALSE(match.lockPending) << "frame " << f;
        ASSERT_FALSE(match.dropped) << "frame " << f;
    }
    EXPECT_EQ(match.pieceY, 18) << "resting on the floor";
    EXPECT_EQ(Row(20), "#....77....#");
}

// ---- landing point ----

TEST_F(MovementTest, TheLandingPointIsTheLowestRowStraightBelow) {
    Place(1, 0, 4, 2);  // "XXX." over "X...": columns 4..6
    match.well[15][6] = CellGarbage;
    FillRow(20, CellGarbage, {2});
    ComputeGhost();
    int blocks = 0;
    for (int r = 0; r < kWellRows; ++r) {
        for (int c = 0; c < kWellColumns; ++c) {
            const int32_t v = match.ghostWell[r][c];
            if (v == 0) continue;
            EXPECT_EQ(v, 2);
            ++blocks;
        }
    }
    EXPECT_EQ(blocks, 4);
    // Column 6 is blocked at row 15, so the box stops at row 13: blocks in row 14
    // (columns 4..6) and row 15 column 4.
    EXPECT_EQ(match.ghostWell[14][4], 2);
    EXPECT_EQ(match.ghostWell[14][6], 2);
    EXPECT_EQ(match.ghostWell[15][4], 2);
    EXPECT_EQ(match.well[14][4], CellEmpty) << "the well itself is not touched";
}

}  // namespace
