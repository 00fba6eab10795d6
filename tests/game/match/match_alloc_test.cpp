// match_alloc_test.cpp - a round allocates nothing: every global operator new of
// this test executable is counted, and so are the library's tracked blocks, across
// thousands of frames of rules played by a scripted player.
#include <stdlib.h>

#include <atomic>
#include <new>

#include "game/match/queue.h"
#include "media/core/tracked_alloc.h"
#include "tests/game/match/match_fixture.h"
#include "tests/game/match/rule_frame.h"

namespace {
std::atomic<long> g_news{0};

void* CountedNew(size_t size) {
    g_news.fetch_add(1, std::memory_order_relaxed);
    if (void* p = malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
}  // namespace

// Every form is replaced so that allocation and release always pair malloc and free.
void* operator new(size_t size) {
    return CountedNew(size);
}
void* operator new[](size_t size) {
    return CountedNew(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    g_news.fetch_add(1, std::memory_order_relaxed);
    return malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    g_news.fetch_add(1, std::memory_order_relaxed);
    return malloc(size ? size : 1);
}
void operator delete(void* p) noexcept {
    free(p);
}
void operator delete[](void* p) noexcept {
    free(p);
}
void operator delete(void* p, size_t) noexcept {
    free(p);
}
void operator delete[](void* p, size_t) noexcept {
    free(p);
}

namespace {

class MatchAllocationTest : public MatchTest {};

// Plays frames of rules; the keys cycle through moves, rotations, soft drops, holds
// and hard drops (two frames each) so that every rule runs.
void PlayFrames(int frames) {
    static const int kPattern[16] = {key::kLeft, key::kLeft, key::kZ,  0, key::kRight, key::kX,
                                     0,          key::kDown, key::kA,  key::kA, key::kA, 0,
                                     key::kC,    key::kC,    key::kC,  0};
    for (int frame = 0; frame < frames; ++frame) {
        script::ReleaseAllKeys();
        if (const int k = kPattern[(frame / 2) % 16]) script::SetKey(k, true);
        if (match.netMode == 1 && frame % 100 == 0) match.pendingGarbage += 2;
        script::AdvanceMs(rules::FrameBudgetMs(static_cast<uint64_t>(frame)));
        rules::StepRules();
        if (!rules::EndFrame(nullptr)) {
            InitRound(frame % 2);
            SpawnPiece();
        }
    }
}

TEST_F(MatchAllocationTest, ThousandsOfFramesAllocateNothing) {
    gameSettings.ShowLandingPoint = true;
    gameSettings.PadVibration = true;
    gameSettings.Difficulty = 3;
    SpawnPiece();
    PlayFrames(300);  // lets every service the rules call start up first
    const long newsBefore = g_news.load();
    const int blocksBefore = TrackedBlockCount();
    PlayFrames(6000);
    match.netMode = 1;
    InitRound(0);
    SpawnPiece();
    PlayFrames(3000);
    EXPECT_EQ(g_news.load() - newsBefore, 0);
    EXPECT_EQ(TrackedBlockCount() - blocksBefore, 0);
}

TEST_F(MatchAllocationTest, TheCounterSeesAnAllocation) {
    const long before = g_news.load();
    auto* p = new int(4);
    EXPECT_EQ(g_news.load() - before, 1);
    delete p;
}

}  // namespace
