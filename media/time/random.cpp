// random.cpp - the Mersenne Twister random generator (MT19937) of the library.
//
// Owns: the one generator of the process: the 624-word state, the block of 624
// tempered output words, the read index, the seeded flag and the wide-path flag.
// Seeding is the linear-congruential fill of the generator's first published
// version; the whole state is twisted and tempered 624 words at a time, so a draw
// is an array read. Must not touch: anything else (callers hold the API lock).
#include <stdint.h>

#include "media/core/api_lock.h"
#include "pavex.h"
#include "media/platform/plat_system.h"

namespace {

constexpr int kN = 624;
constexpr int kM = 397;
constexpr uint32_t kMatrixA = 0x9908B0DFu;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;

struct RandomState {
    uint32_t state[kN];
    uint32_t output[kN];
    int32_t index;  // next unread word of output; kN (or 0 before seeding) = exhausted
    int seeded;
    int widePath;  // the processor offers 64-bit SIMD; the scalar twist gives equal results
    int cpuKnown;
    int cpuHasMmx;
};

RandomState g_random;

uint32_t Twist(uint32_t upper, uint32_t lower, uint32_t far) {
    uint32_t y = (upper & kUpperMask) | (lower & kLowerMask);
    return far ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
}

void GenerateBlock() {
    uint32_t* mt = g_random.state;
    int i = 0;
    for (; i < kN - kM; ++i) mt[i] = Twist(mt[i], mt[i + 1], mt[i + kM]);
    for (; i < kN - 1; ++i) mt[i] = Twist(mt[i], mt[i + 1], mt[i + kM - kN]);
    mt[kN - 1] = Twist(mt[kN - 1], mt[0], mt[kM - 1]);
    for (i = 0; i < kN; ++i) {
        uint32_t y = mt[i];
        y ^= y >> 11;
        y ^= (y << 7) & 0x9D2C5680u;
        y ^= (y << 15) & 0xEFC60000u;
        y ^= y >> 18;
        g_random.output[i] = y;
    }
    g_random.index = 0;
}

void Seed(uint32_t seed) {
    uint32_t s = seed;
    for (int i = 0; i < kN; ++i) {
        uint32_t word = s & 0xFFFF0000u;
        s = 69069u * s + 1u;
        word |= s >> 16;
        s = 69069u * s + 1u;
        g_random.state[i] = word;
    }
    if (!g_random.cpuKnown) {
        PlatCpuInfo cpu;
        PlatCpuIdentify(&cpu);
        g_random.cpuHasMmx = cpu.hasMmx;
        g_random.cpuKnown = 1;
    }
    g_random.widePath = g_random.cpuHasMmx;
    g_random.seeded = 1;
    GenerateBlock();
}

uint32_t DrawWord() {
    if (!g_random.seeded || g_random.index >= kN || g_random.index < 0) {
        if (!g_random.seeded) {
            Seed(4357u);
        } else {
            GenerateBlock();
        }
    }
    return g_random.output[g_random.index++];
}

}  // namespace

extern "C" {

int SeedRandom(uint32_t seed) {
    ApiScope lock;
    Seed(seed);
    return 0;
}

int GetRandom(int max) {
    ApiScope lock;
    uint32_t r = DrawWord();
    int64_t m = static_cast<int32_t>(static_cast<uint32_t>(max) + 1u);
    int64_t product = static_cast<int64_t>(r) * m;
    return static_cast<int>(product >> 32);
}

}  // extern "C"
