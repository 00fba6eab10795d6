// api_lock.h - the one re-entrant, first-come-first-served lock around every public
// function of the library.
//
// Owns: EnterApiLock / LeaveApiLock and the scope guard that every public wrapper
// uses. The lock hands itself to waiting threads strictly in arrival order and is
// re-entrant for its owner, so internal code may call other public functions.
#ifndef PAVEX_CORE_API_LOCK_H
#define PAVEX_CORE_API_LOCK_H

void EnterApiLock();
void LeaveApiLock();

// Enter for the message-pump thread: waits in slices of 1000 ms and gives up (returns
// false, without the lock) as soon as giveUp() returns true. Leaves no queue entry
// behind when it gives up.
bool EnterApiLockUnless(bool (*giveUp)());

// Releases what the lock made for itself (after EndMediaLayer and in the fatal exit).
void CloseApiLock();

// Observation for tests and checks: threads queued for the lock, and the depth
// with which the calling thread holds it (0 when it does not).
int ApiLockWaiterCount();
int ApiLockHeldByCaller();

// Every public function is: ApiScope lock; return Internal(...);
class ApiScope {
public:
    ApiScope() { EnterApiLock(); }
    ~ApiScope() { LeaveApiLock(); }
    ApiScope(const ApiScope&) = delete;
    ApiScope& operator=(const ApiScope&) = delete;
};

#endif
