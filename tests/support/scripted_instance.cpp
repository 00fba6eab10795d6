// scripted_instance.cpp - the single-instance mark of the scripted platform. The
// live mark is a name every process on the machine shares; here it lives in this
// process only, so test processes running side by side never see each other, and a
// test plays the "first copy" with script::SetOtherCopyRunning. The library takes
// the mark on the thread that moves the virtual clock, so there is no lock.
#include <string>

#include "media/platform/plat_instance.h"
#include "tests/support/scripted.h"
#include "tests/support/scripted_detail.h"

namespace {

bool g_otherCopy = false;  // a first copy of the program holds every mark
std::string g_held;        // the mark this process holds ("" for none)

}  // namespace

int PlatInstanceExists(const char* name) {
    return name && *name && (g_otherCopy || g_held == name);
}

int PlatInstanceCreate(const char* name) {
    if (!name || !*name) return -1;
    if (!g_held.empty()) return 0;
    if (g_otherCopy) return 1;
    g_held = name;
    return 0;
}

void PlatInstanceRelease() {
    g_held.clear();
}

namespace script {

void SetOtherCopyRunning(bool running) {
    g_otherCopy = running;
}

bool HoldsInstanceMark() {
    return !g_held.empty();
}

void detail::ResetInstance() {
    g_otherCopy = false;
    g_held.clear();
}

}  // namespace script
