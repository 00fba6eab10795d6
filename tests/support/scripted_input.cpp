// scripted_input.cpp - keys, mouse buttons and pads of the scripted platform
// (plat_input.h), set by the test; rumble is recorded instead of felt.
//
// Owns: the scripted key state, mouse buttons and pad table. The test thread changes
// them while the library may read them on its message-pump thread, so everything is
// under one mutex. Must not touch the other scripted services (the clock is only read).
#include <string.h>

#include <mutex>

#include "media/platform/plat_clock.h"
#include "media/platform/plat_input.h"
#include "tests/support/scripted.h"
#include "tests/support/scripted_detail.h"
#include "tests/support/scripted_input.h"

namespace {

constexpr int kRumbleLog = 512;

struct ScriptedPad {
    uint32_t id;  // 0: slot unused
    bool rumble;
    char name[64];
    PlatPadState state;
    int reads;
    uint16_t low, high;
    uint32_t rumbleSetMs, rumbleDurationMs;
    script::Rumble log[kRumbleLog];
    int logCount;  // total changes recorded (the log keeps the last kRumbleLog)
};

// Pads that left keep their rumble record, so a test can still read it.
constexpr int kRecordSlots = 64;

struct ScriptedInput {
    uint8_t keys[256];
    uint32_t mouse;
    int open;
    uint32_t order[PLAT_MAX_PADS];  // ids of attached pads, in plug order
    int count;
    ScriptedPad records[kRecordSlots];
    uint32_t nextId;
    uint32_t changeCount;
    uint32_t openFailures;
    bool failNextOpen;
};

std::mutex g_mutex;
ScriptedInput g_input;

ScriptedPad* Record(uint32_t id) {
    if (id == 0) return nullptr;
    for (ScriptedPad& pad : g_input.records) {
        if (pad.id == id) return &pad;
    }
    return nullptr;
}

ScriptedPad* Attached(uint32_t id) {
    for (int i = 0; i < g_input.count; ++i) {
        if (g_input.order[i] == id) return Record(id);
    }
    return nullptr;
}

void RecordRumble(ScriptedPad& pad, uint16_t low, uint16_t high) {
    script::Rumble change = {PlatTickMillis(), low, high};
    pad.log[pad.logCount % kRumbleLog] = change;
    ++pad.logCount;
}

script::Rumble RunningRumble(const ScriptedPad& pad) {
    uint32_t now = PlatTickMillis();
    script::Rumble r = {now, pad.low, pad.high};
    if (now - pad.rumbleSetMs >= pad.rumbleDurationMs) r.low = r.high = 0;
    return r;
}

}  // namespace

int PlatInputOpen() {
    std::lock_guard<std::mutex> hold(g_mutex);
    g_input.open = 1;
    return 0;
}

void PlatInputClose() {
    std::lock_guard<std::mutex> hold(g_mutex);
    g_input.open = 0;
}

void PlatReadKeyboard(uint8_t keys[256]) {
    std::lock_guard<std::mutex> hold(g_mutex);
    memcpy(keys, g_input.keys, sizeof g_input.keys);
}

uint32_t PlatReadMouseButtons() {
    std::lock_guard<std::mutex> hold(g_mutex);
    return g_input.mouse;
}

int PlatListPads(uint32_t ids[PLAT_MAX_PADS]) {
    std::lock_guard<std::mutex> hold(g_mutex);
    for (int i = 0; i < g_input.count; ++i) ids[i] = g_input.order[i];
    return g_input.count;
}

uint32_t PlatPadChangeCount() {
    std::lock_guard<std::mutex> hold(g_mutex);
    return g_input.changeCount;
}

uint32_t PlatPadOpenFailures() {
    std::lock_guard<std::mutex> hold(g_mutex);
    return g_input.openFailures;
}

int PlatDescribePad(uint32_t id, PlatPadInfo* info) {
    std::lock_guard<std::mutex> hold(g_mutex);
    *info = PlatPadInfo{};
    ScriptedPad* pad = Attached(id);
    if (!pad) return -1;
    memcpy(info->name, pad->name, sizeof info->name);
    memcpy(info->product, pad->name, sizeof info->product);
    info->hasRumble = pad->rumble ? 1 : 0;
    return 0;
}

int PlatReadPad(uint32_t id, PlatPadState* state) {
    std::lock_guard<std::mutex> hold(g_mutex);
    *state = PlatPadState{};
    ScriptedPad* pad = Attached(id);
    if (!pad) return -1;
    ++pad->reads;
    *state = pad->state;
    return 0;
}

int PlatSetPadRumble(uint32_t id, uint16_t low, uint16_t high, uint32_t durationMs) {
    std::lock_guard<std::mutex> hold(g_mutex);
    ScriptedPad* pad = Attached(id);
    if (!pad || !pad->rumble) return -1;
    script::Rumble before = RunningRumble(*pad);
    pad->low = low;
    pad->high = high;
    pad->rumbleSetMs = PlatTickMillis();
    pad->rumbleDurationMs = durationMs;
    if (before.low != low || before.high != high) RecordRumble(*pad, low, high);
    return 0;
}

namespace script {

void SetKey(int keyCode, bool down) {
    std::lock_guard<std::mutex> hold(g_mutex);
    if (keyCode < 0 || keyCode > 255) return;
    g_input.keys[keyCode] = down ? 0x80 : 0;
}

void ReleaseAllKeys() {
    std::lock_guard<std::mutex> hold(g_mutex);
    memset(g_input.keys, 0, sizeof g_input.keys);
}

uint32_t PlugPad(bool rumble, const char* name) {
    std::lock_guard<std::mutex> hold(g_mutex);
    if (g_input.failNextOpen) {
        g_input.failNextOpen = false;
        ++g_input.openFailures;
        ++g_input.changeCount;
        return 0;
    }
    if (g_input.count >= PLAT_MAX_PADS) return 0;
    ScriptedPad* slot = nullptr;
    for (ScriptedPad& pad : g_input.records) {
        if (pad.id == 0) {
            slot = &pad;
            break;
        }
    }
    if (!slot) {  // reuse the record of the pad that left first
        for (ScriptedPad& pad : g_input.records) {
            if (!Attached(pad.id) && (!slot || pad.id < slot->id)) slot = &pad;
        }
    }
    *slot = ScriptedPad{};
    slot->id = ++g_input.nextId;
    slot->rumble = rumble;
    strncpy(slot->name, name ? name : "", sizeof slot->name - 1);
    g_input.order[g_input.count++] = slot->id;
    ++g_input.changeCount;
    return slot->id;
}

void UnplugPad(uint32_t id) {
    std::lock_guard<std::mutex> hold(g_mutex);
    for (int i = 0; i < g_input.count; ++i) {
        if (g_input.order[i] != id) continue;
        for (int j = i; j + 1 < g_input.count; ++j) g_input.order[j] = g_input.order[j + 1];
        --g_input.count;
        ++g_input.changeCount;
        ScriptedPad* pad = Record(id);
        if (pad && (pad->low || pad->high)) {
            pad->low = pad->high = 0;  // a pad that leaves stops shaking
            RecordRumble(*pad, 0, 0);
        }
        return;
    }
}

int PadCount() {
    std::lock_guard<std::mutex> hold(g_mutex);
    return g_input.count;
}

void SetPadAxis(uint32_t id, int axis, int value) {
    std::lock_guard<std::mutex> hold(g_mutex);
    ScriptedPad* pad = Record(id);
    if (!pad || axis < 0 || axis >= PLAT_PAD_AXES) return;
    pad->state.axes[axis] = value;
}

void SetPadButton(uint32_t id, int button, bool down) {
    std::lock_guard<std::mutex> hold(g_mutex);
    ScriptedPad* pad = Record(id);
    if (!pad || button < 1 || button > PLAT_PAD_BUTTONS) return;
    pad->state.buttons[button - 1] = down ? 0x80 : 0;
}

int PadReads(uint32_t id) {
    std::lock_guard<std::mutex> hold(g_mutex);
    ScriptedPad* pad = Record(id);
    return pad ? pad->reads : 0;
}

void FailNextPadOpen() {
    std::lock_guard<std::mutex> hold(g_mutex);
    g_input.failNextOpen = true;
}

Rumble PadRumbleNow(uint32_t id) {
    std::lock_guard<std::mutex> hold(g_mutex);
    ScriptedPad* pad = Record(id);
    if (!pad) return Rumble{PlatTickMillis(), 0, 0};
    return RunningRumble(*pad);
}

int RumbleChangeCount(uint32_t id) {
    std::lock_guard<std::mutex> hold(g_mutex);
    ScriptedPad* pad = Record(id);
    if (!pad) return 0;
    return pad->logCount < kRumbleLog ? pad->logCount : kRumbleLog;
}

Rumble RumbleChange(uint32_t id, int index) {
    std::lock_guard<std::mutex> hold(g_mutex);
    ScriptedPad* pad = Record(id);
    int kept = pad ? (pad->logCount < kRumbleLog ? pad->logCount : kRumbleLog) : 0;
    if (!pad || index < 0 || index >= kept) return Rumble{0, 0, 0};
    int first = pad->logCount - kept;
    return pad->log[(first + index) % kRumbleLog];
}

void SetMouseButton(int button, bool down) {
    std::lock_guard<std::mutex> hold(g_mutex);
    if (button < 1 || button > 8) return;
    uint32_t bit = 1u << (button - 1);
    g_input.mouse = down ? (g_input.mouse | bit) : (g_input.mouse & ~bit);
}

namespace detail {
void ResetInput() {
    std::lock_guard<std::mutex> hold(g_mutex);
    // Ids keep counting across resets, so an id from an earlier test never comes back.
    uint32_t nextId = g_input.nextId;
    g_input = ScriptedInput{};
    g_input.nextId = nextId;
}
}  // namespace detail

}  // namespace script
