// round_sim_test.cpp - whole rounds of every kind played from a seeded key script
// through the round frame, at every difficulty: after every frame the well and the
// counters stay what the rules allow, nothing is allocated, and the same clock and
// script play the same game again.
#include <algorithm>

#include "match/queue.h"
#include "tests/game/match/match_fixture.h"

namespace {

int LevelCap(int difficulty) {
    return difficulty == 0 ? 9 : difficulty == 1 ? 19 : 30;
}

struct SimResult {
    uint64_t hash = 1469598103934665603ull;
    int locks = 0, clears = 0, holds = 0, highestLevel = 0;
    long allocations = 0;  // once the services have started
};

// Keys from a seeded script: now and then a turn or a hold, otherwise a slide to the
// column where the piece would land lowest (`target`, found for each new piece while
// the well holds the settled blocks only), then a soft or a hard drop.
int ScriptedKey(uint32_t& rng, int target) {
    const uint32_t r = ((rng = rng * 1664525u + 1013904223u) >> 8) % 40;
    if (r > 1 && match.pieceX != target) return match.pieceX < target ? key::kRight : key::kLeft;
    return r == 0 ? key::kA : r == 1 ? key::kZ : r < 8 ? key::kDown : key::kC;
}
int LowestLandingColumn() {
    int target = match.pieceX;
    for (int dx = -5, lowest = -1, dy = 0; dx <= 5; ++dx, dy = 0) {
        while (!PieceCollides(dx, dy, match.pieceMatrix) &&
               !PieceCollides(dx, dy + 1, match.pieceMatrix))
            ++dy;
        if (dy > lowest) lowest = dy, target = match.pieceX + dx;
    }
    return target;
}

SimResult Simulate(int difficulty, uint32_t seed) {
    script::Reset(250000);
    GetPadState(PAVEX_INPUT_KEY_PAD1);  // starts the input service on its first query
    match = MatchState{};
    gameSettings = kDefaultGameSettings;
    gameSettings.Difficulty = difficulty;
    gameSettings.MoveSensitivity = difficulty % 2 == 0 ? 3 : 6;
    gameSettings.ShowLandingPoint = difficulty % 2 == 0;
    gameSettings.PadVibration = difficulty >= 2;
    SimResult result;
    bool roundRunning = false;
    for (int frame = 0, rounds = 0, target = 0; frame < 20000; ++frame) {
        if (frame == 300) result.allocations = spy::allocations;
        if (!roundRunning) {
            // Round kinds in turn: endless; endless with many lines counted already, so
            // the levels climb by the rules to the cap and the fast and instant gravity
            // play; clear round; network round receiving attacks.
            const int kind = rounds++ % 4;
            match.netMode = kind == 3 ? 1 : 0;
            InitRound(kind == 2 ? 1 : 0);
            if (kind == 1) match.lines = 300 - rounds / 4 * 30 % 100;
            SpawnPiece();
            target = LowestLandingColumn();
        }
        if (match.netMode == 1) {
            match.outgoingAttack = 0;  // sent with the frame's message
            if (frame % 150 == 0) match.pendingGarbage += 1 + frame % 3;
        }
        script::ReleaseAllKeys();
        script::SetKey(ScriptedKey(seed, target), true);
        script::AdvanceMs(frame % 3 == 2 ? 16 : 17);
        const int lines = match.lines, hold = match.holdKind, kind = match.pieceKind;
        StepFrameRules();
        result.holds += match.holdKind != hold || match.pieceKind != kind;
        roundRunning = !match.gameOver && !ClearGoalReached();
        const bool locks = roundRunning && match.lockPending;
        if (roundRunning) EndFrameRules();
        if (locks) result.locks += 1, target = LowestLandingColumn();
        result.clears += match.lines > lines;
        if (!match.netMode) result.highestLevel = std::max(result.highestLevel, match.level);

        const int* q = match.nextKinds;
        bool valid =
            match.level >= 1 && match.level <= (match.netMode ? 10 : LevelCap(difficulty)) &&
            (!match.netMode || match.level == 10) && match.score >= 0 && match.score <= 9999999 &&
            match.lines >= 0 && match.lines <= 999 && match.combo >= 0 && match.fallGauge >= 0 &&
            match.fallGauge <= 263 && match.comboBarValue >= 0 && match.comboBarValue <= 256 &&
            match.rotation >= 0 && match.rotation <= 3 &&
            std::min({match.pieceKind, q[0], q[1], q[2]}) >= 0 &&
            std::max({match.pieceKind, q[0], q[1], q[2]}) <= 6;
        for (int r = 0; r < kWellRows; ++r) {
            for (int c = 0; c < kWellColumns; ++c) {
                const int32_t v = match.well[r][c];
                const bool wall = c == 0 || c == kWellColumns - 1 || r == kWellRows - 1;
                valid &= wall ? v == CellWall : v >= 0 && v <= CellGarbage;
                result.hash = (result.hash ^ v ^ match.ghostWell[r][c] << 4) * 1099511628211ull;
            }
        }
        for (int32_t v : {match.score, match.lines, match.level, match.combo, match.fallGauge,
                          match.rotation, match.pieceKind, match.holdKind, q[0], q[1], q[2]})
            result.hash = (result.hash ^ v) * 1099511628211ull;
        if (!valid) {
            ADD_FAILURE() << "frame " << frame << " left the well or a counter out of bounds";
            return result;
        }
    }
    result.allocations = spy::allocations - result.allocations;
    script::ReleaseAllKeys();
    return result;
}

TEST(RoundSimulationTest, RoundsOfEveryDifficultyKeepTheRulesAllocateNothingAndRepeatExactly) {
    TempDir dir;
    for (int difficulty = 0; difficulty < 4; ++difficulty) {
        SCOPED_TRACE(testing::Message() << "difficulty " << difficulty);
        const SimResult first = Simulate(difficulty, 12345u + difficulty);
        // The script must really play: pieces locked and held, rows cleared, levels won.
        EXPECT_TRUE(first.locks > 500 && first.clears > 3 && first.holds > 10)
            << first.locks << " locks " << first.clears << " clears " << first.holds << " holds";
        EXPECT_EQ(first.highestLevel, LevelCap(difficulty));
        EXPECT_EQ(first.allocations, 0) << "no allocation in thousands of frames of rounds";
        EXPECT_EQ(first.hash, Simulate(difficulty, 12345u + difficulty).hash);
        EXPECT_NE(first.hash, Simulate(difficulty, 13345u + difficulty).hash)
            << "another key script plays another game";
    }
}

}  // namespace
