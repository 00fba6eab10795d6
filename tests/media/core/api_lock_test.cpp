// Tests of the API lock: arrival order, re-entry, the pump thread's giving up.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "media/core/api_lock.h"
#include "media/pavex.h"

namespace {

// Waits (really) until `count` threads are queued for the lock.
void WaitForWaiters(int count) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ApiLockWaiterCount() != count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(ApiLockWaiterCount(), count);
}

struct Journal {
    std::mutex guard;
    std::vector<int> order;
    void Add(int who) {
        std::lock_guard<std::mutex> lock(guard);
        order.push_back(who);
    }
};

}  // namespace

TEST(ApiLock, FreeLockIsTakenAtOnceAndReleased) {
    EXPECT_EQ(ApiLockHeldByCaller(), 0);
    EnterApiLock();
    EXPECT_EQ(ApiLockHeldByCaller(), 1);
    EXPECT_EQ(ApiLockWaiterCount(), 0);
    LeaveApiLock();
    EXPECT_EQ(ApiLockHeldByCaller(), 0);
}

TEST(ApiLock, WaitersAreServedInArrivalOrder) {
    Journal journal;
    EnterApiLock();
    std::vector<std::thread> threads;
    for (int who = 1; who <= 4; ++who) {
        threads.emplace_back([who, &journal] {
            EnterApiLock();
            journal.Add(who);
            LeaveApiLock();
        });
        WaitForWaiters(who);
    }
    EXPECT_TRUE(journal.order.empty()) << "no waiter may run while the lock is held";
    LeaveApiLock();
    // The former owner comes back at once: it must queue behind the four.
    EnterApiLock();
    journal.Add(0);
    LeaveApiLock();
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(journal.order, (std::vector<int>{1, 2, 3, 4, 0}));
    EXPECT_EQ(ApiLockWaiterCount(), 0);
}

TEST(ApiLock, PublicCallBlocksWhileAnotherThreadHoldsTheLock) {
    std::atomic<int> result{-100};
    EnterApiLock();
    std::thread caller([&] { result = GetRandom(0); });
    WaitForWaiters(1);
    EXPECT_EQ(result.load(), -100);
    LeaveApiLock();
    caller.join();
    EXPECT_EQ(result.load(), 0);
}

TEST(ApiLock, ReentryDoesNotBlockAndOnlyTheOutermostLeaveFrees) {
    std::atomic<bool> entered{false};
    EnterApiLock();
    EnterApiLock();  // would hang here if re-entry blocked
    // A public call made while holding the lock runs on at once.
    EXPECT_EQ(GetRandom(0), 0);
    EXPECT_EQ(ApiLockHeldByCaller(), 2);
    std::thread other([&] {
        EnterApiLock();
        entered = true;
        LeaveApiLock();
    });
    WaitForWaiters(1);
    LeaveApiLock();
    EXPECT_EQ(ApiLockHeldByCaller(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(entered.load()) << "the lock was handed over before the outermost leave";
    EXPECT_EQ(ApiLockWaiterCount(), 1);
    LeaveApiLock();
    other.join();
    EXPECT_TRUE(entered.load());
    EXPECT_EQ(ApiLockHeldByCaller(), 0);
}

TEST(ApiLock, LeaveByAThreadThatDoesNotHoldItIsIgnored) {
    EnterApiLock();
    std::thread stranger([] { LeaveApiLock(); });
    stranger.join();
    EXPECT_EQ(ApiLockHeldByCaller(), 1);
    LeaveApiLock();
    EXPECT_EQ(ApiLockHeldByCaller(), 0);
}

namespace {
std::atomic<bool> g_giveUp{false};
bool GiveUp() {
    return g_giveUp.load();
}
}  // namespace

TEST(ApiLock, PumpEntryGivesUpWithoutLeavingAQueueEntry) {
    g_giveUp = false;
    Journal journal;
    EnterApiLock();
    std::atomic<int> pumpResult{-1};
    std::thread pump([&] {
        bool got = EnterApiLockUnless(GiveUp);
        pumpResult = got ? 1 : 0;
        if (got) LeaveApiLock();
    });
    WaitForWaiters(1);
    std::thread later([&] {
        EnterApiLock();
        journal.Add(2);
        LeaveApiLock();
    });
    WaitForWaiters(2);
    g_giveUp = true;  // noticed at the end of the pump's current 1000 ms slice
    pump.join();
    EXPECT_EQ(pumpResult.load(), 0);
    EXPECT_EQ(ApiLockWaiterCount(), 1) << "the pump's entry must leave the queue";
    LeaveApiLock();
    later.join();
    EXPECT_EQ(journal.order, (std::vector<int>{2}));
    g_giveUp = false;
}

TEST(ApiLock, PumpEntryTakesItsTurnWhenNotGivingUp) {
    g_giveUp = false;
    Journal journal;
    EnterApiLock();
    std::thread pump([&] {
        if (EnterApiLockUnless(GiveUp)) {
            journal.Add(1);
            LeaveApiLock();
        }
    });
    WaitForWaiters(1);
    std::thread later([&] {
        EnterApiLock();
        journal.Add(2);
        LeaveApiLock();
    });
    WaitForWaiters(2);
    LeaveApiLock();
    pump.join();
    later.join();
    EXPECT_EQ(journal.order, (std::vector<int>{1, 2}));
}

TEST(ApiLock, StaysUsableAfterClose) {
    EnterApiLock();
    CloseApiLock();
    LeaveApiLock();
    std::atomic<bool> entered{false};
    EnterApiLock();
    std::thread other([&] {
        EnterApiLock();
        entered = true;
        LeaveApiLock();
    });
    WaitForWaiters(1);
    EXPECT_FALSE(entered.load());
    LeaveApiLock();
    other.join();
    EXPECT_TRUE(entered.load());
}
