// match_rules.cpp - what the rules of a round cost: frames of rules per second on
// one core, without drawing, played by a simple planning player that rotates, slides
// and hard-drops every piece. Rounds that end are started again.
#include <benchmark/benchmark.h>

#include <stdint.h>
#include <string.h>

#include "match/match_state.h"
#include "match/movement.h"
#include "match/pieces.h"
#include "match/queue.h"
#include "match/round_frame.h"
#include "shell/settings.h"

namespace {

// A placement: rotation and box column the player aims for.
struct Target {
    int rotation;
    int x;
};

// Picks a placement for the falling piece by looking at the settled blocks: few
// holes, low stack, full rows preferred. `noise` (0..) varies the choice a little.
Target PlanPlacement(uint32_t noise) {
    int32_t settled[kWellRows][kWellColumns];
    memcpy(settled, match.well, sizeof settled);
    for (int r = 0; r < kBoxSize; ++r) {
        for (int c = 0; c < kBoxSize; ++c) {
            const int wr = match.pieceY + r, wc = match.pieceX + c;
            const bool inside = wr >= 0 && wr < kWellRows && wc >= 0 && wc < kWellColumns;
            if (match.pieceMatrix[r][c] != 0 && inside) settled[wr][wc] = CellEmpty;
        }
    }
    auto fits = [&](const PieceMatrix& m, int x, int y) {
        for (int r = 0; r < kBoxSize; ++r) {
            for (int c = 0; c < kBoxSize; ++c) {
                if (m[r][c] == 0) continue;
                if (x + c < 0 || x + c >= kWellColumns || y + r < 0 || y + r >= kWellRows ||
                    settled[y + r][x + c] != CellEmpty)
                    return false;
            }
        }
        return true;
    };
    Target best = {match.rotation, match.pieceX};
    int64_t bestScore = INT64_MIN;
    for (int rot = 0; rot < 4; ++rot) {
        PieceMatrix m;
        LoadShape(m, kShapeSame, match.pieceKind, rot);
        for (int x = -2; x < kWellColumns; ++x) {
            if (!fits(m, x, 0)) continue;
            int y = 0;
            while (fits(m, x, y + 1)) ++y;
            int32_t trial[kWellRows][kWellColumns];
            memcpy(trial, settled, sizeof trial);
            for (int r = 0; r < kBoxSize; ++r) {
                for (int c = 0; c < kBoxSize; ++c) {
                    if (m[r][c] != 0) trial[y + r][x + c] = m[r][c];
                }
            }
            int full = 0, holes = 0, heightSum = 0;
            for (int r = 0; r <= kLastPlayRow; ++r) {
                int blocks = 0;
                for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c) blocks += trial[r][c] > 0;
                full += blocks == kPlayColumns ? 1 : 0;
            }
            for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c) {
                bool seenBlock = false;
                for (int r = 0; r <= kLastPlayRow; ++r) {
                    if (trial[r][c] != CellEmpty && !seenBlock) heightSum += kPlayRows - r;
                    holes += trial[r][c] == CellEmpty && seenBlock ? 1 : 0;
                    seenBlock |= trial[r][c] != CellEmpty;
                }
            }
            const int64_t score = 80LL * full - 35LL * holes - 5LL * heightSum + 10LL * y +
                                  static_cast<int64_t>((noise >> ((rot * 13 + x + 2) % 24)) & 3);
            if (score > bestScore) {
                bestScore = score;
                best = {rot, x};
            }
        }
    }
    return best;
}

struct BenchPlayer {
    Target target = {0, 4};
    uint32_t rng = 2024;
    int framesOnPiece = 0;

    void NewPiece() {
        rng = rng * 1664525u + 1013904223u;
        target = PlanPlacement(rng >> 8);
        framesOnPiece = 0;
    }

    // The live pad reports nothing here, so the player moves the piece itself before
    // the frame, on the settled blocks as the input step sees them; the frame's gravity
    // step erases it again, which changes nothing.
    void Act() {
        ErasePiece();
        ++framesOnPiece;
        if (match.rotation != target.rotation && framesOnPiece < 20) {
            RotatePiece(kButtonRotateNext);
        } else if (match.pieceX != target.x && framesOnPiece < 40) {
            MovePiece(match.pieceX < target.x ? kDirRight : kDirLeft);
        } else if (framesOnPiece % 3 == 0 && !match.dropped) {
            HardDrop(true);
        }
    }
};

void StartRound(int kind) {
    match.netMode = 0;
    InitRound(kind);
    SpawnPiece();
}

void BM_RuleFrames(benchmark::State& state) {
    match = MatchState{};
    gameSettings = kDefaultGameSettings;
    gameSettings.Difficulty = static_cast<int32_t>(state.range(0));
    gameSettings.ShowLandingPoint = true;
    BenchPlayer player;
    StartRound(0);
    player.NewPiece();
    int64_t locks = 0;
    int64_t rounds = 1;
    for (auto _ : state) {
        player.Act();
        StepFrameRules();
        bool locked = match.lockPending;
        if (match.gameOver || ClearGoalReached()) {
            StartRound(static_cast<int>(rounds % 2));
            ++rounds;
            locked = true;
        } else {
            EndFrameRules();
        }
        if (locked) {
            ++locks;
            player.NewPiece();
        }
        benchmark::DoNotOptimize(match.well);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["locks"] = static_cast<double>(locks);
    state.counters["rounds"] = static_cast<double>(rounds);
}

BENCHMARK(BM_RuleFrames)->Arg(0)->Arg(3)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
