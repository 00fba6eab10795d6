// match_rules.cpp - what the rules of a round cost: frames of rules per second on
// one core, without drawing, played by a simple planning player that rotates, slides
// and hard-drops every piece. Rounds that end are started again.
#include <benchmark/benchmark.h>

#include <stdint.h>

#include "match/match_state.h"
#include "match/movement.h"
#include "match/queue.h"
#include "shell/settings.h"
#include "tests/game/match/rule_frame.h"

namespace {

struct BenchPlayer {
    rules::Target target = {0, 4};
    uint32_t rng = 2024;
    int framesOnPiece = 0;

    void NewPiece() {
        rng = rng * 1664525u + 1013904223u;
        target = rules::PlanPlacement(rng >> 8);
        framesOnPiece = 0;
    }

    // Acts between the pad read and the stamp, as the input step would.
    static void Act(void* context) {
        auto* self = static_cast<BenchPlayer*>(context);
        ++self->framesOnPiece;
        if (match.rotation != self->target.rotation && self->framesOnPiece < 20) {
            RotatePiece(kButtonRotateNext);
        } else if (match.pieceX != self->target.x && self->framesOnPiece < 40) {
            MovePiece(match.pieceX < self->target.x ? kDirRight : kDirLeft);
        } else if (self->framesOnPiece % 3 == 0 && !match.dropped) {
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
        rules::StepRules(&BenchPlayer::Act, &player);
        bool locked = false;
        if (!rules::EndFrame(&locked)) {
            StartRound(static_cast<int>(rounds % 2));
            ++rounds;
            locked = true;
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
