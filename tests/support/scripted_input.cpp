// scripted_input.cpp - keys, mouse buttons and pads of the scripted platform
// (plat_input.h), set by the test; rumble is recorded instead of felt.
//
// Owns: the scripted key state, mouse buttons and pad table. The library reads them
// on the thread that moves the virtual clock (the pump has no thread of its own here),
// which is the test's thread, so there is no lock. Must not touch the other scripted
// services (the clock is only read).
#include <string.h>

#include <algorithm>

#include "media/platform/plat_clock.h"
#include "media/platform/plat_input.h"
#include "tests/support/scripted.h"
#include "tests/support/scripted_detail.h"
#include "tests/support/scripted_input.h"

namespace {

constexpr int kRumbleLog = 512;

struct ScriptedPad {
    uint32_t id;
    bool rumble;
    char name[64];
    PlatPadState state;
    int reads;
    script::Rumble set;  // the motors' last setting
    uint32_t durationMs;
    script::Rumble log[kRumbleLog];
    int logCount;  // total changes recorded (the log keeps the last kRumbleLog)
};

struct ScriptedInput {
    uint8_t keys[256];
    uint32_t mouse;
    ScriptedPad pads[PLAT_MAX_PADS];  // the attached pads, in plug order
    int count;
    uint32_t nextId;
    uint32_t changeCount;
    uint32_t openFailures;
    bool failNextOpen;
};

ScriptedInput g_input;

ScriptedPad* Attached(uint32_t id) {
    for (int i = 0; i < g_input.count; ++i)
        if (g_input.pads[i].id == id) return &g_input.pads[i];
    return nullptr;
}

// The motors as they run now: a strength whose duration has run out reads 0.
script::Rumble RunningRumble(const ScriptedPad* pad) {
    const uint32_t now = PlatTickMillis();
    if (!pad || now - pad->set.atMs >= pad->durationMs) return script::Rumble{now, 0, 0};
    return script::Rumble{now, pad->set.low, pad->set.high};
}

}  // namespace

int PlatInputOpen() {
    return 0;
}

void PlatInputClose() {}

void PlatReadKeyboard(uint8_t keys[256]) {
    memcpy(keys, g_input.keys, sizeof g_input.keys);
}

uint32_t PlatReadMouseButtons() {
    return g_input.mouse;
}

int PlatListPads(uint32_t ids[PLAT_MAX_PADS]) {
    for (int i = 0; i < g_input.count; ++i) ids[i] = g_input.pads[i].id;
    return g_input.count;
}

uint32_t PlatPadChangeCount() {
    return g_input.changeCount;
}

uint32_t PlatPadOpenFailures() {
    return g_input.openFailures;
}

int PlatDescribePad(uint32_t id, PlatPadInfo* info) {
    *info = PlatPadInfo{};
    ScriptedPad* pad = Attached(id);
    if (!pad) return -1;
    memcpy(info->name, pad->name, sizeof info->name);
    memcpy(info->product, pad->name, sizeof info->product);
    info->hasRumble = pad->rumble ? 1 : 0;
    return 0;
}

int PlatReadPad(uint32_t id, PlatPadState* state) {
    ScriptedPad* pad = Attached(id);
    *state = pad ? pad->state : PlatPadState{};
    if (!pad) return -1;
    ++pad->reads;
    return 0;
}

int PlatSetPadRumble(uint32_t id, uint16_t low, uint16_t high, uint32_t durationMs) {
    ScriptedPad* pad = Attached(id);
    if (!pad || !pad->rumble) return -1;
    const script::Rumble before = RunningRumble(pad);
    pad->set = script::Rumble{before.atMs, low, high};
    pad->durationMs = durationMs;
    if (before.low != low || before.high != high) pad->log[pad->logCount++ % kRumbleLog] = pad->set;
    return 0;
}

namespace script {

void SetKey(int keyCode, bool down) {
    if (keyCode >= 0 && keyCode <= 255) g_input.keys[keyCode] = down ? 0x80 : 0;
}

void ReleaseAllKeys() {
    memset(g_input.keys, 0, sizeof g_input.keys);
}

uint32_t PlugPad(bool rumble, const char* name) {
    ++g_input.changeCount;
    if (g_input.failNextOpen) {
        g_input.failNextOpen = false;
        ++g_input.openFailures;
        return 0;
    }
    if (g_input.count >= PLAT_MAX_PADS) return 0;
    ScriptedPad& pad = g_input.pads[g_input.count++];
    pad = ScriptedPad{};
    pad.id = ++g_input.nextId;
    pad.rumble = rumble;
    strncpy(pad.name, name ? name : "", sizeof pad.name - 1);
    return pad.id;
}

void UnplugPad(uint32_t id) {
    ScriptedPad* pad = Attached(id);
    if (!pad) return;
    const ScriptedPad* end = g_input.pads + g_input.count--;
    memmove(pad, pad + 1, sizeof(ScriptedPad) * static_cast<size_t>(end - pad - 1));
    ++g_input.changeCount;
}

int PadCount() {
    return g_input.count;
}

void SetPadAxis(uint32_t id, int axis, int value) {
    ScriptedPad* pad = Attached(id);
    if (pad && axis >= 0 && axis < PLAT_PAD_AXES) pad->state.axes[axis] = value;
}

void SetPadButton(uint32_t id, int button, bool down) {
    ScriptedPad* pad = Attached(id);
    if (pad && button >= 1 && button <= PLAT_PAD_BUTTONS)
        pad->state.buttons[button - 1] = down ? 0x80 : 0;
}

int PadReads(uint32_t id) {
    ScriptedPad* pad = Attached(id);
    return pad ? pad->reads : 0;
}

void FailNextPadOpen() {
    g_input.failNextOpen = true;
}

Rumble PadRumbleNow(uint32_t id) {
    return RunningRumble(Attached(id));
}

int RumbleChangeCount(uint32_t id) {
    ScriptedPad* pad = Attached(id);
    return pad ? std::min(pad->logCount, kRumbleLog) : 0;
}

Rumble RumbleChange(uint32_t id, int index) {
    ScriptedPad* pad = Attached(id);
    const int kept = RumbleChangeCount(id);
    if (!pad || index < 0 || index >= kept) return Rumble{0, 0, 0};
    return pad->log[(pad->logCount - kept + index) % kRumbleLog];
}

void SetMouseButton(int button, bool down) {
    if (button < 1 || button > 8) return;
    const uint32_t bit = 1u << (button - 1);
    g_input.mouse = down ? (g_input.mouse | bit) : (g_input.mouse & ~bit);
}

namespace detail {
void ResetInput() {
    // Ids keep counting across resets, so an id from an earlier test never comes back.
    const uint32_t nextId = g_input.nextId;
    g_input = ScriptedInput{};
    g_input.nextId = nextId;
}
}  // namespace detail

}  // namespace script
