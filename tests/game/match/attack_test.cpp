// attack_test.cpp - attack lines earned by combos and garbage rows pushed in from
// below, for the opponent's attacks and the periodic rows.
#include "match/attack.h"
#include "match/locking.h"
#include "match/scoring.h"
#include "tests/game/match/match_fixture.h"

namespace {

class AttackTest : public MatchTest {};

// The column of the one gap of a pushed-in row, or -1 when the row is anything else.
int GapColumn(int row) {
    int gap = -1;
    for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c) {
        const int32_t v = match.well[row][c];
        if ((v == CellEmpty && gap != -1) || (v != CellEmpty && v != CellGarbage)) return -1;
        if (v == CellEmpty) gap = c;
    }
    return gap;
}

TEST_F(AttackTest, OnlyNetworkClearsAfterTheFirstOfAComboAttack) {
    match.combo = 4;
    FillRow(20, 4);
    ClearLines();
    EXPECT_EQ(match.outgoingAttack, 0) << "no attack outside network play";
    InitRound(0);
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

TEST_F(AttackTest, PushedInRowsHaveOneGapEachAndPushTheWellUp) {
    int sameColumnPairs = 0;
    int gapColumnsSeen = 0;
    for (int round = 0; round < 60; ++round) {
        script::AdvanceMs(17);  // each round seeds the generator with a new tick
        InitRound(0);
        FillRow(0, 3, {1});  // pushed over the top and lost
        FillRow(1, 2, {2});
        match.well[20][5] = 6;
        InsertRows(5);
        int previousGap = -1;
        for (int r = 16; r <= 20; ++r) {
            const int gap = GapColumn(r);
            ASSERT_GT(gap, 0) << "row " << r;
            gapColumnsSeen |= 1 << gap;
            sameColumnPairs += gap == previousGap ? 1 : 0;
            previousGap = gap;
        }
        ASSERT_EQ(Row(15), "#....6.....#");
        for (int r = 0; r < 15; ++r) ASSERT_EQ(Row(r), "#..........#") << "row " << r;
        ASSERT_EQ(Row(21), "############") << "the floor stays";
    }
    EXPECT_EQ(gapColumnsSeen, 0x7FE) << "gaps fall in every column 1..10";
    EXPECT_GT(sameColumnPairs, 0) << "neighbouring rows may share a gap column";
    EXPECT_EQ(spy::calls.effects[kEffectAddLine], 60);
}

TEST_F(AttackTest, PendingAndPeriodicRowsPushedInAtALock) {
    struct {
        int difficulty, level, periodicBefore, pending;
        int rows, sounds, periodicAfter;
    } const cases[] = {
        {0, 1, 0, 7, 5, 1, 0},     // at most five; the rest are lost
        {0, 1, 0, 0, 0, 0, 0},     // nothing pending: no rows, no sound
        {3, 10, 10, 2, 3, 2, 1},   // the periodic row beside the pending ones
        {3, 10, 9, 0, 0, 0, 10},   // every ten locks
        {3, 9, 10, 0, 1, 1, 0},    // due rows come at any level; counted from 10
        {2, 12, 30, 0, 0, 0, 31},  // counted in every difficulty, pushed in 3 only
        {2, 9, 31, 0, 0, 0, 31},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &k - cases);
        InitRound(0);
        spy::Reset();
        gameSettings.Difficulty = k.difficulty;
        match.level = k.level, match.periodicRowCount = k.periodicBefore;
        match.pendingGarbage = k.pending;
        LockPiece();
        int rows = 0;
        for (int r = 0; r <= kLastPlayRow; ++r) rows += GapColumn(r) > 0 ? 1 : 0;
        EXPECT_EQ(rows, k.rows);
        EXPECT_EQ(spy::calls.effects[kEffectAddLine], k.sounds);
        EXPECT_EQ(match.pendingGarbage, 0);
        EXPECT_EQ(match.periodicRowCount, k.periodicAfter);
    }
}

}  // namespace
