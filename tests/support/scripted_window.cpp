// scripted_window.cpp - the desktop session of the scripted platform: the window and
// display (plat_window.h), a window that exists only as state in memory, events queued
// by the test (close request, focus), and the presented frames kept for comparison;
// and the single-instance mark (plat_instance.h).
//
// Owns: the scripted window state. A test may run the program on a thread of its own
// and queue events from the test's thread, so the event queue is under a mutex; the
// rest is touched by one thread at a time.
//
// The live instance mark is a name every process on the machine shares; here it lives
// in this process only, so test processes running side by side never see each other,
// and a test plays the "first copy" with script::SetOtherCopyRunning.
#include <string.h>

#include <deque>
#include <mutex>
#include <string>

#include "media/platform/plat_instance.h"
#include "media/platform/plat_window.h"
#include "tests/support/scripted.h"
#include "tests/support/scripted_detail.h"

namespace {

struct ScriptedWindow {
    bool videoStarted = false;
    bool open = false;
    std::string title;
    PlatDesktopInfo desktop = {1920, 1080, 32, 60};
    std::deque<PlatEvent> events;
    int presentedCount = 0;
    script::Frame last;
    bool otherCopy = false;  // a first copy of the program holds every instance mark
    std::string heldMark;    // the mark this process holds ("" for none)
};

std::mutex g_mutex;
ScriptedWindow g_window;

void Queue(int type) {
    std::lock_guard<std::mutex> hold(g_mutex);
    g_window.events.push_back(PlatEvent{type, 0, 0});
}

}  // namespace

int PlatVideoStart() {
    g_window.videoStarted = true;
    return 0;
}

void PlatVideoStop() {
    g_window.videoStarted = false;
}

int PlatDesktop(PlatDesktopInfo* out) {
    if (!g_window.videoStarted || !out) return -1;
    *out = g_window.desktop;
    return 0;
}

int PlatWindowOpen(const char* titleUtf8, int clientWidth, int clientHeight, int) {
    if (!g_window.videoStarted || g_window.open || clientWidth <= 0 || clientHeight <= 0) return -1;
    g_window.open = true;
    g_window.title = titleUtf8 ? titleUtf8 : "";
    return 0;
}

void PlatWindowClose() {
    g_window.open = false;
}

int PlatWindowIsOpen() {
    return g_window.open ? 1 : 0;
}

void PlatWindowSetTitle(const char* titleUtf8) {
    if (g_window.open) g_window.title = titleUtf8 ? titleUtf8 : "";
}

int PlatWindowSetMode(int clientWidth, int clientHeight, int, int) {
    return g_window.open && clientWidth > 0 && clientHeight > 0 ? 0 : -1;
}

int PlatWindowDisableTextInput() {
    return 1;
}

void PlatWindowRaise() {}

int PlatPollEvent(PlatEvent* out) {
    std::lock_guard<std::mutex> hold(g_mutex);
    if (g_window.events.empty() || !out) return 0;
    *out = g_window.events.front();
    g_window.events.pop_front();
    return 1;
}

int PlatPresent(const uint32_t* pixels, int width, int height, int pitchBytes, int) {
    if (!g_window.open || !pixels || width <= 0 || height <= 0 || pitchBytes < width * 4) return -1;
    script::Frame& f = g_window.last;
    f.width = width;
    f.height = height;
    f.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        memcpy(&f.pixels[static_cast<size_t>(y) * width],
               reinterpret_cast<const uint8_t*>(pixels) + static_cast<size_t>(y) * pitchBytes,
               static_cast<size_t>(width) * 4);
    ++g_window.presentedCount;
    return 0;
}

int PlatCanWaitVBlank() {
    return 0;
}

int PlatInstanceExists(const char* name) {
    return name && *name && (g_window.otherCopy || g_window.heldMark == name);
}

int PlatInstanceCreate(const char* name) {
    if (!name || !*name) return -1;
    if (!g_window.heldMark.empty()) return 0;
    if (g_window.otherCopy) return 1;
    g_window.heldMark = name;
    return 0;
}

void PlatInstanceRelease() {
    g_window.heldMark.clear();
}

namespace script {

bool WindowOpen() {
    return g_window.open;
}

void RequestClose() {
    Queue(PLAT_EVENT_CLOSE_REQUEST);
}

void SetFocus(bool active) {
    Queue(active ? PLAT_EVENT_FOCUS_GAINED : PLAT_EVENT_FOCUS_LOST);
}

const char* WindowTitle() {
    return g_window.title.c_str();
}

void SetDesktop(int width, int height, int bitsPerPixel) {
    g_window.desktop = {width, height, bitsPerPixel, g_window.desktop.refreshRate};
    if (g_window.open) Queue(PLAT_EVENT_DISPLAY_CHANGED);
}

int PresentedCount() {
    return g_window.presentedCount;
}

const Frame& LastPresented() {
    return g_window.last;
}

void SetOtherCopyRunning(bool running) {
    g_window.otherCopy = running;
}

bool HoldsInstanceMark() {
    return !g_window.heldMark.empty();
}

namespace detail {
void ResetWindow() {
    std::lock_guard<std::mutex> hold(g_mutex);
    g_window = ScriptedWindow();
}
}  // namespace detail

}  // namespace script
