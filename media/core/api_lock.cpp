// api_lock.cpp - the process-wide API lock (see api_lock.h).
//
// Owns: the lock record (depth, owner, the arrival queue of up to 4096 waiters and
// the 4096 wake-up events that travel with the queue entries) and its guard. The
// guard is held only for bookkeeping; waiting always happens with it released (a
// condition variable gives the guard back while it sleeps). Hand-over is strictly
// first come, first served: a thread that finds the lock free still queues behind
// any earlier waiter.
//
// Must not touch: anything else of the library. It logs nothing (the log runs
// under this lock) and allocates nothing from the tracking allocator.
#include "media/core/api_lock.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

namespace {

constexpr int kMaxWaiters = 4096;
constexpr auto kPumpSlice = std::chrono::milliseconds(1000);

// A manual-reset event: stays signalled until the thread that waited on it
// resets it. Its flag is guarded by LockState::guard.
struct Event {
    std::condition_variable cv;
    bool signalled = false;
};

struct LockState {
    std::mutex guard;
    int depth = 0;
    int locked = 0;
    std::thread::id owner;  // default id: nobody
    int waiterCount = 0;
    // Queue slot i (i < waiterCount) holds waiter thread waiterThread[i], which sleeps
    // on event slotEvent[i]. Free slots keep their spare event in slotEvent, so the
    // 4096 events are always shared out between the slots.
    std::thread::id waiterThread[kMaxWaiters];
    int slotEvent[kMaxWaiters];
    Event events[kMaxWaiters];

    LockState() {
        for (int i = 0; i < kMaxWaiters; ++i) slotEvent[i] = i;
    }
};

// Built on the first use of the lock and never destroyed: a thread may still be
// inside the lock while the process runs its exit handlers.
alignas(LockState) unsigned char g_storage[sizeof(LockState)];

LockState& State() {
    static LockState* state = new (g_storage) LockState();
    return *state;
}

// Removes queue entry `slot`; the entries behind it move forward with their
// events and the removed entry's event becomes the spare of the freed last slot.
void RemoveWaiter(LockState& s, int slot) {
    int freedEvent = s.slotEvent[slot];
    for (int i = slot + 1; i < s.waiterCount; ++i) {
        s.waiterThread[i - 1] = s.waiterThread[i];
        s.slotEvent[i - 1] = s.slotEvent[i];
    }
    --s.waiterCount;
    s.waiterThread[s.waiterCount] = std::thread::id();
    s.slotEvent[s.waiterCount] = freedEvent;
    s.events[freedEvent].signalled = false;
}

int FindWaiter(const LockState& s, std::thread::id self) {
    for (int i = 0; i < s.waiterCount; ++i) {
        if (s.waiterThread[i] == self) return i;
    }
    return -1;
}

// Called with the guard held: wakes the first waiter when the lock is free.
bool WakeHeadIfFree(LockState& s) {
    if (s.locked || s.waiterCount == 0) return false;
    Event& e = s.events[s.slotEvent[0]];
    e.signalled = true;
    e.cv.notify_one();
    return true;
}

// The common enter. With giveUp set, waits in slices and returns false (holding
// nothing, queued nowhere) once giveUp() says so.
bool Enter(bool (*giveUp)()) {
    LockState& s = State();
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> lock(s.guard);
    if (s.locked && s.owner == self) {
        ++s.depth;
        return true;
    }
    bool queued = false;
    for (;;) {
        // Free, and either nobody waits or this thread is at the head of the queue.
        if (!s.locked && (s.waiterCount == 0 || (queued && s.waiterThread[0] == self))) {
            if (queued) RemoveWaiter(s, 0);
            s.locked = 1;
            s.owner = self;
            s.depth = 1;
            return true;
        }
        if (!queued) {
            if (s.waiterCount >= kMaxWaiters) {
                lock.unlock();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                if (giveUp && giveUp()) return false;
                lock.lock();
                continue;
            }
            s.waiterThread[s.waiterCount] = self;
            s.events[s.slotEvent[s.waiterCount]].signalled = false;
            ++s.waiterCount;
            queued = true;
        }
        // Our entry may have moved forward while we slept; find our event again.
        int slot = FindWaiter(s, self);
        Event& e = s.events[s.slotEvent[slot]];
        if (giveUp) {
            if (!e.cv.wait_for(lock, kPumpSlice, [&] { return e.signalled; })) {
                lock.unlock();
                bool stop = giveUp();
                lock.lock();
                if (stop) {
                    int mine = FindWaiter(s, self);
                    if (mine >= 0) RemoveWaiter(s, mine);
                    bool woke = WakeHeadIfFree(s);
                    lock.unlock();
                    if (woke) std::this_thread::yield();
                    return false;
                }
                continue;
            }
        } else {
            e.cv.wait(lock, [&] { return e.signalled; });
        }
        e.signalled = false;
    }
}

}  // namespace

void EnterApiLock() {
    Enter(nullptr);
}

bool EnterApiLockUnless(bool (*giveUp)()) {
    if (!giveUp) return Enter(nullptr);
    return Enter(giveUp);
}

void LeaveApiLock() {
    LockState& s = State();
    bool woke = false;
    {
        std::lock_guard<std::mutex> lock(s.guard);
        // A leave by a thread that does not hold the lock would hand the lock of
        // another thread away; it is ignored.
        if (!s.locked || s.owner != std::this_thread::get_id() || s.depth <= 0) return;
        if (s.depth == 1) {
            s.locked = 0;
            s.owner = std::thread::id();
            woke = WakeHeadIfFree(s);
        }
        --s.depth;
    }
    if (woke) std::this_thread::yield();
}

// The standard primitives hold no system handles of their own, so closing the lock
// means putting every spare event back to unsignalled. The owner's hold (the
// caller is usually still inside a public wrapper) and any queued thread stay
// valid, so a later leave or enter keeps working.
void CloseApiLock() {
    LockState& s = State();
    std::lock_guard<std::mutex> lock(s.guard);
    for (int i = s.waiterCount; i < kMaxWaiters; ++i) s.events[s.slotEvent[i]].signalled = false;
}

int ApiLockWaiterCount() {
    LockState& s = State();
    std::lock_guard<std::mutex> lock(s.guard);
    return s.waiterCount;
}

int ApiLockHeldByCaller() {
    LockState& s = State();
    std::lock_guard<std::mutex> lock(s.guard);
    return s.locked && s.owner == std::this_thread::get_id() ? s.depth : 0;
}
