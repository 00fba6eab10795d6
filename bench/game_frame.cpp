// game_frame - what one frame of a round costs and how evenly the round loop paces
// its frames.
//   BM_RoundFrame/0, /1   CPU time of ClearScreen + StepFrame + the lock step (rules,
//                         every drawing call, the sound calls), endless round; /1 with
//                         the opponent's well full of blocks as in a network round
//   BM_MemcpyBackBuffer   one memcpy of the 800 x 600 back buffer, for scale
//   BM_Present            FlipScreen alone on SDL's dummy video driver
//   BM_RoundPacing        600 frames of the round loop on the live clock with its own
//                         budget wait; mean period against 50/3 ms, p99 and max of
//                         |period - budget|, peak resident memory of the whole round
// Runs the live platform under SDL's dummy drivers unless others are chosen; start it
// in a folder holding the generated ./data (the build folder).
//   build with -DVORLANE_BENCH=ON, then: cd build-bench && bench/bench_game_frame
#include <benchmark/benchmark.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "match/match_state.h"
#include "media/graphics/back_fill.h"
#include "match/playfield_draw.h"
#include "match/queue.h"
#include "match/round_frame.h"
#include "match/round_loop.h"
#include "pavex.h"
#include "shell/app.h"
#include "shell/assets.h"
#include "shell/settings.h"

namespace {

constexpr int kFrames = 600;
using Clock = std::chrono::steady_clock;

// A round in play: a stack of every colour in the lower half, grid and landing
// point on, optionally the opponent's well full of blocks; the background is the
// first one of a single-player round (the start sequence picks it; index 0 is the
// shading filter, never a round's background).
void StartRound(bool opponent) {
    InitRound(0);
    match.backgroundIndex = 1;
    for (int r = 11; r <= kLastPlayRow; ++r)
        for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c)
            if ((r + c) % 7 != 0) match.well[r][c] = 1 + (r * 3 + c) % 8;
    for (int r = 0; r < kPlayRows; ++r)
        for (int c = 0; c < kPlayColumns; ++c)
            match.opponentWell[r][c] = static_cast<int16_t>(opponent ? 1 + (r + c) % 8 : 0);
    PreparePlayBackdrop();
    SpawnPiece();
    match.roundStartTime = GetTickMillis(0);
}

// The frame of the round loop without the flip and the wait, its picture finished as
// the flip finishes it: what the backdrop owes where no drawing reached is written.
void FrameWork() {
    ClearScreen();
    StepFrame();
    BackFillFinish();
    if (match.gameOver) {
        StartRound(match.opponentWell[0][0] != 0);
        return;
    }
    EndFrameRules();
}

void BM_RoundFrame(benchmark::State& state) {
    StartRound(state.range(0) == 1);
    for (auto _ : state) FrameWork();
}

void BM_MemcpyBackBuffer(benchmark::State& state) {
    std::vector<uint32_t> from(800 * 600, 0x00336699u), to(800 * 600);
    for (auto _ : state) {
        memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

void BM_Present(benchmark::State& state) {
    for (auto _ : state) FlipScreen();
}

long PeakResidentKb() {
    FILE* f = fopen("/proc/self/status", "r");
    if (f == nullptr) return -1;
    char line[256];
    long kb = -1;
    while (fgets(line, sizeof line, f) != nullptr)
        if (sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
    fclose(f);
    return kb;
}

// Mean period, and p99 and max of each frame's deviation from its budget, in ms.
void Report(benchmark::State& state, const std::vector<double>& periods,
            const std::vector<int>& budgets) {
    double sum = 0;
    std::vector<double> dev;
    for (size_t i = 0; i < periods.size(); ++i) {
        sum += periods[i];
        dev.push_back(std::fabs(periods[i] - budgets[i]));
    }
    std::sort(dev.begin(), dev.end());
    state.counters["mean_period_ms"] = sum / static_cast<double>(periods.size());
    state.counters["target_ms"] = 50.0 / 3.0;
    state.counters["p99_deviation_ms"] = dev[(dev.size() * 99) / 100 - 1];
    state.counters["max_deviation_ms"] = dev.back();
}

// The whole round: its pictures, the start sequence, then 600 frames as RunRound
// plays them (the network and system-key steps aside).
void BM_RoundPacing(benchmark::State& state) {
    std::vector<double> periods(kFrames);
    std::vector<int> budgets(kFrames);
    for (auto _ : state) {
        DeleteAllGraphics(0);
        LoadImages(kImageSetRound);
        InitRound(0);
        PlayStartSequence();
        StartRound(false);
        FramePacer pacer;
        Clock::time_point last = Clock::now();
        for (int f = 0; f < kFrames; ++f) {
            const uint32_t frameStart = GetTickMillis(0);
            budgets[f] = pacer.budget;
            ClearScreen();
            StepFrame();
            FlipScreen();
            if (match.gameOver) StartRound(false);
            EndFrameRules();
            WaitFrameBudget(pacer, frameStart);
            ProcessMessage();
            const Clock::time_point now = Clock::now();
            periods[f] = std::chrono::duration<double, std::milli>(now - last).count();
            last = now;
        }
    }
    Report(state, periods, budgets);
    state.counters["peak_rss_mb"] = static_cast<double>(PeakResidentKb()) / 1024.0;
}

BENCHMARK(BM_RoundFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyBackBuffer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Present)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RoundPacing)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!StartUpApplication()) return 1;
    LoadImages(kImageSetRound);
    LoadSoundEffects();
    gameSettings.ShowGrid = true;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    EndMediaLayer();
    return 0;
}
