// lock_test.cpp - the lock after a drop: full rows, points and lines, the combo
// window, level-ups, level music, vibration, attack lines and rows pushed in.
#include <numeric>

#include "match/attack.h"
#include "match/level_music.h"
#include "match/locking.h"
#include "match/scoring.h"
#include "match/vibration.h"
#include "tests/game/match/match_fixture.h"

namespace {

class LockTest : public MatchTest {};

TEST_F(LockTest, FullRowsGoInOneLockWhereverTheyAreAndWallsNeverCount) {
    FillRow(20, 4);
    match.well[20][5] = CellWall;
    EXPECT_EQ(ClearLines(), 0) << "a wall value never counts as a block";
    FillRow(20, CellGarbage);
    FillRow(19, 3, {1});
    FillRow(18, 5);
    FillRow(17, 2, {10});
    match.well[16][4] = 6;
    FillRow(0, 7);
    EXPECT_EQ(ClearLines(), 3);
    EXPECT_EQ(Row(18) + Row(19) + Row(20), "#...6......##222222222.##.333333333#");
    for (int r = 0; r <= 17; ++r) EXPECT_EQ(Row(r), "#..........#") << "row " << r;
}

TEST_F(LockTest, PointsLinesSoundsAndAttackOfAClear) {
    // {level, combo before, clear round, rows, lines before, score, lines, network play,
    // attack, combo bar after}: 100, 500, 2000 or 10000 points plus as many times 20 x
    // level x combo / 100; a clear round counts a four-row clear 1 more, or combo + 1
    // more from combo 2 on. Only in network play, and only from the second clear of a
    // combo, are the rows sent as attack. Each row gives the combo bar (at 200) sixty
    // frames back, never below zero.
    const int cases[][10] = {
        {1, 0, 0, 1, 0, 120, 1, 1, 0, 140},
        {3, 0, 0, 2, 0, 800, 2, 0, 0, 80},
        {3, 0, 0, 3, 0, 3200, 3, 0, 0, 20},
        {10, 1, 0, 4, 0, 50000, 4, 1, 4, 0},
        {5, 0, 1, 4, 0, 20000, 5, 0, 0, 0},
        {5, 2, 1, 4, 0, 40000, 8, 1, 4, 0},
        {5, 2, 1, 3, 0, 8000, 3, 0, 0, 20},
        {1, 0, 0, 0, 0, 0, 0, 1, 0, 200},
        {30, 2000000000, 0, 4, 998, 9999999, 999, 0, 0, 0},
    };
    for (const auto& k : cases) {
        InitRound(0);
        spy::calls = {};
        match.level = k[0], match.combo = k[1], match.clearMode = k[2], match.lines = k[4];
        match.netMode = k[7], match.comboBarValue = 200;
        for (int r = 0; r < k[3]; ++r) FillRow(20 - r, 4);
        EXPECT_EQ(ClearLines(), k[3]);
        const int sound = spy::calls.effects[k[3] == 4 ? kEffectQuartet : kEffectDeleteLine];
        EXPECT_EQ(Ints({match.combo - k[1], match.score, match.lines, sound,
                        std::accumulate(spy::calls.effects, std::end(spy::calls.effects), 0),
                        match.outgoingAttack, match.comboBarValue}),
                  Ints({k[3] > 0, k[5], k[6], k[3] > 0, k[3] > 0, k[8], k[9]}))
            << "case " << &k - cases;
    }
}

TEST_F(LockTest, AfterAFrameTheDropLocksAndTheRoundIsLostWhenTheNextPieceDoesNotFit) {
    match.lockPending = true, match.level = 10, match.netMode = 1;
    match.well[2][5] = CellGarbage;  // under the square's spawn place
    EndFrameRules();
    EXPECT_EQ(Ints({match.gameOver, match.lockPending, spy::calls.bgms}), Ints({1, 0, 0}))
        << "no level music in network play";
    match.clearMode = 1, match.lines = 49;
    EXPECT_FALSE(ClearGoalReached());
    match.lines = 50;
    EXPECT_TRUE(ClearGoalReached());
}

TEST_F(LockTest, TheComboWindowLasts257FramesAndMaxComboIsTakenWhenItCloses) {
    FillRow(20, 4);
    ClearLines();
    for (int f = 1; f <= 256; ++f) UpdateComboBar();
    EXPECT_EQ(Ints({match.comboActive, match.comboBarValue, match.maxCombo}), Ints({1, 256, 0}));
    UpdateComboBar();
    EXPECT_EQ(Ints({match.comboActive, match.combo, match.comboBarValue, match.maxCombo}),
              Ints({0, 0, 0, 1}));
    for (int combo : {3, 2}) {  // a smaller combo does not lower it
        match.comboActive = true, match.combo = combo, match.comboBarValue = 256;
        UpdateComboBar();
        EXPECT_EQ(Ints({match.comboActive, match.maxCombo}), Ints({0, 3}));
    }
}

TEST_F(LockTest, EachDifficultyClimbsToItsCapOneLevelUpAFrame) {
    const int caps[] = {9, 19, 30, 30};
    // Values from a damaged settings file count as the nearest difficulty.
    for (int setting : {0, 1, 2, 3, -7, 12}) {
        const int difficulty = setting < 0 ? 0 : setting > 3 ? 3 : setting;
        gameSettings.Difficulty = setting;
        InitRound(0);
        spy::calls = {};
        match.lines = 999;
        Ints levels = {match.level};
        for (int frame = 0; frame < 40; ++frame) {
            CheckLevelUp();
            if (match.level != levels.back()) levels.push_back(match.level);
        }
        // Difficulty 2 climbs two levels a time to 25 (1, 3, .. 25), then one; every
        // level gained plays the voice and the effect.
        const int steps = caps[difficulty] - 1;
        EXPECT_EQ(Ints({levels.back(), int(levels.size()), spy::calls.voices,
                        spy::calls.effects[kEffectLevelUp]}),
                  Ints({caps[difficulty], difficulty == 2 ? 18 : caps[difficulty], steps, steps}))
            << "difficulty " << difficulty;
    }
    // {network, level, lines, level after two checks}
    for (const auto& k : {Ints{0, 4, 39, 4}, Ints{0, 4, 40, 5}, Ints{1, 10, 500, 10}}) {
        match.netMode = k[0], match.level = k[1], match.lines = k[2];
        CheckLevelUp();
        CheckLevelUp();
        EXPECT_EQ(match.level, k[3]) << "level " << k[1] << ", " << k[2] << " lines";
    }
}

TEST_F(LockTest, LevelMusicChangesOncePerProgramRunAndVibrationFollowsTheLocks) {
    SetLevelMusic(10);
    match.backgroundIndex = 1;  // a later round of the same run
    SetLevelMusic(10);
    EXPECT_EQ(Ints({match.backgroundIndex, spy::calls.bgms, spy::calls.lastBgm}), Ints({1, 1, 2}));
    LockPiece();
    EXPECT_EQ(spy::calls.vibrationStarts + spy::calls.vibrationStops, 0) << "setting off";
    gameSettings.PadVibration = true;
    // {ms passed, rows (9: a lock without a clear), length after, starts, stops, power}:
    // a longer vibration is kept; each stops when it is due.
    const int steps[][6] = {{0, 9, 100, 1, 0, 600},  {99, -1, 100, 1, 0, 600},
                            {1, -1, 0, 1, 1, 600},   {0, 4, 500, 2, 1, 1000},
                            {0, 1, 500, 2, 1, 1000}, {500, 2, 0, 2, 2, 1000},
                            {0, 2, 300, 3, 2, 500}};
    for (const auto& k : steps) {
        script::AdvanceMs(k[0]);
        k[1] == 9 ? LockPiece() : UpdateVibration(k[1]);
        EXPECT_EQ(Ints({match.vibrationLength, spy::calls.vibrationStarts,
                        spy::calls.vibrationStops, spy::calls.lastPower}),
                  Ints({k[2], k[3], k[4], k[5]}))
            << "step " << &k - steps;
    }
}

// The number of rows that are garbage with exactly one gap; their gap columns as bits.
int PushedInRows(int* gapColumns = nullptr) {
    int rows = 0;
    for (int r = 0, garbage = 0, gap = 0; r <= kLastPlayRow; ++r, garbage = 0) {
        for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c) {
            garbage += match.well[r][c] == CellGarbage;
            gap = match.well[r][c] == CellEmpty ? c : gap;
        }
        rows += garbage == kPlayColumns - 1;
        if (garbage == kPlayColumns - 1 && gapColumns) *gapColumns |= 1 << gap;
    }
    return rows;
}

TEST_F(LockTest, RowsPushedInHaveOneGapEachAndPushTheWellUp) {
    int gapColumns = 0;
    for (int round = 0; round < 40; ++round) {
        script::AdvanceMs(17);  // each round seeds the generator with a new tick
        InitRound(0);
        FillRow(0, 3, {1});  // pushed over the top and lost
        match.well[20][5] = 6;
        InsertRows(7);
        ASSERT_EQ(PushedInRows(&gapColumns), 5) << "at most five rows at once";
        ASSERT_EQ(Row(15), "#....6.....#");
    }
    EXPECT_EQ(gapColumns, 0x7FE) << "gaps in every column 1..10";
    EXPECT_EQ(spy::calls.effects[kEffectAddLine], 40);
}

TEST_F(LockTest, ALockScoresTheDropPushesRowsInSpawnsTheNextPieceAndLatchesTheMove) {
    // {difficulty, level, periodic count before, pending, rows pushed in, sounds,
    // periodic count after, score}: the drop scores level x bonus / 10; at most five
    // rows pushed in, the rest lost; nothing pending, no sound; in difficulty 3 a
    // periodic row every ten locks beside the pending ones, due at any level but
    // counted from level 10 in every difficulty.
    const int cases[][8] = {{0, 1, 0, 7, 5, 1, 0, 25},    {0, 1, 0, 0, 0, 0, 0, 25},
                            {3, 10, 10, 2, 3, 2, 1, 255}, {3, 10, 9, 0, 0, 0, 10, 255},
                            {3, 9, 10, 0, 1, 1, 0, 229},  {2, 12, 30, 0, 0, 0, 31, 306}};
    for (const auto& k : cases) {
        InitRound(0);
        spy::calls = {};
        gameSettings.Difficulty = k[0];
        match.level = k[1], match.periodicRowCount = k[2], match.pendingGarbage = k[3];
        match.dropBonus = 255, match.lockPending = match.landedSoundPlayed = true;
        Place(3, 2, 4, 18);
        const int next = match.nextKinds[0];
        LockPiece();
        EXPECT_EQ(Ints({PushedInRows(), spy::calls.effects[kEffectAddLine], match.pendingGarbage,
                        match.periodicRowCount, match.score, match.pieceKind, match.rotation,
                        match.pieceX, match.pieceY, match.lockPending, match.landedSoundPlayed,
                        match.moveLatch, spy::calls.effects[kEffectBlockLanding]}),
                  Ints({k[4], k[5], 0, k[6], k[7], next, 0, 4, 0, 0, 0, 1, 1}))
            << "case " << &k - cases;
    }
}

}  // namespace
