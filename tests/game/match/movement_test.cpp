// movement_test.cpp - rotation with its kicks, the rotation buttons, the shared
// debounce of hard drop and hold, the hard drop, and sideways repeat timing with what
// the soft drop counts.
#include "tests/game/match/match_fixture.h"

namespace {

class MovementTest : public MatchTest {};

TEST_F(MovementTest, RotationKicksOffWallsFloorAndStackInTheirOrder) {
    struct {
        int kind, rotation, x, y;  // the piece before the turn to the next shape
        Cells blocks;
        Ints after;  // rotation, x, y
    } const cases[] = {
        // 0: the flat bar at the spawn place turns upright in place.
        {0, 0, 4, 0, {}, {1, 4, 0}},
        // 1, 2: against the right wall (+1,0) and (+2,0) fail and (-1,0) fits; with
        // (-1,0) blocked, (-2,0).
        {1, 3, 9, 5, {}, {0, 8, 5}},
        {1, 3, 9, 5, {{8, 7}}, {0, 7, 5}},
        // 3: (+2,0) comes before (-1,0).
        {1, 1, 4, 5, {{6, 6}, {7, 6}}, {2, 6, 5}},
        // 4: (0,+1) comes before (0,+2) and (0,-1), which also fit.
        {1, 1, 4, 8, {{4, 10}, {7, 10}}, {2, 4, 9}},
        // 5: on the stack only (0,-1) fits.
        {3, 1, 4, 18, {{4, 20}, {6, 20}}, {2, 4, 17}},
        // 6: the bar on the floor is pulled two rows up.
        {0, 0, 5, 19, {{5, 18}, {6, 18}, {8, 18}, {9, 18}, {7, 16}}, {1, 5, 17}},
        // 7: near the left side the bar is pulled two columns left, where no kick fits.
        {0, 0, 3, 10, {{5, 13}, {4, 13}, {2, 13}, {1, 13}, {3, 14}, {3, 9}}, {1, 1, 10}},
        // 8: from column 4 it is not pulled left, only up; literal reading kept: the
        // kicks run from the raised place although the shape already fits there.
        {0, 0, 4, 10, {{6, 12}}, {1, 5, 8}},
    };
    for (const auto& k : cases) {
        InitRound(0);
        Put(k.blocks);
        Place(k.kind, k.rotation, k.x, k.y);
        RotatePiece(kButtonRotateNext);
        EXPECT_EQ(Ints({match.rotation, match.pieceX, match.pieceY}), k.after) << &k - cases;
    }
    // Buried: no place fits, so nothing changes but the sound.
    Place(0, 0, 4, 10);
    for (int r = 5; r <= 20; ++r) FillRow(r, CellGarbage, r == 11 ? Ints{4, 5, 6, 7} : Ints{});
    RotatePiece(kButtonRotateNext);
    RotatePiece(kButtonRotatePrevious);
    StampPiece();
    EXPECT_EQ(Row(11), "#8881111888#");
    EXPECT_EQ(spy::calls.effects[kEffectRotation], static_cast<int>(std::size(cases)) + 2);
}

TEST_F(MovementTest, RotationButtonsTurnOncePerPressAndTogetherDoNothing) {
    Place(2, 0, 4, 5);
    InputFrames({key::kZ, key::kX}, 3);
    EXPECT_EQ(spy::calls.effects[kEffectRotation], 0) << "not even the sound";
    InputFrames({key::kZ}, 3);
    EXPECT_EQ(match.rotation, 1) << "one turn per press; the pair set no latch";
    InputFrames({});
    InputFrames({key::kX});
    EXPECT_EQ(match.rotation, 0);
}

TEST_F(MovementTest, HardDropAndHoldFireOnTheThirdFrameOfOneCountThatARefusedHoldKeeps) {
    Place(6, 0, 4, 7);
    InputFrames({key::kA}, 2);
    InputFrames({});
    InputFrames({key::kC});
    EXPECT_TRUE(match.dropped) << "two frames of hold and one of drop make three";
    EXPECT_EQ(Ints({match.holdKind, match.input.buttonDebounce}), Ints({-1, 0}));
    InputFrames({key::kC}, 3);
    EXPECT_EQ(match.input.buttonDebounce, 0) << "latched while the button is held";
    SetQueue(1, 2, 3);
    Place(5, 2, 4, 9);
    match.well[1][5] = CellGarbage;  // where kind 1 would enter
    InputFrames({});
    InputFrames({key::kA}, 4);
    // A refused hold makes no sound and keeps the count for when the place is free.
    EXPECT_EQ(
        Ints({match.holdKind, match.input.buttonLatch, spy::calls.effects[kEffectScreenShot]}),
        Ints({-1, 0, 0}));
    match.well[1][5] = CellEmpty;
    InputFrames({key::kA});
    EXPECT_EQ(
        Ints({match.holdKind, match.input.buttonLatch, spy::calls.effects[kEffectScreenShot]}),
        Ints({5, 1, 1}));
}

TEST_F(MovementTest, HardDropBonusGaugeAndTheRefusalFromLevelTwentyFive) {
    // {level, gauge, by the player, drops, bonus, gauge after}
    const int cases[][6] = {{1, 100, 1, 1, 157, 0},
                            {1, 257, 0, 1, 0, 257},
                            {25, 49, 1, 0, 3, 49},
                            {25, 50, 1, 1, 207, 0},
                            {21, 263, 1, 1, 0, 0}};
    for (const auto& k : cases) {
        Place(6, 0, 4, 0);
        match.level = k[0], match.fallGauge = k[1], match.dropBonus = 3, match.dropped = false;
        match.well[15][5] = CellGarbage;
        HardDrop(k[2] == 1);
        // The square stops on the block in row 15 and is left erased.
        EXPECT_EQ(Ints({match.dropped, match.pieceY, match.dropBonus, match.fallGauge}),
                  Ints({k[3], k[3] == 1 ? 12 : 0, k[4], k[5]}))
            << "level " << k[0] << " gauge " << k[1];
        EXPECT_EQ(Row(14), "#..........#");
    }
}

TEST_F(MovementTest, SidewaysRepeatTimingAndWhatTheSoftDropCounts) {
    struct {
        int sensitivity, repeatBefore, softDropFrames;  // soft drop just before, no release
        bool latched;                                   // a lock came while a direction was held
        Ints frames;  // frames of the hold (from 1) on which the piece moves
    } const cases[] = {
        {3, 3, 0, false, {1, 4, 7, 10, 13, 16}},
        {4, 4, 0, false, {1, 5, 9, 13, 17}},
        {5, 1, 0, false, {5, 10, 15}},
        {6, 0, 0, false, {1, 14, 15, 16, 17, 18}},
        {4, 10, 0, true, {}},
        {6, 0, 0, true, {14, 15, 16, 17, 18}},
        {4, 0, 4, false, {1, 5, 9, 13, 17}},
        {6, 0, 13, false, {1, 2, 3, 4, 5, 6, 7}},
        {-5, 3, 0, false, {1, 4, 7, 10, 13, 16}},      // from a damaged settings file: as 3
        {1000, 0, 0, false, {1, 14, 15, 16, 17, 18}},  // as 6
    };
    for (const auto& k : cases) {
        InputFrames({});
        gameSettings.MoveSensitivity = k.sensitivity;
        match.input.moveRepeat = k.repeatBefore, match.moveLatch = k.latched;
        Place(6, 0, 1, 5);
        InputFrames({key::kDown}, k.softDropFrames);
        Ints moved;
        for (int f = 1, before = match.pieceX; f <= 18; ++f, before = match.pieceX) {
            InputFrames({key::kRight});
            if (match.pieceX != before) moved.push_back(f);
        }
        EXPECT_EQ(moved, k.frames) << "case " << &k - cases;
    }
}

}  // namespace
