// frame_pacing - how well the shell's 17 ms frame loop (GetTickMillis +
// WaitMilliseconds(1)) holds its period over 600 frames, beside the same loop paced
// with SDL_Delay, and what ClearScreen + FlipScreen cost per frame. Runs the live
// platform under SDL's dummy video driver unless a display driver is chosen.
//   build with -DVORLANE_BENCH=ON, then: ./bench/bench_frame_pacing
#include <benchmark/benchmark.h>
#include <stdint.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "pavex.h"
#include "media/platform/live/sdl_timing.h"

namespace {

constexpr int kFrames = 600;
constexpr int kPeriodMs = 17;

using Clock = std::chrono::steady_clock;

// Mean frame period and the 99th percentile of |period - 17 ms|, in milliseconds.
void Report(benchmark::State& state, const std::vector<double>& periods) {
    double sum = 0;
    std::vector<double> dev;
    dev.reserve(periods.size());
    for (double p : periods) {
        sum += p;
        dev.push_back(std::fabs(p - kPeriodMs));
    }
    std::sort(dev.begin(), dev.end());
    state.counters["mean_period_ms"] = sum / static_cast<double>(periods.size());
    state.counters["p99_deviation_ms"] = dev[(dev.size() * 99) / 100 - 1];
    state.counters["max_deviation_ms"] = dev.back();
}

// The shell's frame: clear, flip, then 1 ms waits until 17 ms have passed.
void BM_ShellLoop17ms(benchmark::State& state) {
    std::vector<double> periods(kFrames);
    for (auto _ : state) {
        Clock::time_point last = Clock::now();
        for (int f = 0; f < kFrames; ++f) {
            uint32_t t0 = GetTickMillis(0);
            ClearScreen();
            FlipScreen();
            while (static_cast<int32_t>(GetTickMillis(0) - t0) < kPeriodMs) WaitMilliseconds(1);
            ProcessMessage();
            Clock::time_point now = Clock::now();
            periods[f] = std::chrono::duration<double, std::milli>(now - last).count();
            last = now;
        }
    }
    Report(state, periods);
}

// The same loop paced by SDL's own tick and SDL_Delay(1).
void BM_SdlDelayLoop17ms(benchmark::State& state) {
    std::vector<double> periods(kFrames);
    for (auto _ : state) {
        Clock::time_point last = Clock::now();
        for (int f = 0; f < kFrames; ++f) {
            uint32_t t0 = SdlTicksMillis();
            ClearScreen();
            FlipScreen();
            while (static_cast<int32_t>(SdlTicksMillis() - t0) < kPeriodMs) SdlDelayMillis(1);
            ProcessMessage();
            Clock::time_point now = Clock::now();
            periods[f] = std::chrono::duration<double, std::milli>(now - last).count();
            last = now;
        }
    }
    Report(state, periods);
}

void BM_ClearAndFlip(benchmark::State& state) {
    for (auto _ : state) {
        ClearScreen();
        FlipScreen();
    }
}

BENCHMARK(BM_ShellLoop17ms)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SdlDelayLoop17ms)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ClearAndFlip)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ChangeWindowMode(1);
    SetScreenMode(800, 600, 32, 60);
    SetAllowDoubleStart(1);
    if (InitMediaLayer() != 0) return 1;
    SetFlipWaitsVBlank(0);
    SelectDrawTarget(PAVEX_SCREEN_BACK);
    SetRunWhileInactive(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    EndMediaLayer();
    return 0;
}
