// An unseeded generator behaves as one seeded with 4357. This file holds a single
// test so that nothing else draws or seeds before it in the process.
#include <gtest/gtest.h>

#include <vector>

#include "pavex.h"
#include "tests/media/time/mt1998_reference.h"

TEST(RandomUnseeded, FirstDrawsEqualSeed4357) {
    std::vector<int> unseeded;
    for (int i = 0; i < 1500; ++i) unseeded.push_back(GetRandom(0x7FFFFFFE));
    SeedRandom(4357);
    std::vector<int> seeded;
    for (int i = 0; i < 1500; ++i) seeded.push_back(GetRandom(0x7FFFFFFE));
    EXPECT_EQ(unseeded, seeded);
    Mt1998 ref;  // never seeded either
    for (int i = 0; i < 1500; ++i) ASSERT_EQ(unseeded[i], ScaleDraw(ref.genrand(), 0x7FFFFFFE));
}
