// locking_test.cpp - the lock after a drop: full rows, points, lines, the combo
// window, level-ups, level music, vibration, and the rows pushed in from below.
#include <gtest/gtest.h>

#include "game/match/attack.h"
#include "game/match/level_music.h"
#include "game/match/locking.h"
#include "game/match/match_state.h"
#include "game/match/scoring.h"
#include "game/match/vibration.h"
#include "game/shell/assets.h"
#include "tests/game/match/match_fixture.h"

namespace {

class LockingTest : public MatchTest {
protected:
    void SetUp() override {
        MatchTest::SetUp();
        match.nextKinds[0] = 6;  // the square, spawned at (4, 0)
        match.nextKinds[1] = 1;
        match.nextKinds[2] = 2;
    }
};

// ---- full rows ----

TEST_F(LockingTest, TwoSeparateFullRowsGoInOneLockAndTheRestMovesDown) {
    FillRow(20, CellGarbage);
    FillRow(19, 3, {1});
    FillRow(18, 5);
    FillRow(17, 2, {10});
    match.well[16][4] = 6;
    Place(6, 0, 4, 0);
    const int cleared = ClearLines();
    EXPECT_EQ(cleared, 2);
    EXPECT_EQ(Row(20), "#.333333333#");
    EXPECT_EQ(Row(19), "#222222222.#");
    EXPECT_EQ(Row(18), "#...6......#");
    for (int r = 0; r <= 17; ++r) EXPECT_EQ(Row(r), "#..........#") << "row " << r;
    EXPECT_EQ(Row(21), "############");
    EXPECT_EQ(match.combo, 1);
    EXPECT_TRUE(match.comboActive);
}

TEST_F(LockingTest, WallsNeverMakeARowFullAndTheTopRowEmptiesAfterAClear) {
    FillRow(20, 4);
    match.well[20][10] = CellEmpty;
    EXPECT_EQ(ClearLines(), 0);
    EXPECT_EQ(match.combo, 0);
    FillRow(0, 7);
    FillRow(20, 4);
    EXPECT_EQ(ClearLines(), 2);
    EXPECT_EQ(Row(0), "#..........#");
    EXPECT_EQ(Row(20), "#..........#");
}

TEST_F(LockingTest, ClearSoundsDependOnTheRowsCleared) {
    FillRow(20, 4);
    ClearLines();
    EXPECT_EQ(spy::EffectCount(kEffectDeleteLine), 1);
    for (int r = 17; r <= 20; ++r) FillRow(r, 4);
    ClearLines();
    EXPECT_EQ(spy::EffectCount(kEffectQuartet), 1);
    EXPECT_EQ(spy::EffectCount(kEffectDeleteLine), 1);
    ClearLines();
    EXPECT_EQ(spy::TotalEffects(), 2) << "no clear, no clear sound";
}

// ---- points and lines ----

TEST_F(LockingTest, FirstSingleAtLevelOneScores120) {
    FillRow(20, 4);
    ClearLines();
    EXPECT_EQ(match.score, 120);
    EXPECT_EQ(match.lines, 1);
}

TEST_F(LockingTest, QuadAtLevelTenWithComboTwoScores50000) {
    match.level = 10;
    match.combo = 1;
    match.comboActive = true;
    for (int r = 17; r <= 20; ++r) FillRow(r, 4);
    ClearLines();
    EXPECT_EQ(match.combo, 2);
    EXPECT_EQ(match.score, 10000 + 100 * 400);
    EXPECT_EQ(match.lines, 4);
}

TEST_F(LockingTest, DoublesAndTriplesFollowTheBaseTimesBonusRule) {
    match.level = 3;  // m = 20 x 3 x 1 = 60 at combo 1
    AddScoreForLines(0);
    EXPECT_EQ(match.score, 0);
    match.combo = 1;
    AddScoreForLines(2);
    EXPECT_EQ(match.score, 500 + 5 * 60);
    AddScoreForLines(3);
    EXPECT_EQ(match.score, 800 + 2000 + 20 * 60);
    EXPECT_EQ(match.lines, 5);
}

TEST_F(LockingTest, ScoreAndLinesStopAtTheirLimitsEvenForHugeCombos) {
    match.level = 30;
    match.combo = 2000000000;
    AddScoreForLines(4);
    EXPECT_EQ(match.score, 9999999);
    match.lines = 998;
    match.combo = 1;
    AddScoreForLines(4);
    EXPECT_EQ(match.lines, 999);
    EXPECT_EQ(match.score, 9999999);
}

TEST_F(LockingTest, ClearRoundQuadsEarnBonusLinesByCombo) {
    match.clearMode = 1;
    match.combo = 1;
    AddScoreForLines(4);
    EXPECT_EQ(match.lines, 5) << "combo 1: one extra line";
    match.combo = 3;
    AddScoreForLines(4);
    EXPECT_EQ(match.lines, 5 + 8) << "combo 3: combo + 1 extra lines";
    match.combo = 3;
    AddScoreForLines(3);
    EXPECT_EQ(match.lines, 16) << "only quads earn extra lines";
    match.clearMode = 0;
    match.combo = 3;
    AddScoreForLines(4);
    EXPECT_EQ(match.lines, 20) << "no extra lines outside a clear round";
}

TEST_F(LockingTest, TheLockAddsTheDropBonusTimesTheLevel) {
    match.level = 7;
    match.dropBonus = 250;
    Place(6, 0, 4, 18);
    LockPiece();
    EXPECT_EQ(match.score, 175);
    match.dropBonus = 0;
    LockPiece();
    EXPECT_EQ(match.score, 175) << "a forced drop earns nothing";
}

TEST_F(LockingTest, LockSpawnsTheNextPieceAndResetsItsFlags) {
    match.lockPending = true;
    match.landedSoundPlayed = true;
    LockPiece();
    EXPECT_EQ(match.pieceKind, 6);
    EXPECT_EQ(match.pieceX, 4);
    EXPECT_EQ(match.pieceY, 0);
    EXPECT_EQ(match.nextKinds[0], 1);
    EXPECT_FALSE(match.lockPending);
    EXPECT_FALSE(match.landedSoundPlayed);
    EXPECT_TRUE(match.moveLatch);
    EXPECT_EQ(spy::EffectCount(kEffectBlockLanding), 1);
    EXPECT_EQ(spy::EffectCount(kEffectAddLine), 0) << "nothing pending, nothing pushed in";
}

// ---- the combo window ----

TEST_F(LockingTest, TheComboWindowStaysOpen257FramesAfterTheFirstClear) {
    FillRow(20, 4);
    ClearLines();
    for (int f = 1; f <= 256; ++f) {
        UpdateComboBar();
        ASSERT_TRUE(match.comboActive) << "frame " << f;
        ASSERT_EQ(match.comboBarValue, f);
    }
    UpdateComboBar();
    EXPECT_FALSE(match.comboActive);
    EXPECT_EQ(match.combo, 0);
    EXPECT_EQ(match.comboBarValue, 0);
    EXPECT_EQ(match.maxCombo, 1);
}

TEST_F(LockingTest, EveryRowClearedGivesBackSixtyFramesOfTheWindow) {
    match.comboActive = true;
    match.combo = 1;
    match.comboBarValue = 200;
    FillRow(19, 4);
    FillRow(20, 4);
    ClearLines();
    EXPECT_EQ(match.comboBarValue, 80);
    EXPECT_EQ(match.combo, 2);
    FillRow(20, 4);
    FillRow(19, 4);
    ClearLines();
    EXPECT_EQ(match.comboBarValue, 0) << "never below zero";
}

TEST_F(LockingTest, MaxComboIsTakenOnlyWhenTheWindowCloses) {
    match.maxCombo = 1;
    match.comboActive = true;
    match.combo = 3;
    match.comboBarValue = 250;
    for (int f = 0; f < 6; ++f) UpdateComboBar();
    EXPECT_EQ(match.maxCombo, 1) << "still open";
    UpdateComboBar();
    EXPECT_EQ(match.maxCombo, 3);
    match.comboActive = true;
    match.combo = 2;
    match.comboBarValue = 256;
    UpdateComboBar();
    EXPECT_EQ(match.maxCombo, 3) << "a smaller combo does not lower it";
}

// ---- levels ----

// Gives the player all the lines needed and returns the levels passed through.
std::vector<int> ClimbWithDifficulty(int difficulty) {
    gameSettings.Difficulty = difficulty;
    InitRound(0);
    match.lines = 999;
    std::vector<int> levels = {match.level};
    for (int frame = 0; frame < 100; ++frame) {
        CheckLevelUp();
        if (match.level != levels.back()) levels.push_back(match.level);
    }
    return levels;
}

TEST_F(LockingTest, EachDifficultyCapsTheLevel) {
    EXPECT_EQ(ClimbWithDifficulty(0).back(), 9);
    EXPECT_EQ(ClimbWithDifficulty(1).back(), 19);
    EXPECT_EQ(ClimbWithDifficulty(2).back(), 30);
    EXPECT_EQ(ClimbWithDifficulty(3).back(), 30);
}

TEST_F(LockingTest, DifficultyTwoClimbsInDoubleStepsUpToTwentyFive) {
    std::vector<int> expected = {1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 26, 27, 28, 29, 30};
    EXPECT_EQ(ClimbWithDifficulty(2), expected);
    EXPECT_EQ(spy::VoiceCount(), 29) << "one voice per step";
    EXPECT_EQ(spy::EffectCount(kEffectLevelUp), 29);
    EXPECT_TRUE(match.levelUpShow);
}

TEST_F(LockingTest, ALevelNeedsTenLinesPerLevelAndNetworkRoundsStay) {
    gameSettings.Difficulty = 3;
    match.level = 4;
    match.lines = 39;
    CheckLevelUp();
    EXPECT_EQ(match.level, 4);
    match.lines = 40;
    CheckLevelUp();
    EXPECT_EQ(match.level, 5);
    CheckLevelUp();
    EXPECT_EQ(match.level, 5);
    match.netMode = 1;
    match.level = 10;
    match.lines = 500;
    CheckLevelUp();
    EXPECT_EQ(match.level, 10);
}

TEST_F(LockingTest, LevelMusicChangesOnlyOncePerProgramRun) {
    SetLevelMusic(5);
    EXPECT_EQ(match.backgroundIndex, 2);
    EXPECT_EQ(spy::BgmCount(), 0);
    SetLevelMusic(10);
    EXPECT_EQ(spy::LastBgm(), 2);
    EXPECT_EQ(match.backgroundIndex, 3);
    match.backgroundIndex = 1;  // the next round starts with its own background
    InitRound(0);
    SetLevelMusic(10);
    EXPECT_EQ(spy::BgmCount(), 1);
    EXPECT_EQ(match.backgroundIndex, 1);
    SetLevelMusic(20);
    EXPECT_EQ(spy::LastBgm(), 3);
    EXPECT_EQ(match.backgroundIndex, 5);
    SetLevelMusic(25);
    EXPECT_EQ(spy::LastBgm(), 7);
    EXPECT_EQ(match.backgroundIndex, 6);
    SetLevelMusic(30);
    EXPECT_EQ(match.backgroundIndex, 7);
    SetLevelMusic(15);
    EXPECT_EQ(match.backgroundIndex, 4);
    SetLevelMusic(12);
    EXPECT_EQ(match.backgroundIndex, 4);
    EXPECT_EQ(spy::BgmCount(), 3);
}

// ---- vibration ----

TEST_F(LockingTest, ALockWithoutAClearBuzzesBrieflyWhenVibrationIsOn) {
    gameSettings.PadVibration = true;
    LockPiece();
    EXPECT_EQ(spy::EffectCount(kEffectBlockLanding), 1);
    EXPECT_EQ(spy::LastVibrationPower(), 600);
    EXPECT_EQ(match.vibrationLength, 100);
    script::AdvanceMs(99);
    UpdateVibration(-1);
    EXPECT_EQ(match.vibrationLength, 100);
    EXPECT_EQ(spy::VibrationStops(), 0);
    script::AdvanceMs(1);
    UpdateVibration(-1);
    EXPECT_EQ(match.vibrationLength, 0);
    EXPECT_EQ(spy::VibrationStops(), 1);
}

TEST_F(LockingTest, AQuadVibratesHardestAndWeakerClearsDoNotCutItShort) {
    gameSettings.PadVibration = true;
    UpdateVibration(4);
    EXPECT_EQ(spy::LastVibrationPower(), 1000);
    EXPECT_EQ(match.vibrationLength, 500);
    UpdateVibration(1);
    EXPECT_EQ(spy::VibrationStarts(), 1) << "a running longer vibration is kept";
    UpdateVibration(4);
    EXPECT_EQ(spy::VibrationStarts(), 2) << "a quad always restarts it";
    script::AdvanceMs(500);
    UpdateVibration(2);
    EXPECT_EQ(match.vibrationLength, 0) << "the quad's 500 ms were up: stopped, not restarted";
    EXPECT_EQ(spy::VibrationStops(), 1);
    UpdateVibration(2);
    EXPECT_EQ(spy::LastVibrationPower(), 500);
    EXPECT_EQ(match.vibrationLength, 300);
}

TEST_F(LockingTest, WithoutVibrationTheLockLeavesThePadAlone) {
    LockPiece();
    FillRow(20, 4);
    LockPiece();
    EXPECT_EQ(spy::VibrationStarts(), 0);
    EXPECT_EQ(spy::VibrationStops(), 0);
}

}  // namespace
