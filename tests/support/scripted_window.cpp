// scripted_window.cpp - the window and display of the scripted platform
// (plat_window.h): a window that exists only as state in memory, events queued by
// the test (close request, focus), and the presented frames kept for comparison.
//
// Owns: the scripted window state. The test thread queues events while the library
// polls them on its own thread, so everything here is under one mutex.
#include <string.h>

#include <deque>
#include <mutex>
#include <string>

#include "media/platform/plat_window.h"
#include "tests/support/scripted.h"
#include "tests/support/scripted_detail.h"

namespace {

struct ScriptedWindow {
    bool videoStarted = false;
    bool open = false;
    std::string title;
    int clientWidth = 0, clientHeight = 0, flags = 0;
    PlatDesktopInfo desktop = {1920, 1080, 32, 60};
    std::deque<PlatEvent> events;
    int presentedCount = 0;
    script::Frame last;
};

std::mutex g_mutex;
ScriptedWindow g_window;

void Queue(int type) {
    PlatEvent e = {type, 0, 0};
    g_window.events.push_back(e);
}

}  // namespace

int PlatVideoStart() {
    std::lock_guard<std::mutex> hold(g_mutex);
    g_window.videoStarted = true;
    return 0;
}

void PlatVideoStop() {
    std::lock_guard<std::mutex> hold(g_mutex);
    g_window.videoStarted = false;
}

int PlatDesktop(PlatDesktopInfo* out) {
    std::lock_guard<std::mutex> hold(g_mutex);
    if (!g_window.videoStarted || !out) return -1;
    *out = g_window.desktop;
    return 0;
}

int PlatWindowOpen(const char* titleUtf8, int clientWidth, int clientHeight, int flags) {
    std::lock_guard<std::mutex> hold(g_mutex);
    if (!g_window.videoStarted || g_window.open || clientWidth <= 0 || clientHeight <= 0) return -1;
    g_window.open = true;
    g_window.title = titleUtf8 ? titleUtf8 : "";
    g_window.clientWidth = clientWidth;
    g_window.clientHeight = clientHeight;
    g_window.flags = flags;
    return 0;
}

void PlatWindowClose() {
    std::lock_guard<std::mutex> hold(g_mutex);
    g_window.open = false;
}

int PlatWindowIsOpen() {
    std::lock_guard<std::mutex> hold(g_mutex);
    return g_window.open ? 1 : 0;
}

void PlatWindowSetTitle(const char* titleUtf8) {
    std::lock_guard<std::mutex> hold(g_mutex);
    if (g_window.open) g_window.title = titleUtf8 ? titleUtf8 : "";
}

int PlatWindowSetMode(int clientWidth, int clientHeight, int flags, int) {
    std::lock_guard<std::mutex> hold(g_mutex);
    if (!g_window.open || clientWidth <= 0 || clientHeight <= 0) return -1;
    g_window.clientWidth = clientWidth;
    g_window.clientHeight = clientHeight;
    g_window.flags = flags;
    return 0;
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
    std::lock_guard<std::mutex> hold(g_mutex);
    if (!g_window.open || !pixels || width <= 0 || height <= 0 || pitchBytes < width * 4) return -1;
    script::Frame& f = g_window.last;
    f.width = width;
    f.height = height;
    f.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row =
            reinterpret_cast<const uint8_t*>(pixels) + static_cast<size_t>(y) * pitchBytes;
        memcpy(&f.pixels[static_cast<size_t>(y) * width], row, static_cast<size_t>(width) * 4);
    }
    ++g_window.presentedCount;
    return 0;
}

int PlatCanWaitVBlank() {
    return 0;
}

namespace script {

bool WindowOpen() {
    std::lock_guard<std::mutex> hold(g_mutex);
    return g_window.open;
}

void RequestClose() {
    std::lock_guard<std::mutex> hold(g_mutex);
    Queue(PLAT_EVENT_CLOSE_REQUEST);
}

void SetFocus(bool active) {
    std::lock_guard<std::mutex> hold(g_mutex);
    Queue(active ? PLAT_EVENT_FOCUS_GAINED : PLAT_EVENT_FOCUS_LOST);
}

const char* WindowTitle() {
    std::lock_guard<std::mutex> hold(g_mutex);
    return g_window.title.c_str();
}

void SetDesktop(int width, int height, int bitsPerPixel) {
    std::lock_guard<std::mutex> hold(g_mutex);
    g_window.desktop.width = width;
    g_window.desktop.height = height;
    g_window.desktop.bitsPerPixel = bitsPerPixel;
    if (g_window.open) Queue(PLAT_EVENT_DISPLAY_CHANGED);
}

int PresentedCount() {
    std::lock_guard<std::mutex> hold(g_mutex);
    return g_window.presentedCount;
}

const Frame& LastPresented() {
    std::lock_guard<std::mutex> hold(g_mutex);
    return g_window.last;
}

namespace detail {
void ResetWindow() {
    std::lock_guard<std::mutex> hold(g_mutex);
    g_window = ScriptedWindow();
}
}  // namespace detail

}  // namespace script
