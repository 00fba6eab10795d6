// api_lock_test.cpp - the API lock: arrival order, re-entry, the pump thread's giving up.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "media/core/api_lock.h"
#include "pavex.h"

namespace {

// Waits (really) until `count` threads are queued for the lock.
void WaitForWaiters(int count) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ApiLockWaiterCount() != count && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(ApiLockWaiterCount(), count);
}

std::atomic<bool> g_giveUp{false};

}  // namespace

// Threads are served in arrival order, and a former owner that comes back at once
// queues behind them (never overtaking the waiter it has just woken). The pump thread queues like
// everyone else; told to give up (noticed at the end of its 1000 ms slice) it leaves the queue
// without the lock.
TEST(ApiLock, WaitersAreServedInArrivalOrderAndThePumpMayGiveUp) {
    for (bool giveUp : {false, true}) {
        SCOPED_TRACE(giveUp ? "the pump gives up" : "the pump takes its turn");
        g_giveUp = false;
        std::vector<int> order;  // who got the lock, noted while holding it
        EnterApiLock();
        std::thread pump([&] {
            if (EnterApiLockUnless([] { return g_giveUp.load(); })) {
                order.push_back(1);
                LeaveApiLock();
            }
        });
        WaitForWaiters(1);
        std::vector<std::thread> threads;
        for (int who = 2; who <= 4; ++who) {
            threads.emplace_back([&order, who] {
                EnterApiLock();
                order.push_back(who);
                LeaveApiLock();
            });
            WaitForWaiters(who);
        }
        if (giveUp) {
            g_giveUp = true;
            pump.join();
            EXPECT_EQ(ApiLockWaiterCount(), 3) << "the pump's entry must leave the queue";
        }
        EXPECT_TRUE(order.empty()) << "no waiter may run while the lock is held";
        LeaveApiLock();
        EnterApiLock();
        order.push_back(0);
        LeaveApiLock();
        if (!giveUp) pump.join();
        for (std::thread& t : threads) t.join();
        EXPECT_EQ(order, (giveUp ? std::vector<int>{2, 3, 4, 0} : std::vector<int>{1, 2, 3, 4, 0}));
        EXPECT_EQ(ApiLockWaiterCount(), 0);
    }
}

TEST(ApiLock, ReentryRunsOnAndOnlyTheOutermostLeaveLetsAPublicCallIn) {
    EnterApiLock();
    CloseApiLock();  // as the fatal exit does: the lock stays usable for what follows
    LeaveApiLock();
    EXPECT_EQ(ApiLockHeldByCaller(), 0);
    EnterApiLock();
    EnterApiLock();              // would hang here if re-entry blocked
    EXPECT_EQ(GetRandom(0), 0);  // a public call made while holding it runs on at once
    EXPECT_EQ(ApiLockHeldByCaller(), 2);
    std::thread([] { LeaveApiLock(); }).join();  // a leave by a stranger is ignored
    EXPECT_EQ(ApiLockHeldByCaller(), 2);

    std::atomic<int> result{-100};
    std::thread caller([&] { result = GetRandom(0); });
    WaitForWaiters(1);
    LeaveApiLock();
    EXPECT_EQ(ApiLockHeldByCaller(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(result.load(), -100) << "the lock was handed over before the outermost leave";
    LeaveApiLock();
    caller.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_EQ(ApiLockHeldByCaller(), 0);
}
