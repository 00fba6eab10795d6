// mt1998_reference.h - a reference Mersenne Twister for the tests, written after the
// generator's first published form (1998): sgenrand fills the state with Knuth's
// 69069 generator, genrand regenerates the 624 words when they are used up and
// tempers one word per draw, and an unseeded generator seeds itself with 4357.
#ifndef VORLANE_TESTS_MT1998_REFERENCE_H
#define VORLANE_TESTS_MT1998_REFERENCE_H

#include <stdint.h>

class Mt1998 {
public:
    void sgenrand(uint32_t seed) {
        for (int i = 0; i < N; i++) {
            mt[i] = seed & 0xffff0000u;
            seed = 69069u * seed + 1u;
            mt[i] |= (seed & 0xffff0000u) >> 16;
            seed = 69069u * seed + 1u;
        }
        mti = N;
    }

    uint32_t genrand() {
        static const uint32_t mag01[2] = {0x0u, 0x9908b0dfu};
        uint32_t y;
        if (mti >= N) {
            if (mti == N + 1) sgenrand(4357u);
            int kk;
            for (kk = 0; kk < N - M; kk++) {
                y = (mt[kk] & 0x80000000u) | (mt[kk + 1] & 0x7fffffffu);
                mt[kk] = mt[kk + M] ^ (y >> 1) ^ mag01[y & 0x1];
            }
            for (; kk < N - 1; kk++) {
                y = (mt[kk] & 0x80000000u) | (mt[kk + 1] & 0x7fffffffu);
                mt[kk] = mt[kk + (M - N)] ^ (y >> 1) ^ mag01[y & 0x1];
            }
            y = (mt[N - 1] & 0x80000000u) | (mt[0] & 0x7fffffffu);
            mt[N - 1] = mt[M - 1] ^ (y >> 1) ^ mag01[y & 0x1];
            mti = 0;
        }
        y = mt[mti++];
        y ^= (y >> 11);
        y ^= (y << 7) & 0x9d2c5680u;
        y ^= (y << 15) & 0xefc60000u;
        y ^= (y >> 18);
        return y;
    }

    // The state words right after sgenrand (for feeding another engine).
    const uint32_t* state() const { return mt; }

private:
    static const int N = 624;
    static const int M = 397;
    uint32_t mt[N];
    int mti = N + 1;
};

// floor(r * (max + 1) / 2^32) for max >= 0, written with unsigned arithmetic.
inline int ScaleDraw(uint32_t r, int max) {
    return static_cast<int>((static_cast<uint64_t>(r) * (static_cast<uint64_t>(max) + 1u)) >> 32);
}

#endif
