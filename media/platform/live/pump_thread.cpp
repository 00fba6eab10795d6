// pump_thread.cpp - the background pump of a real desktop (plat_pump.h): one
// std::thread that runs the duty, then sleeps for the period on a condition
// variable that PlatPumpWake cuts short.
//
// Owns: the thread and its wake-up. Knows nothing of what the duty does.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "media/platform/plat_pump.h"

namespace {

struct PumpThread {
    std::thread thread;
    std::mutex mutex;
    std::condition_variable wake;
    bool woken = false;
};

// Built on first use and never destroyed: a process that exits while the thread
// runs (the fatal exit) must not trip over a joinable thread object.
alignas(PumpThread) unsigned char g_storage[sizeof(PumpThread)];

PumpThread& Pump() {
    static PumpThread* pump = new (g_storage) PumpThread();
    return *pump;
}

void Run(PlatPumpDuty duty, int periodMs) {
    PumpThread& p = Pump();
    while (duty() == 0) {
        std::unique_lock<std::mutex> hold(p.mutex);
        p.wake.wait_for(hold, std::chrono::milliseconds(periodMs), [&p] { return p.woken; });
        p.woken = false;
    }
}

}  // namespace

int PlatPumpStart(PlatPumpDuty duty, int periodMs) {
    PumpThread& p = Pump();
    if (p.thread.joinable() || !duty) return -1;
    p.woken = false;
    try {
        p.thread = std::thread(Run, duty, periodMs);
    } catch (const std::system_error&) {
        return -1;
    }
    return 0;
}

void PlatPumpWake() {
    PumpThread& p = Pump();
    {
        std::lock_guard<std::mutex> hold(p.mutex);
        p.woken = true;
    }
    p.wake.notify_all();
}

void PlatPumpStop() {
    PumpThread& p = Pump();
    if (!p.thread.joinable()) return;
    PlatPumpWake();
    if (p.thread.get_id() == std::this_thread::get_id()) {
        p.thread.detach();
        return;
    }
    p.thread.join();
}

int PlatPumpIsCurrentThread() {
    PumpThread& p = Pump();
    return p.thread.joinable() && p.thread.get_id() == std::this_thread::get_id() ? 1 : 0;
}
