// round_sim_test.cpp - whole rounds of every kind played from a seeded key script
// through the round frame, at every difficulty: after every frame the well and the
// counters stay what the rules allow, nothing is allocated, and the same clock and
// script play the same game again. Every global operator new of this executable is
// counted, so it is a test of its own.
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <new>

#include "match/queue.h"
#include "match/round_frame.h"
#include "media/core/tracked_alloc.h"
#include "tests/game/match/match_fixture.h"

namespace {
std::atomic<long> g_news{0};
void* Counted(size_t size) {
    g_news.fetch_add(1, std::memory_order_relaxed);
    return malloc(size ? size : 1);
}
void* CountedOrThrow(size_t size) {
    if (void* p = Counted(size)) return p;
    throw std::bad_alloc();
}
}  // namespace

// Every form is replaced so that allocation and release always pair malloc and free.
void* operator new(size_t size) {
    return CountedOrThrow(size);
}
void* operator new[](size_t size) {
    return CountedOrThrow(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return Counted(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return Counted(size);
}
void operator delete(void* p) noexcept {
    free(p);
}
void operator delete[](void* p) noexcept {
    free(p);
}
void operator delete(void* p, size_t) noexcept {
    free(p);
}
void operator delete[](void* p, size_t) noexcept {
    free(p);
}

namespace {

struct SimResult {
    uint64_t hash = 1469598103934665603ull;
    int rounds = 0, locks = 0, clears = 0, holds = 0, highestLevel = 0;
    long allocations = 0, trackedBlocks = 0;  // after the services have started
};

void Mix(uint64_t& hash, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
}

int LevelCap(int difficulty) {
    return difficulty == 0 ? 9 : difficulty == 1 ? 19 : 30;
}

// The keys of one frame from a seeded script: each piece is sometimes turned or held,
// slid to the column where it would land lowest, sometimes soft-dropped, then
// hard-dropped.
struct KeyScript {
    uint32_t rng;
    int target = 0, frames = 0;
    uint32_t Next() { return (rng = rng * 1664525u + 1013904223u) >> 8; }
    // Called for a new piece, before its first frame stamps it: the well holds the
    // settled blocks only.
    void NewPiece() {
        frames = 0;
        int lowest = -1;
        for (int dx = -5; dx <= 5; ++dx) {
            if (PieceCollides(dx, 0, match.pieceMatrix)) continue;
            int dy = 0;
            while (!PieceCollides(dx, dy + 1, match.pieceMatrix)) ++dy;
            if (dy > lowest) lowest = dy, target = match.pieceX + dx;
        }
    }
    void Press() {
        script::ReleaseAllKeys();
        ++frames;
        const uint32_t r = Next() % 40;
        if (r == 0) {
            script::SetKey(key::kA, true);
        } else if (r == 1) {
            script::SetKey(key::kZ, true);
        } else if (match.pieceX != target && frames < 60) {
            script::SetKey(match.pieceX < target ? key::kRight : key::kLeft, true);
        } else {
            script::SetKey(r < 8 ? key::kDown : key::kC, true);
        }
    }
};

void CheckInvariants(int difficulty, int frame) {
    for (int r = 0; r < kWellRows; ++r) {
        for (int c = 0; c < kWellColumns; ++c) {
            const int32_t v = match.well[r][c];
            const bool wall = c == 0 || c == kWellColumns - 1 || r == kWellRows - 1;
            ASSERT_TRUE(wall ? v == CellWall : v >= 0 && v <= CellGarbage)
                << "frame " << frame << " cell " << c << "," << r << " holds " << v;
        }
    }
    const int cap = match.netMode == 1 ? 10 : LevelCap(difficulty);
    ASSERT_TRUE(match.score >= 0 && match.score <= 9999999) << "frame " << frame;
    ASSERT_TRUE(match.lines >= 0 && match.lines <= 999) << "frame " << frame;
    ASSERT_TRUE(match.level >= 1 && match.level <= cap) << "frame " << frame;
    ASSERT_TRUE(match.netMode != 1 || match.level == 10) << "network rounds keep level 10";
    ASSERT_TRUE(match.fallGauge >= 0 && match.fallGauge <= 263) << "frame " << frame;
    ASSERT_TRUE(match.comboBarValue >= 0 && match.comboBarValue <= 256) << "frame " << frame;
    ASSERT_TRUE(match.combo >= 0 && match.rotation >= 0 && match.rotation <= 3);
    for (int kind : {match.pieceKind, match.nextKinds[0], match.nextKinds[1], match.nextKinds[2]})
        ASSERT_TRUE(kind >= 0 && kind <= 6) << "frame " << frame;
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
    KeyScript keys{seed};
    long newsBefore = 0;
    int blocksBefore = 0;
    for (int frame = 0; frame < 20000; ++frame) {
        if (frame == 300) newsBefore = g_news.load(), blocksBefore = TrackedBlockCount();
        if (!roundRunning) {
            // Round kinds in turn: endless, endless with many lines already counted (so
            // the levels climb to the cap and the fast and instant gravity play too),
            // clear round, network round receiving attacks.
            const int kind = result.rounds++ % 4;
            match.netMode = kind == 3 ? 1 : 0;
            InitRound(kind == 2 ? 1 : 0);
            if (kind == 1) match.lines = 300 - result.rounds / 4 * 30 % 100;
            SpawnPiece();
            keys.NewPiece();
            roundRunning = true;
        }
        if (match.netMode == 1) {
            match.outgoingAttack = 0;  // sent with the frame's message
            if (frame % 60 == 0) match.pendingGarbage += 1 + frame % 3;
        }
        keys.Press();
        script::AdvanceMs(frame % 3 == 2 ? 16 : 17);
        const int linesBefore = match.lines, holdBefore = match.holdKind;
        const int kindBefore = match.pieceKind;
        StepFrameRules();
        const bool held = match.holdKind != holdBefore || match.pieceKind != kindBefore;
        const bool locking = match.lockPending;
        roundRunning = !match.gameOver && !ClearGoalReached();
        if (roundRunning) EndFrameRules();
        result.holds += held ? 1 : 0;
        result.locks += locking && roundRunning ? 1 : 0;
        if (locking && roundRunning) keys.NewPiece();
        result.clears += match.lines > linesBefore ? 1 : 0;
        CheckInvariants(difficulty, frame);
        if (::testing::Test::HasFatalFailure()) return result;
        if (match.netMode != 1) result.highestLevel = std::max(result.highestLevel, match.level);
        Mix(result.hash, match.well, sizeof match.well);
        Mix(result.hash, match.ghostWell, sizeof match.ghostWell);
        const int32_t counters[] = {match.score,    match.lines,        match.level,
                                    match.combo,    match.maxCombo,     match.pieceX,
                                    match.pieceY,   match.rotation,     match.fallGauge,
                                    match.holdKind, match.nextKinds[2], match.comboBarValue};
        Mix(result.hash, counters, sizeof counters);
    }
    result.allocations = g_news.load() - newsBefore;
    result.trackedBlocks = TrackedBlockCount() - blocksBefore;
    script::ReleaseAllKeys();
    return result;
}

class RoundSimulationTest : public ::testing::TestWithParam<int> {
protected:
    TempDir dir_;
};

TEST_P(RoundSimulationTest, RoundsKeepTheWellAndCountersValidAndRepeatExactly) {
    const int difficulty = GetParam();
    const SimResult first = Simulate(difficulty, 12345u + difficulty);
    ASSERT_FALSE(HasFatalFailure());
    // The script must really play: pieces locked, rows cleared, pieces held, levels won.
    EXPECT_GT(first.locks, 500);
    EXPECT_GT(first.clears, 5);
    EXPECT_GT(first.rounds, 1);
    EXPECT_GT(first.holds, 10);
    EXPECT_EQ(first.highestLevel, LevelCap(difficulty));
    EXPECT_EQ(first.allocations, 0) << "no allocation in thousands of frames of rounds";
    EXPECT_EQ(first.trackedBlocks, 0);
    const SimResult second = Simulate(difficulty, 12345u + difficulty);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(first.hash, second.hash);
    EXPECT_EQ(first.locks, second.locks);
    EXPECT_NE(first.hash, Simulate(difficulty, 13345u + difficulty).hash)
        << "another key script plays another game";
}

INSTANTIATE_TEST_SUITE_P(EveryDifficulty, RoundSimulationTest, ::testing::Values(0, 1, 2, 3));

}  // namespace
