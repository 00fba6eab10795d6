// movement_test.cpp - sideways moves and their repeat timing, the soft drop,
// rotation with its kicks, the hard drop with its refusal, the debounce of hard drop
// and hold, and the landing point.
#include <algorithm>

#include "tests/game/match/match_fixture.h"
#include "match/round_frame.h"

namespace {

class MovementTest : public MatchTest {};

struct KickCase {
    const char* what;
    int kind, rotation, x, y;  // the piece before the turn (button 0x10)
    Cells blocks;              // garbage cells (column, row)
    int newRotation, newX, newY;
};

TEST_F(MovementTest, RotationKicksOffWallsFloorAndStack) {
    const KickCase cases[] = {
        {"flat bar at the spawn place turns upright in place", 0, 0, 4, 0, {}, 1, 4, 0},
        {"right wall: (+1,0) and (+2,0) fail, (-1,0) fits", 1, 3, 9, 5, {}, 0, 8, 5},
        {"right wall with (-1,0) blocked: (-2,0)", 1, 3, 9, 5, {{8, 7}}, 0, 7, 5},
        {"left wall: (+1,0)", 1, 1, 0, 5, {}, 2, 1, 5},
        {"(+2,0) is tried before (-1,0)", 1, 1, 4, 5, {{6, 6}, {7, 6}}, 2, 6, 5},
        {"upright bar in column 1: shifted left is blocked, (+2,0) fits", 0, 1, -1, 5, {}, 2, 1, 5},
        {"on the stack every sideways and downward kick fails: (0,-1)",
         3,
         1,
         4,
         18,
         {{4, 20}, {6, 20}},
         2,
         4,
         17},
        {"bar on the floor is pulled two rows up",
         0,
         0,
         5,
         19,
         {{5, 18}, {6, 18}, {8, 18}, {9, 18}, {7, 16}},
         1,
         5,
         17},
        {"bar near the left side is pulled two columns left",
         0,
         0,
         3,
         10,
         {{5, 13}, {4, 13}, {2, 13}, {1, 13}, {3, 14}, {3, 9}},
         1,
         1,
         10},
        // Literal reading kept: the kicks run from the shifted place even when the
        // shape already fits there.
        {"kicks are tried from the shifted place", 0, 1, 3, 5, {{6, 6}}, 2, 2, 5},
    };
    for (const KickCase& k : cases) {
        SCOPED_TRACE(k.what);
        InitRound(0);
        for (auto [c, r] : k.blocks) match.well[r][c] = CellGarbage;
        Place(k.kind, k.rotation, k.x, k.y);
        RotatePiece(kButtonRotateNext);
        EXPECT_EQ(Piece(), (Ints{k.kind, k.newRotation, k.newX, k.newY}));
    }
}

TEST_F(MovementTest, ARotationThatFitsNowhereChangesNothingButSounds) {
    Place(0, 0, 4, 10);  // flat in row 11, columns 4..7, buried
    for (int r = 5; r <= 20; ++r) FillRow(r, CellGarbage);
    FillRow(11, CellGarbage, {4, 5, 6, 7});
    PieceMatrix before;
    memcpy(before, match.pieceMatrix, sizeof before);
    RotatePiece(kButtonRotateNext);
    RotatePiece(kButtonRotatePrevious);
    EXPECT_EQ(Piece(), (Ints{0, 0, 4, 10}));
    EXPECT_EQ(memcmp(before, match.pieceMatrix, sizeof before), 0);
    EXPECT_EQ(spy::calls.effects[kEffectRotation], 2);
}

TEST_F(MovementTest, RotationButtonsTurnOncePerPressAndTogetherDoNothing) {
    Place(2, 0, 4, 5);
    InputFrame({key::kZ, key::kX}, 5);
    EXPECT_EQ(match.rotation, 0);
    EXPECT_EQ(spy::calls.effects[kEffectRotation], 0) << "not even the sound";
    EXPECT_FALSE(match.input.buttonLatch);
    InputFrame({key::kZ});
    EXPECT_EQ(match.rotation, 1) << "the pair set no latch";
    InputFrame({key::kZ}, 2);
    EXPECT_EQ(match.rotation, 1) << "held: no second turn";
    InputFrame({});
    InputFrame({key::kX});
    EXPECT_EQ(match.rotation, 0);
    EXPECT_EQ(spy::calls.effects[kEffectRotation], 2);
}

TEST_F(MovementTest, HardDropAndHoldFireOnTheThirdFrameOfOneSharedCount) {
    Place(6, 0, 4, 0);
    InputFrame({key::kC}, 2);
    EXPECT_FALSE(match.dropped);
    InputFrame({key::kC});
    EXPECT_TRUE(match.dropped);
    EXPECT_EQ(match.pieceY, 18) << "the square rests on the floor";
    InputFrame({key::kC}, 3);
    EXPECT_EQ(match.input.buttonDebounce, 0) << "latched until the button is released";

    Place(6, 0, 4, 7);
    match.dropped = false;
    match.nextKinds[0] = 2;
    InputFrame({});
    InputFrame({key::kA}, 2);
    InputFrame({});
    EXPECT_EQ(match.holdKind, -1);
    EXPECT_EQ(match.input.buttonDebounce, 2) << "the count stays after the release";
    InputFrame({key::kC});
    EXPECT_TRUE(match.dropped) << "two frames of hold and one of drop make three";
    InputFrame({});
    InputFrame({key::kA}, 3);
    EXPECT_EQ(match.holdKind, 6);
    EXPECT_EQ(Piece(), (Ints{2, 0, 4, 0}));
    EXPECT_EQ(spy::calls.effects[kEffectScreenShot], 1);
}

TEST_F(MovementTest, AHoldRefusedByATakenSpawnPlaceMakesNoSoundAndKeepsTheCount) {
    SetQueue(1, 2, 3);
    Place(5, 2, 4, 9);
    match.well[1][5] = CellGarbage;  // where kind 1 would enter
    InputFrame({key::kA}, 4);
    EXPECT_EQ(match.holdKind, -1);
    EXPECT_EQ(spy::calls.effects[kEffectScreenShot], 0);
    EXPECT_FALSE(match.input.buttonLatch);
    match.well[1][5] = CellEmpty;
    InputFrame({key::kA});
    EXPECT_EQ(match.holdKind, 5) << "the count was kept: the hold fires at once";
    EXPECT_EQ(spy::calls.effects[kEffectScreenShot], 1);
    EXPECT_TRUE(match.input.buttonLatch);
}

TEST_F(MovementTest, HardDropBonusGaugeAndTheLevelTwentyFiveRefusal) {
    struct {
        int level, gauge;
        bool byPlayer, drops;
        int bonus, gaugeAfter;
    } const cases[] = {
        {1, 100, true, true, 157, 0}, {1, 257, false, true, 0, 257}, {25, 49, true, false, 3, 49},
        {25, 50, true, true, 207, 0}, {24, 10, true, true, 247, 0},  {21, 263, true, true, 0, 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << "level " << k.level << " gauge " << k.gauge);
        Place(6, 0, 4, 0);
        match.level = k.level, match.fallGauge = k.gauge, match.dropBonus = 3;
        match.dropped = false;
        HardDrop(k.byPlayer);
        EXPECT_EQ(match.dropped, k.drops);
        EXPECT_EQ(match.pieceY, k.drops ? 18 : 0);
        EXPECT_EQ(match.dropBonus, k.bonus);
        EXPECT_EQ(match.fallGauge, k.gaugeAfter);
    }
    Place(6, 0, 4, 0);
    match.well[15][5] = CellGarbage;
    HardDrop(true);
    EXPECT_EQ(match.pieceY, 12) << "the square stops on the block in row 15";
    for (auto [c, r] : PieceCells()) EXPECT_EQ(match.well[r][c], CellEmpty) << "left erased";
}

TEST_F(MovementTest, SidewaysRepeatTimingForEverySensitivity) {
    struct {
        int sensitivity, repeatBefore;
        bool latched;             // a lock happened while the direction was held
        std::vector<int> frames;  // frames of the hold (from 1) on which the piece moves
    } const cases[] = {
        {3, 3, false, {1, 4, 7, 10, 13, 16}},   {4, 4, false, {1, 5, 9, 13, 17}},
        {5, 5, false, {1, 6, 11, 16}},          {5, 1, false, {5, 10, 15}},
        {6, 0, false, {1, 14, 15, 16, 17, 18}}, {4, 10, true, {}},
        {6, 0, true, {14, 15, 16, 17, 18}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &k - cases);
        InputFrame({});
        gameSettings.MoveSensitivity = k.sensitivity;
        match.input.moveRepeat = k.repeatBefore, match.moveLatch = k.latched;
        Place(6, 0, 1, 5);
        std::vector<int> moved;
        for (int f = 1; f <= 18; ++f) {
            const int before = match.pieceX;
            InputFrame({key::kRight});
            if (match.pieceX != before) moved.push_back(f);
        }
        EXPECT_EQ(moved, k.frames);
        InputFrame({});
        EXPECT_FALSE(match.moveLatch);
        EXPECT_EQ(match.input.moveHeld, 0);
        const int before = match.pieceX;
        match.input.moveRepeat = k.sensitivity;
        InputFrame({key::kLeft});
        EXPECT_EQ(match.pieceX, before - 1) << "a new press moves at once";
    }
}

TEST_F(MovementTest, BlockedMovesAndSoftDropNeverLock) {
    Place(6, 0, 0, 5);  // square in columns 1 and 2
    EXPECT_TRUE(MovePiece(kDirLeft));
    EXPECT_EQ(match.pieceX, 0);
    EXPECT_FALSE(MovePiece(kDirRight));
    EXPECT_EQ(match.pieceX, 1);
    EXPECT_TRUE(MovePiece(kDirUp)) << "up moves nothing";
    EXPECT_EQ(match.pieceY, 5);
    script::SetKey(key::kDown, true);
    for (int f = 0; f < 200; ++f) {
        script::AdvanceMs(17);
        StepFrameRules();
        ASSERT_FALSE(match.gameOver);
        EndFrameRules();
        ASSERT_FALSE(match.lockPending || match.dropped) << "frame " << f;
        if (f == 4) {
            EXPECT_EQ(match.pieceY, 10) << "one row every frame, before gravity";
        }
    }
    EXPECT_EQ(Row(20), "#.77.......#");
}

TEST_F(MovementTest, TheLandingPointIsTheLowestRowStraightBelow) {
    Place(1, 0, 4, 2);  // "XXX." over "X...": columns 4..6
    match.well[15][6] = CellGarbage;
    FillRow(20, CellGarbage, {2});
    ComputeGhost();
    int blocks = 0;
    for (const auto& row : match.ghostWell) blocks += std::count(row, row + kWellColumns, 2);
    EXPECT_EQ(blocks, 4);
    // Column 6 is blocked at row 15, so the box stops at row 13.
    for (auto [c, r] : Cells{{4, 14}, {5, 14}, {6, 14}, {4, 15}})
        EXPECT_EQ(match.ghostWell[r][c], 2) << c << "," << r;
    EXPECT_EQ(match.well[14][4], CellEmpty) << "the well itself is not touched";
}

}  // namespace
