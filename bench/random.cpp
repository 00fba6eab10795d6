// random.cpp - cost of one GetRandom call (lock, array read, 64-bit product)
// beside a bare std::mt19937 draw scaled the same way.
#include <benchmark/benchmark.h>

#include <stdint.h>

#include <random>

#include "pavex.h"

static void BM_GetRandom(benchmark::State& state) {
    SeedRandom(4357);
    for (auto _ : state) benchmark::DoNotOptimize(GetRandom(6));
}
BENCHMARK(BM_GetRandom);

static void BM_StdMt19937Scaled(benchmark::State& state) {
    std::mt19937 engine(4357);
    for (auto _ : state) {
        uint32_t r = engine();
        benchmark::DoNotOptimize(static_cast<int>((static_cast<int64_t>(r) * 7) >> 32));
    }
}
BENCHMARK(BM_StdMt19937Scaled);

// The game seeds before each draw while it fills its first queue: the seeding,
// with its 624-word fill and first block, is the expensive part.
static void BM_SeedRandom(benchmark::State& state) {
    uint32_t seed = 1;
    for (auto _ : state) benchmark::DoNotOptimize(SeedRandom(seed++));
}
BENCHMARK(BM_SeedRandom);

BENCHMARK_MAIN();
