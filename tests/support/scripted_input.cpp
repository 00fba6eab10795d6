// scripted_input.cpp - keys, mouse buttons and pads of the scripted platform
// (plat_input.h), set by the test; rumble is recorded instead of felt.
//
// Owns: the scripted key state, mouse buttons and pad table. The library reads them
// on the thread that moves the virtual clock (the pump has no thread of its own here),
// which is the test's thread, so there is no lock. Must not touch the other scripted
// services (the clock is only read).
#include <string.h>

#include "media/platform/plat_clock.h"
#include "media/platform/plat_input.h"
#include "tests/support/scripted.h"
#include "tests/support/scripted_detail.h"
#include "tests/support/scripted_input.h"

namespace {

constexpr int kRumbleLog = 512;
// A pad's record stays readable after it leaves until 64 later pads have taken its
// place (record = id modulo 64; ids are never reused).
constexpr uint32_t kRecordSlots = 64;

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

struct ScriptedInput {
    uint8_t keys[256];
    uint32_t mouse;
    uint32_t order[PLAT_MAX_PADS];  // ids of attached pads, in plug order
    int count;
    ScriptedPad records[kRecordSlots];
    uint32_t nextId;
    uint32_t changeCount;
    uint32_t openFailures;
    bool failNextOpen;
};

ScriptedInput g_input;

ScriptedPad* Record(uint32_t id) {
    ScriptedPad& pad = g_input.records[id % kRecordSlots];
    return id != 0 && pad.id == id ? &pad : nullptr;
}

ScriptedPad* Attached(uint32_t id) {
    for (int i = 0; i < g_input.count; ++i)
        if (g_input.order[i] == id) return Record(id);
    return nullptr;
}

int KeptChanges(const ScriptedPad& pad) {
    return pad.logCount < kRumbleLog ? pad.logCount : kRumbleLog;
}

void RecordRumble(ScriptedPad& pad, uint16_t low, uint16_t high) {
    pad.log[pad.logCount++ % kRumbleLog] = script::Rumble{PlatTickMillis(), low, high};
}

script::Rumble RunningRumble(const ScriptedPad& pad) {
    uint32_t now = PlatTickMillis();
    if (now - pad.rumbleSetMs >= pad.rumbleDurationMs) return script::Rumble{now, 0, 0};
    return script::Rumble{now, pad.low, pad.high};
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
    memcpy(ids, g_input.order, sizeof(uint32_t) * static_cast<size_t>(g_input.count));
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
    uint32_t id = ++g_input.nextId;
    while (Attached(g_input.records[id % kRecordSlots].id)) id = ++g_input.nextId;
    ScriptedPad& pad = g_input.records[id % kRecordSlots];
    pad = ScriptedPad{};
    pad.id = id;
    pad.rumble = rumble;
    strncpy(pad.name, name ? name : "", sizeof pad.name - 1);
    g_input.order[g_input.count++] = id;
    return id;
}

void UnplugPad(uint32_t id) {
    for (int i = 0; i < g_input.count; ++i) {
        if (g_input.order[i] != id) continue;
        ScriptedPad* pad = Record(id);
        if (pad && (pad->low || pad->high)) {
            pad->low = pad->high = 0;  // a pad that leaves stops shaking
            RecordRumble(*pad, 0, 0);
        }
        memmove(&g_input.order[i], &g_input.order[i + 1],
                sizeof(uint32_t) * static_cast<size_t>(--g_input.count - i));
        ++g_input.changeCount;
        return;
    }
}

int PadCount() {
    return g_input.count;
}

void SetPadAxis(uint32_t id, int axis, int value) {
    ScriptedPad* pad = Record(id);
    if (pad && axis >= 0 && axis < PLAT_PAD_AXES) pad->state.axes[axis] = value;
}

void SetPadButton(uint32_t id, int button, bool down) {
    ScriptedPad* pad = Record(id);
    if (pad && button >= 1 && button <= PLAT_PAD_BUTTONS)
        pad->state.buttons[button - 1] = down ? 0x80 : 0;
}

int PadReads(uint32_t id) {
    ScriptedPad* pad = Record(id);
    return pad ? pad->reads : 0;
}

void FailNextPadOpen() {
    g_input.failNextOpen = true;
}

Rumble PadRumbleNow(uint32_t id) {
    ScriptedPad* pad = Record(id);
    return pad ? RunningRumble(*pad) : Rumble{PlatTickMillis(), 0, 0};
}

int RumbleChangeCount(uint32_t id) {
    ScriptedPad* pad = Record(id);
    return pad ? KeptChanges(*pad) : 0;
}

Rumble RumbleChange(uint32_t id, int index) {
    ScriptedPad* pad = Record(id);
    if (!pad || index < 0 || index >= KeptChanges(*pad)) return Rumble{0, 0, 0};
    return pad->log[(pad->logCount - KeptChanges(*pad) + index) % kRumbleLog];
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
