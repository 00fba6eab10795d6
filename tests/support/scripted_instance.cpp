// scripted_instance.cpp - the single-instance mark of the scripted platform. The
// live mark is a name every process on the machine shares; here it lives in this
// process only, so test processes running side by side never see each other, and a
// test plays the "first copy" with script::SetOtherCopyRunning.
#include <mutex>
#include <string>

#include "media/platform/plat_instance.h"
#include "tests/support/scripted.h"
#include "tests/support/scripted_detail.h"

namespace {

struct ScriptedMark {
    bool otherCopy = false;  // a first copy of the program holds every mark
    std::string held;        // the mark this process holds ("" for none)
};
ScriptedMark g_mark;
std::mutex g_markMutex;

}  // namespace

int PlatInstanceExists(const char* name) {
    std::lock_guard<std::mutex> hold(g_markMutex);
    if (!name || !*name) return 0;
    return g_mark.otherCopy || g_mark.held == name;
}

int PlatInstanceCreate(const char* name) {
    std::lock_guard<std::mutex> hold(g_markMutex);
    if (!name || !*name) return -1;
    if (!g_mark.held.empty()) return 0;
    if (g_mark.otherCopy) return 1;
    g_mark.held = name;
    return 0;
}

void PlatInstanceRelease() {
    std::lock_guard<std::mutex> hold(g_markMutex);
    g_mark.held.clear();
}

namespace script {

void SetOtherCopyRunning(bool running) {
    std::lock_guard<std::mutex> hold(g_markMutex);
    g_mark.otherCopy = running;
}

bool HoldsInstanceMark() {
    std::lock_guard<std::mutex> hold(g_markMutex);
    return !g_mark.held.empty();
}

namespace detail {
void ResetInstance() {
    std::lock_guard<std::mutex> hold(g_markMutex);
    g_mark = ScriptedMark{};
}
}  // namespace detail

}  // namespace script
