// round_sim_test.cpp - whole rounds played by a scripted player through the rule
// steps in the round loop's order, at every difficulty, checking after every frame
// that the well and the counters stay what the rules allow, that nothing is
// allocated, and that a second run with the same clock and input script is identical.
// Every global operator new of this executable is counted, so it is a test of its own.
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <new>

#include "match/queue.h"
#include "media/core/tracked_alloc.h"
#include "tests/game/match/match_fixture.h"
#include "tests/game/match/rule_frame.h"

namespace {
std::atomic<long> g_news{0};

void* CountedNew(size_t size) {
    g_news.fetch_add(1, std::memory_order_relaxed);
    if (void* p = malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
}  // namespace

// Every form is replaced so that allocation and release always pair malloc and free.
void* operator new(size_t size) {
    return CountedNew(size);
}
void* operator new[](size_t size) {
    return CountedNew(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    g_news.fetch_add(1, std::memory_order_relaxed);
    return malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    g_news.fetch_add(1, std::memory_order_relaxed);
    return malloc(size ? size : 1);
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
    int rounds = 0, locks = 0, clears = 0, highestLevel = 0, holds = 0;
    long allocations = 0, trackedBlocks = 0;  // after the services have started
};

void Mix(uint64_t& hash, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
}

int LevelCap(int difficulty) {
    return difficulty == 0 ? 9 : difficulty == 1 ? 19 : 30;
}

// A player that plans a place for each piece and presses keys to get it there:
// rotate (one press per turn), slide, sometimes soft drop or hold, then hard drop.
class ScriptedPlayer {
public:
    explicit ScriptedPlayer(uint32_t seed) : rng_(seed) {}

    void NewPiece() {
        target_ = rules::PlanPlacement(Next());
        holdFrames_ = Next() % 12 == 0 ? 4 : 0;
        softFrames_ = Next() % 4 == 0 ? 3 + Next() % 5 : 0;
        frames_ = stuck_ = dropFrame_ = 0;
        lastX_ = match.pieceX;
    }

    void PressKeys(SimResult& result) {
        script::ReleaseAllKeys();
        if (frames_++ == 0) return;
        if (holdFrames_ > 0) {
            if (--holdFrames_ > 0) {
                script::SetKey(key::kA, true);
                result.holds += holdFrames_ == 1 ? 1 : 0;
            } else {
                target_ = rules::PlanPlacement(Next());  // a different piece now
            }
        } else if (match.rotation != target_.rotation && stuck_ < 40) {
            if (++stuck_ % 2 == 1) script::SetKey(Next() % 5 == 0 ? key::kX : key::kZ, true);
        } else if (match.pieceX != target_.x && stuck_ < 40) {
            script::SetKey(match.pieceX < target_.x ? key::kRight : key::kLeft, true);
            stuck_ = match.pieceX == lastX_ ? stuck_ + 1 : 0;
            lastX_ = match.pieceX;
        } else if (softFrames_ > 0) {
            --softFrames_;
            script::SetKey(key::kDown, true);
        } else if (++dropFrame_ % 4 != 0) {
            script::SetKey(key::kC, true);  // three frames of the button, then a release
        }
    }

private:
    uint32_t Next() {
        rng_ = rng_ * 1664525u + 1013904223u;
        return rng_ >> 8;
    }

    uint32_t rng_;
    rules::Target target_ = {0, 4};
    int frames_ = 0, holdFrames_ = 0, softFrames_ = 0, stuck_ = 0, lastX_ = 0, dropFrame_ = 0;
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
    gameSettings.MoveSensitivity = 3 + difficulty;
    gameSettings.ShowLandingPoint = difficulty % 2 == 0;
    gameSettings.PadVibration = difficulty >= 2;
    SimResult result;
    ScriptedPlayer player(seed);
    bool roundRunning = false;
    long newsBefore = 0;
    int blocksBefore = 0;
    for (int frame = 0; frame < 20000; ++frame) {
        if (frame == 300) newsBefore = g_news.load(), blocksBefore = TrackedBlockCount();
        if (!roundRunning) {
            // Round kinds in turn: endless, endless from a high level (to play the fast
            // and instant gravity too), clear round, network round receiving attacks.
            const int kind = result.rounds++ % 4;
            match.netMode = kind == 3 ? 1 : 0;
            InitRound(kind == 2 ? 1 : 0);
            const int high = 30 - result.rounds / 4 * 3 % 10;  // 30, 27, 24, 21, ...
            if (kind == 1) match.level = std::min(LevelCap(difficulty), high);
            SpawnPiece();
            player.NewPiece();
            roundRunning = true;
        }
        if (match.netMode == 1) {
            match.outgoingAttack = 0;  // sent with the frame's message
            if (frame % 150 == 0) match.pendingGarbage += 1 + frame % 3;
        }
        player.PressKeys(result);
        script::AdvanceMs(rules::FrameBudgetMs(static_cast<uint64_t>(frame)));
        const int linesBefore = match.lines;
        rules::StepRules();
        bool locked = false;
        roundRunning = rules::EndFrame(&locked);
        if (locked) {
            ++result.locks;
            result.clears += match.lines != linesBefore ? 1 : 0;
            player.NewPiece();
        }
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
    // The scripted player must really play: pieces locked, rows cleared, levels won.
    EXPECT_GT(first.locks, 500);
    EXPECT_GT(first.clears, 50);
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
        << "another input script plays another game";
}

TEST(AllocationCounterTest, TheCounterSeesAnAllocation) {
    static int* volatile kept;  // stored so the compiler cannot leave the pair out
    const long before = g_news.load();
    kept = new int(4);
    EXPECT_EQ(g_news.load() - before, 1);
    delete kept;
}

INSTANTIATE_TEST_SUITE_P(EveryDifficulty, RoundSimulationTest, ::testing::Values(0, 1, 2, 3));

}  // namespace
