// round_sim_test.cpp - whole rounds played by a scripted player through the rule
// steps in the round loop's order, at every difficulty, checking after every frame
// that the well and the counters stay what the rules allow, and that a second run
// with the same clock and input script is identical.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include "game/match/match_state.h"
#include "game/match/queue.h"
#include "tests/game/match/match_fixture.h"
#include "tests/game/match/rule_frame.h"

namespace {

struct SimConfig {
    int difficulty;
    int sensitivity;
    bool landingPoint;
    bool vibration;
    int frames;
    uint32_t seed;
};

struct SimResult {
    uint64_t hash = 1469598103934665603ull;
    int rounds = 0;
    int locks = 0;
    int clears = 0;
    int highestLevel = 0;
    int bestLines = 0;
    int holds = 0;
};

void Mix(uint64_t& hash, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
}

int LevelCap(int difficulty) {
    return difficulty == 0 ? 9 : difficulty == 1 ? 19 : 30;
}

// Start levels of the high-level rounds where the difficulty allows them.
constexpr int kHighStartLevels[8] = {30, 25, 22, 27, 24, 29, 21, 26};

// A player that plans a place for each piece and presses keys to get it there:
// rotate (one press per turn), slide, sometimes soft drop or hold, then hard drop.
class ScriptedPlayer {
public:
    explicit ScriptedPlayer(uint32_t seed) : rng_(seed) {}

    void NewPiece() {
        target_ = rules::PlanPlacement(Next());
        waitFrames_ = 1;
        holdFrames_ = Next() % 12 == 0 ? 4 : 0;
        softFrames_ = Next() % 4 == 0 ? 3 + Next() % 5 : 0;
        stuckFrames_ = 0;
        lastX_ = match.pieceX;
        pressedRotate_ = false;
        dropFrame_ = 0;
    }

    // Sets the keys for the coming frame.
    void PressKeys(SimResult& result) {
        script::ReleaseAllKeys();
        if (waitFrames_ > 0) {
            --waitFrames_;
            return;
        }
        if (holdFrames_ > 0) {
            if (--holdFrames_ > 0) {
                script::SetKey(key::kA, true);
                if (holdFrames_ == 1) ++result.holds;
            } else {
                target_ = rules::PlanPlacement(Next());  // a different piece now
            }
            return;
        }
        if (match.rotation != target_.rotation && stuckFrames_ < 40) {
            pressedRotate_ = !pressedRotate_;
            if (pressedRotate_) script::SetKey(Next() % 5 == 0 ? key::kX : key::kZ, true);
            ++stuckFrames_;
            return;
        }
        if (match.pieceX != target_.x && stuckFrames_ < 40) {
            script::SetKey(match.pieceX < target_.x ? key::kRight : key::kLeft, true);
            stuckFrames_ = match.pieceX == lastX_ ? stuckFrames_ + 1 : 0;
            lastX_ = match.pieceX;
            return;
        }
        if (softFrames_ > 0) {
            --softFrames_;
            script::SetKey(key::kDown, true);
            return;
        }
        // Three frames of the drop button, then a release, as a player taps it.
        if (++dropFrame_ % 4 != 0) script::SetKey(key::kC, true);
    }

private:
    uint32_t Next() {
        rng_ = rng_ * 1664525u + 1013904223u;
        return rng_ >> 8;
    }

    uint32_t rng_;
    rules::Target target_ = {0, 4};
    int waitFrames_ = 0;
    int holdFrames_ = 0;
    int softFrames_ = 0;
    int stuckFrames_ = 0;
    int lastX_ = 0;
    bool pressedRotate_ = false;
    int dropFrame_ = 0;
};

void CheckInvariants(int difficulty, int frame) {
    for (int r = 0; r < kWellRows; ++r) {
        for (int c = 0; c < kWellColumns; ++c) {
            const int32_t v = match.well[r][c];
            const bool wall = c == 0 || c == kWellColumns - 1 || r == kWellRows - 1;
            if (wall) {
                ASSERT_EQ(v, CellWall) << "frame " << frame << " wall " << c << "," << r;
            } else {
                ASSERT_GE(v, 0) << "frame " << frame << " cell " << c << "," << r;
                ASSERT_LE(v, CellGarbage) << "frame " << frame << " cell " << c << "," << r;
            }
        }
    }
    ASSERT_GE(match.score, 0);
    ASSERT_LE(match.score, 9999999);
    ASSERT_GE(match.lines, 0);
    ASSERT_LE(match.lines, 999);
    ASSERT_GE(match.level, 1);
    if (match.netMode == 1) {
        ASSERT_EQ(match.level, 10) << "frame " << frame << ": network rounds keep level 10";
    } else {
        ASSERT_LE(match.level, LevelCap(difficulty)) << "frame " << frame;
    }
    ASSERT_GE(match.fallGauge, 0);
    ASSERT_LE(match.fallGauge, 263);
    ASSERT_GE(match.comboBarValue, 0);
    ASSERT_LE(match.comboBarValue, 256);
    ASSERT_GE(match.combo, 0);
    ASSERT_GE(match.pieceKind, 0);
    ASSERT_LE(match.pieceKind, 6);
    for (int kind : match.nextKinds) {
        ASSERT_GE(kind, 0);
        ASSERT_LE(kind, 6);
    }
    ASSERT_GE(match.rotation, 0);
    ASSERT_LE(match.rotation, 3);
}

SimResult Simulate(const SimConfig& config) {
    script::Reset(250000);
    script::ReleaseAllKeys();
    GetPadState(PAVEX_INPUT_KEY_PAD1);  // starts the input service on its first query
    spy::Reset();
    match = MatchState{};
    gameSettings = kDefaultGameSettings;
    gameSettings.Difficulty = config.difficulty;
    gameSettings.MoveSensitivity = config.sensitivity;
    gameSettings.ShowLandingPoint = config.landingPoint;
    gameSettings.PadVibration = config.vibration;

    SimResult result;
    ScriptedPlayer player(config.seed);
    bool roundRunning = false;
    for (int frame = 0; frame < config.frames; ++frame) {
        if (!roundRunning) {
            // Round kinds in turn: endless, endless from a high level (so that the fast
            // and instant gravity of the top levels are played too), clear round, and
            // a network round that receives attacks.
            const int kind = result.rounds % 4;
            match.netMode = kind == 3 ? 1 : 0;
            InitRound(kind == 2 ? 1 : 0);
            if (kind == 1) {
                match.level = LevelCap(config.difficulty) < 30
                                  ? LevelCap(config.difficulty)
                                  : kHighStartLevels[(result.rounds / 4) % 8];
            }
            SpawnPiece();
            player.NewPiece();
            roundRunning = true;
            ++result.rounds;
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
            if (match.lines != linesBefore) ++result.clears;
            player.NewPiece();
        }
        CheckInvariants(config.difficulty, frame);
        if (::testing::Test::HasFatalFailure()) return result;
        if (match.netMode != 1 && match.level > result.highestLevel) {
            result.highestLevel = match.level;
        }
        if (match.lines > result.bestLines) result.bestLines = match.lines;
        Mix(result.hash, match.well, sizeof match.well);
        Mix(result.hash, match.ghostWell, sizeof match.ghostWell);
        const int32_t counters[] = {match.score,         match.lines,       match.level,
                                    match.combo,         match.maxCombo,    match.pieceX,
                                    match.pieceY,        match.rotation,    match.fallGauge,
                                    match.comboBarValue, match.holdKind,    match.nextKinds[0],
                                    match.nextKinds[1],  match.nextKinds[2]};
        Mix(result.hash, counters, sizeof counters);
    }
    script::ReleaseAllKeys();
    return result;
}

class RoundSimulationTest : public ::testing::TestWithParam<int> {
protected:
    TempDir dir_;
};

TEST_P(RoundSimulationTest, RoundsKeepTheWellAndCountersValidAndRepeatExactly) {
    const int difficulty = GetParam();
    const SimConfig config = {
        difficulty,      3 + difficulty, difficulty % 2 == 0,
        difficulty >= 2, 20000,          12345u + static_cast<uint32_t>(difficulty)};
    const SimResult first = Simulate(config);
    ASSERT_FALSE(HasFatalFailure());
    // The scripted player must really play: pieces locked, rows cleared, levels won.
    EXPECT_GT(first.locks, 500);
    EXPECT_GT(first.clears, 50);
    EXPECT_GT(first.rounds, 1);
    EXPECT_GT(first.holds, 10);
    EXPECT_EQ(first.highestLevel, LevelCap(difficulty));
    std::printf(
        "difficulty %d: %d rounds, %d locks, %d clearing locks, best lines %d, "
        "highest level %d\n",
        difficulty, first.rounds, first.locks, first.clears, first.bestLines, first.highestLevel);

    const SimResult second = Simulate(config);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(first.hash, second.hash);
    EXPECT_EQ(first.locks, second.locks);
    EXPECT_EQ(first.rounds, second.rounds);

    SimConfig other = config;
    other.seed += 1000;
    const SimResult different = Simulate(other);
    EXPECT_NE(first.hash, different.hash) << "another input script plays another game";
}

INSTANTIATE_TEST_SUITE_P(EveryDifficulty, RoundSimulationTest, ::testing::Values(0, 1, 2, 3));

}  // namespace
