// round_fixture.h - a started game (the shell's start-up, the generated data tree,
// the sound effects) on the scripted platform for every round test, and the record
// of what a round did at each flip, kept by the link-time spies of round_spies.cpp.
#ifndef VORLANE_TESTS_ROUND_FIXTURE_H
#define VORLANE_TESTS_ROUND_FIXTURE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include "match/match_state.h"
#include "tests/game/alloc_spy.h"
#include "shell/app.h"
#include "shell/assets.h"
#include "shell/settings.h"
#include "pavex.h"
#include "tests/support/scripted.h"
#include "tests/support/temp_dir.h"

namespace rspy {
// One presented frame: when it was presented, the "Ready" frame drawn into it (-1
// none) and the allocations so far.
struct Flip {
    uint32_t at;
    int ready;
    long allocations;
};
constexpr int kMaxFlips = 4096;
extern Flip flips[kMaxFlips];
extern int flipCount;
extern int sends, sendsWithEnd, receives;
extern int effects[32];
// Called after every flip with its index; the test scripts keys and fields here.
// It must not allocate.
extern void (*onFlip)(int index);
// Called inside ReceiveMatchMessage in place of a network read.
extern void (*onReceive)();
void Clear();
}  // namespace rspy

class RoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        script::Reset(100000);
        ASSERT_EQ(symlink(VORLANE_DATA_DIR, "data"), 0);
        ASSERT_EQ(StartUpApplication(), 1);
        LoadSoundEffects();
        match = MatchState{};
        gameSettings = kDefaultGameSettings;
        ShowFps = false;
        rspy::Clear();
    }
    void TearDown() override {
        rspy::onFlip = nullptr;
        rspy::onReceive = nullptr;
        script::ReleaseAllKeys();
        EndMediaLayer();
    }

public:
    // Index of the first flip of the frame loop (after the "Ready" animation); past
    // every flip until the animation has begun.
    static int FirstRoundFlip() {
        int first = rspy::kMaxFlips;
        for (int i = 0; i < rspy::flipCount; ++i)
            if (rspy::flips[i].ready >= 0) first = i + 1;
        return first;
    }

    TempDir dir;
};

#endif
