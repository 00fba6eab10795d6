// attack_test.cpp - attack lines earned by combos and garbage rows pushed in from
// below, for the opponent's attacks and the periodic rows.
#include <gtest/gtest.h>

#include "game/match/attack.h"
#include "game/match/locking.h"
#include "game/match/match_state.h"
#include "game/match/scoring.h"
#include "game/shell/assets.h"
#include "tests/game/match/match_fixture.h"

namespace {

class AttackTest : public MatchTest {
protected:
    void SetUp() override {
        MatchTest::SetUp();
        match.nextKinds[0] = 6;
        match.nextKinds[1] = 1;
        match.nextKinds[2] = 2;
    }
};

int GapsInRow(int row) {
    int gaps = 0;
    for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c) {
        if (match.well[row][c] == CellEmpty)
            ++gaps;
        else
            EXPECT_EQ(match.well[row][c], CellGarbage);
    }
    return gaps;
}

int GarbageRows() {
    int rows = 0;
    for (int r = 0; r <= kLastPlayRow; ++r) {
        for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c) {
            if (match.well[r][c] == CellGarbage) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

TEST_F(AttackTest, OnlyClearsAfterTheFirstOfAComboAttack) {
    match.netMode = 1;
    FillRow(20, 4);
    ClearLines();
    EXPECT_EQ(match.outgoingAttack, 0) << "the first clear opens the window";
    for (int f = 0; f < 100; ++f) UpdateComboBar();
    FillRow(20, 4);
    ClearLines();
    EXPECT_EQ(match.outgoingAttack, 1);
    for (int r = 17; r <= 20; ++r) FillRow(r, 4);
    ClearLines();
    EXPECT_EQ(match.outgoingAttack, 5);
    ClearLines();
    EXPECT_EQ(match.outgoingAttack, 5) << "a lock without a clear sends nothing";
}

TEST_F(AttackTest, NoAttackOutsideNetworkPlay) {
    match.combo = 4;
    match.comboActive = true;
    FillRow(20, 4);
    ClearLines();
    EXPECT_EQ(match.outgoingAttack, 0);
}

TEST_F(AttackTest, EveryPushedInRowHasExactlyOneGap) {
    int sameColumnPairs = 0;
    int gapColumnsSeen = 0;
    for (int round = 0; round < 60; ++round) {
        script::AdvanceMs(17);  // each round seeds the generator with a new tick
        InitRound(0);
        InsertRows(5);
        int previousGap = -1;
        for (int r = 16; r <= 20; ++r) {
            ASSERT_EQ(GapsInRow(r), 1) << "row " << r;
            for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c) {
                if (match.well[r][c] != CellEmpty) continue;
                gapColumnsSeen |= 1 << c;
                if (c == previousGap) ++sameColumnPairs;
                previousGap = c;
            }
        }
        EXPECT_EQ(Row(15), "#..........#");
    }
    EXPECT_EQ(gapColumnsSeen, 0x7FE) << "gaps fall in every column 1..10";
    EXPECT_GT(sameColumnPairs, 0) << "neighbouring rows may share a gap column";
    EXPECT_EQ(spy::EffectCount(kEffectAddLine), 60);
}

TEST_F(AttackTest, RowsMoveUpAndWhatIsPushedOverTheTopIsLost) {
    FillRow(0, 3, {1});
    FillRow(1, 2, {2});
    match.well[20][5] = 6;
    InsertRows(2);
    EXPECT_EQ(Row(18), "#....6.....#");
    EXPECT_EQ(GapsInRow(19), 1);
    EXPECT_EQ(GapsInRow(20), 1);
    for (int r = 0; r < 18; ++r) EXPECT_EQ(Row(r), "#..........#") << "row " << r;
    EXPECT_EQ(Row(21), "############") << "the floor stays";
}

TEST_F(AttackTest, AtMostFiveRowsArePushedInAndTheRestAreLost) {
    match.pendingGarbage = 7;
    LockPiece();
    EXPECT_EQ(GarbageRows(), 5);
    EXPECT_EQ(match.pendingGarbage, 0);
    EXPECT_EQ(spy::EffectCount(kEffectAddLine), 1);
}

TEST_F(AttackTest, NothingPendingPushesNothing) {
    InsertRows(0);
    LockPiece();
    EXPECT_EQ(GarbageRows(), 0);
    EXPECT_EQ(spy::EffectCount(kEffectAddLine), 0);
}

TEST_F(AttackTest, DifficultyThreePushesAPeriodicRowBesideThePendingRows) {
    gameSettings.Difficulty = 3;
    match.level = 10;
    match.periodicRowCount = 10;
    match.pendingGarbage = 2;
    LockPiece();
    EXPECT_EQ(GarbageRows(), 3);
    EXPECT_EQ(match.pendingGarbage, 0);
    EXPECT_EQ(match.periodicRowCount, 1) << "reset, then this lock counts";
    EXPECT_EQ(spy::EffectCount(kEffectAddLine), 2);
}

TEST_F(AttackTest, PeriodicRowsComeEveryTenLocksFromLevelTenInDifficultyThreeOnly) {
    gameSettings.Difficulty = 3;
    match.level = 10;
    match.periodicRowCount = 0;
    for (int lock = 1; lock <= 10; ++lock) LockPiece();
    EXPECT_EQ(GarbageRows(), 0);
    EXPECT_EQ(match.periodicRowCount, 10);
    LockPiece();
    EXPECT_EQ(GarbageRows(), 1);
    gameSettings.Difficulty = 2;
    InitRound(0);
    match.level = 12;
    match.periodicRowCount = 30;
    LockPiece();
    EXPECT_EQ(GarbageRows(), 0);
    EXPECT_EQ(match.periodicRowCount, 31) << "counted in every difficulty";
    match.level = 9;
    LockPiece();
    EXPECT_EQ(match.periodicRowCount, 31) << "not counted below level 10";
}

}  // namespace
