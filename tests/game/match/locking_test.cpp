// locking_test.cpp - the lock after a drop: full rows, points, lines, the combo
// window, level-ups, level music and vibration.
#include "match/level_music.h"
#include "match/locking.h"
#include "match/scoring.h"
#include "match/vibration.h"
#include "tests/game/match/match_fixture.h"

namespace {

class LockingTest : public MatchTest {};

TEST_F(LockingTest, SeparateFullRowsGoInOneLockAndWallsNeverCount) {
    FillRow(20, 4);
    match.well[20][5] = CellWall;
    EXPECT_EQ(ClearLines(), 0) << "a wall value never counts as a block";
    EXPECT_EQ(match.combo, 0);
    FillRow(20, CellGarbage);
    FillRow(19, 3, {1});
    FillRow(18, 5);
    FillRow(17, 2, {10});
    match.well[16][4] = 6;
    FillRow(0, 7);
    EXPECT_EQ(ClearLines(), 3);
    EXPECT_EQ(Row(20), "#.333333333#");
    EXPECT_EQ(Row(19), "#222222222.#");
    EXPECT_EQ(Row(18), "#...6......#");
    for (int r = 0; r <= 17; ++r) EXPECT_EQ(Row(r), "#..........#") << "row " << r;
    EXPECT_EQ(Row(21), "############");
    EXPECT_TRUE(match.combo == 1 && match.comboActive);
}

TEST_F(LockingTest, PointsLinesAndSoundsOfAClear) {
    const int kMaxCombo = 2000000000;
    struct {
        int level, comboBefore, clearMode, rows, scoreBefore, linesBefore;
        int score, lines, sound;  // sound -1: none
    } const cases[] = {
        {1, 0, 0, 1, 0, 0, 120, 1, kEffectDeleteLine},  // 100 + 20 x 1 x 1
        {10, 1, 0, 4, 0, 0, 10000 + 100 * 400, 4, kEffectQuartet},
        {3, 0, 0, 2, 0, 0, 500 + 5 * 60, 2, kEffectDeleteLine},
        {3, 0, 0, 3, 0, 0, 2000 + 20 * 60, 3, kEffectDeleteLine},
        {1, 0, 0, 0, 0, 0, 0, 0, -1},
        {5, 0, 1, 4, 0, 0, 10000 + 100 * 100, 5, kEffectQuartet},   // clear round, combo 1: +1
        {5, 1, 1, 4, 0, 0, 10000 + 100 * 200, 7, kEffectQuartet},   // combo 2: +3
        {5, 2, 1, 4, 0, 0, 10000 + 100 * 300, 8, kEffectQuartet},   // combo 3: +4
        {5, 2, 1, 3, 0, 0, 2000 + 20 * 300, 3, kEffectDeleteLine},  // only quads count extra
        {5, 2, 0, 4, 0, 0, 10000 + 100 * 300, 4, kEffectQuartet},   // not outside a clear round
        {30, kMaxCombo, 0, 4, 0, 0, 9999999, 4, kEffectQuartet},    // no overflow, clamped
        {30, 0, 0, 4, 9999999, 998, 9999999, 999, kEffectQuartet},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &k - cases);
        InitRound(0);
        spy::Reset();
        match.level = k.level, match.combo = k.comboBefore, match.clearMode = k.clearMode;
        match.score = k.scoreBefore, match.lines = k.linesBefore;
        for (int r = 0; r < k.rows; ++r) FillRow(20 - r, 4);
        EXPECT_EQ(ClearLines(), k.rows);
        EXPECT_EQ(match.combo, k.comboBefore + (k.rows > 0 ? 1 : 0));
        EXPECT_EQ(match.score, k.score);
        EXPECT_EQ(match.lines, k.lines);
        EXPECT_EQ(spy::TotalEffects(), k.sound < 0 ? 0 : 1);
        EXPECT_EQ(k.sound < 0 || spy::calls.effects[k.sound] == 1, true);
    }
}

TEST_F(LockingTest, TheLockScoresTheDropAndSpawnsTheNextPiece) {
    match.level = 7, match.dropBonus = 250;
    match.lockPending = match.landedSoundPlayed = true;
    Place(3, 0, 4, 18);
    LockPiece();
    EXPECT_EQ(match.score, 175);
    EXPECT_EQ(Piece(), (Ints{6, 0, 4, 0}));
    EXPECT_FALSE(match.lockPending || match.landedSoundPlayed);
    EXPECT_TRUE(match.moveLatch);
    EXPECT_EQ(spy::calls.effects[kEffectBlockLanding], 1);
    EXPECT_EQ(spy::TotalEffects(), 1) << "no clear, nothing pushed in";
    match.dropBonus = 0;
    LockPiece();
    EXPECT_EQ(match.score, 175) << "a forced drop earns nothing";
}

TEST_F(LockingTest, TheComboWindowLasts257FramesAndMaxComboIsTakenWhenItCloses) {
    FillRow(20, 4);
    ClearLines();
    for (int f = 1; f <= 256; ++f) {
        UpdateComboBar();
        ASSERT_TRUE(match.comboActive) << "frame " << f;
        ASSERT_EQ(match.comboBarValue, f);
        ASSERT_EQ(match.maxCombo, 0) << "still open";
    }
    UpdateComboBar();
    EXPECT_FALSE(match.comboActive);
    EXPECT_EQ(match.combo + match.comboBarValue, 0);
    EXPECT_EQ(match.maxCombo, 1);

    // Each row cleared gives sixty frames back, never below zero.
    match.comboActive = true, match.combo = 1, match.comboBarValue = 200;
    FillRow(19, 4);
    FillRow(20, 4);
    ClearLines();
    EXPECT_EQ(match.comboBarValue, 80);
    FillRow(20, 4);
    FillRow(19, 4);
    ClearLines();
    EXPECT_EQ(match.comboBarValue, 0);
    EXPECT_EQ(match.combo, 3);
    for (int f = 0; f < 256; ++f) UpdateComboBar();
    EXPECT_EQ(match.maxCombo, 1);
    UpdateComboBar();
    EXPECT_EQ(match.maxCombo, 3);
    match.comboActive = true, match.combo = 2, match.comboBarValue = 256;
    UpdateComboBar();
    EXPECT_EQ(match.maxCombo, 3) << "a smaller combo does not lower it";
}

TEST_F(LockingTest, EachDifficultyClimbsToItsCap) {
    const std::vector<int> expected[4] = {
        {1, 2, 3, 4, 5, 6, 7, 8, 9},
        {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19},
        {1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 26, 27, 28, 29, 30},
        {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
         16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30},
    };
    for (int difficulty = 0; difficulty < 4; ++difficulty) {
        gameSettings.Difficulty = difficulty;
        InitRound(0);
        spy::Reset();
        match.lines = 999;
        std::vector<int> levels = {match.level};
        for (int frame = 0; frame < 100; ++frame) {
            CheckLevelUp();
            if (match.level != levels.back()) levels.push_back(match.level);
        }
        EXPECT_EQ(levels, expected[difficulty]) << "difficulty " << difficulty;
        const int steps = levels.back() - 1;
        EXPECT_EQ(spy::calls.voices, steps) << "one voice per step";
        EXPECT_EQ(spy::calls.effects[kEffectLevelUp], steps);
    }
    EXPECT_TRUE(match.levelUpShow);
}

TEST_F(LockingTest, ALevelNeedsTenLinesPerLevelAndNetworkRoundsStay) {
    gameSettings.Difficulty = 3;
    // {network, level, lines, level after two checks}
    const int cases[][4] = {{0, 4, 39, 4}, {0, 4, 40, 5}, {1, 10, 500, 10}};
    for (const auto& k : cases) {
        match.netMode = k[0], match.level = k[1], match.lines = k[2];
        CheckLevelUp();
        CheckLevelUp();
        EXPECT_EQ(match.level, k[3]) << "level " << k[1] << ", " << k[2] << " lines";
    }
}

TEST_F(LockingTest, LevelMusicChangesOnlyOncePerProgramRun) {
    // {level, background after, music played (-2: none)}, in this order; the second
    // visit to level 10 is a later round of the same run.
    const int steps[][3] = {{5, 2, -2},  {10, 3, 2},  {10, 1, -2}, {20, 5, 3}, {25, 6, 7},
                            {30, 7, -2}, {15, 4, -2}, {12, 4, -2}, {20, 4, -2}};
    for (const auto& k : steps) {
        SCOPED_TRACE(testing::Message() << "level " << k[0]);
        if (k[1] == 1) {
            match.backgroundIndex = 1;
            InitRound(0);
        }
        const int bgms = spy::calls.bgms;
        SetLevelMusic(k[0]);
        EXPECT_EQ(match.backgroundIndex, k[1]);
        EXPECT_EQ(spy::calls.bgms - bgms, k[2] == -2 ? 0 : 1);
        EXPECT_EQ(k[2] == -2 || spy::calls.lastBgm == k[2], true);
    }
}

TEST_F(LockingTest, LockVibrationsByRowsClearedAndTheStopWhenTheyAreDue) {
    LockPiece();
    EXPECT_EQ(spy::calls.vibrationStarts + spy::calls.vibrationStops, 0) << "setting off";
    gameSettings.PadVibration = true;
    // {ms passed, rows (9: a lock without a clear), length after, starts, stops, power}
    const int steps[][6] = {
        {0, 9, 100, 1, 0, 600},  {99, -1, 100, 1, 0, 600}, {1, -1, 0, 1, 1, 600},
        {0, 4, 500, 2, 1, 1000}, {0, 1, 500, 2, 1, 1000},  // a longer one is kept
        {0, 4, 500, 3, 1, 1000}, {500, 2, 0, 3, 2, 1000},  // the quad's time was up
        {0, 2, 300, 4, 2, 500},  {0, 3, 300, 4, 2, 500},
    };
    for (const auto& k : steps) {
        SCOPED_TRACE(testing::Message() << "rows " << k[1] << " after " << k[0] << " ms");
        script::AdvanceMs(k[0]);
        if (k[1] == 9) {
            LockPiece();
        } else {
            UpdateVibration(k[1]);
        }
        EXPECT_EQ(match.vibrationLength, k[2]);
        EXPECT_EQ(spy::calls.vibrationStarts, k[3]);
        EXPECT_EQ(spy::calls.vibrationStops, k[4]);
        EXPECT_EQ(spy::calls.lastPower, k[5]);
    }
}

}  // namespace
