// pads.cpp - the pad table and GetPadState.
//
// Owns: the table of up to 8 pads (numbered 1.. in the order the platform found
// them), keeping it in line with pads plugged in and pulled out, the per-millisecond
// pad refresh and the translation of axes and buttons into pad bits. Must not touch
// the keyboard state or the motors except through input_service.h. A pad that
// leaves is dropped from the table at the next query or pump; reads of a pad that
// left between two of them fail cleanly on its id, which is never reused.
#include <stdio.h>

#include "media/core/api_lock.h"
#include "media/core/log.h"
#include "media/input/input_service.h"
#include "pavex.h"

namespace {

constexpr int kPadButtonsReported = 24;  // button n sets bit n + 3; 25..32 are not reported

struct PadTable {
    PadRecord pads[PLAT_MAX_PADS];
    int count;
    int synced;  // 0: the next sync reads the platform's list whatever
    uint32_t seenChangeCount;
    uint32_t seenOpenFailures;
};

PadTable PADS = {};

PadRecord NewRecord(uint32_t id) {
    PadRecord record = {};
    record.id = id;
    record.power = 10000;
    record.timeLimit = -1;
    PlatPadInfo info;
    if (PlatDescribePad(id, &info) == 0) {
        record.hasRumble = info.hasRumble;
        LogString("入力装置を見つけました\n");
        LogIndent(1);
        LogFormat("デバイスの登録名:%s", info.name);
        LogFormat("デバイスの製品登録名:%s", info.product);
        LogString("ジョイパッドの追加は正常に終了しました\n");
        LogIndent(-1);
    }
    return record;
}

void RefreshPad(PadRecord& pad) {
    uint32_t now = GetTickMillis(0);
    if (pad.refreshed && now == pad.lastRefreshTick) return;
    pad.lastRefreshTick = now;
    pad.refreshed = 1;
    // A pad that has just been pulled out reads as released, so no direction sticks.
    PlatPadState state;
    if (PlatReadPad(pad.id, &state) != 0) state = PlatPadState{};
    pad.state = state;
}

uint32_t BitsOf(const PadRecord& pad) {
    uint32_t bits = 0;
    int32_t x = pad.state.axes[0];
    int32_t y = pad.state.axes[1];
    if (x < 0) {
        bits |= PAVEX_PAD_LEFT;
    } else if (x > 0) {
        bits |= PAVEX_PAD_RIGHT;
    }
    if (y > 0) {
        bits |= PAVEX_PAD_DOWN;
    } else if (y < 0) {
        bits |= PAVEX_PAD_UP;
    }
    for (int button = 1; button <= kPadButtonsReported; ++button) {
        if (pad.state.buttons[button - 1] & 0x80) bits |= 1u << (button + 3);
    }
    return bits;
}

int InternalGetPadState(int selector) {
    int result = 0;
    if (!InputBeginQuery(&result)) return result;
    return PadStateBits(selector);
}

}  // namespace

void PadsReset() {
    PADS = PadTable{};
}

void PadsSync() {
    uint32_t change = PlatPadChangeCount();
    if (PADS.synced && change == PADS.seenChangeCount) return;
    PADS.synced = 1;
    PADS.seenChangeCount = change;

    uint32_t failures = PlatPadOpenFailures();
    for (; PADS.seenOpenFailures != failures; ++PADS.seenOpenFailures) {
        LogString("入力装置の取得に失敗しました\n");
    }

    uint32_t ids[PLAT_MAX_PADS];
    int count = PlatListPads(ids);
    if (count < 0) count = 0;
    if (count > PLAT_MAX_PADS) count = PLAT_MAX_PADS;
    PadRecord next[PLAT_MAX_PADS];
    for (int i = 0; i < count; ++i) {
        int old = -1;
        for (int j = 0; j < PADS.count; ++j) {
            if (PADS.pads[j].id == ids[i]) old = j;
        }
        next[i] = old >= 0 ? PADS.pads[old] : NewRecord(ids[i]);
    }
    for (int i = 0; i < count; ++i) PADS.pads[i] = next[i];
    for (int i = count; i < PLAT_MAX_PADS; ++i) PADS.pads[i] = PadRecord{};
    PADS.count = count;
}

int PadCount() {
    return PADS.count;
}

PadRecord* PadAt(int index) {
    if (index < 0 || index >= PADS.count) return nullptr;
    return &PADS.pads[index];
}

int PadStateBits(int selector) {
    const bool keyboard = (selector & PAVEX_INPUT_KEYBOARD) != 0;
    const long long pad = static_cast<long long>(selector & ~PAVEX_INPUT_KEYBOARD) - 1;
    PadsSync();
    const bool validPad = pad >= 0 && pad < PADS.count;
    if (!validPad && PADS.count > 0 && !keyboard) return 0;

    uint32_t bits = 0;
    if (validPad) {
        PadRecord& record = PADS.pads[pad];
        RefreshPad(record);
        bits |= BitsOf(record);
    }
    if (keyboard) {
        KeyboardRefresh();
        bits |= KeyboardPadBits();
    }
    return static_cast<int>(bits);
}

extern "C" int GetPadState(int selector) {
    ApiScope lock;
    return InternalGetPadState(selector);
}
