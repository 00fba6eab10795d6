// sound_handles.cpp - the sound handle table (4096 slots on the core handle table)
// and the records behind it.
//
// Owns: the table, its slot array and the life of a record: AddSoundData, and the
// deletion that first takes every buffer out of the mixer, then frees the samples,
// the stream and the record. Must not touch the device or the decoders.
#include <string.h>

#include "media/core/handle_table.h"
#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
#include "media/sound/sound_internal.h"

namespace {

HandleSlot g_slots[kSoundMaxHandles];
HandleTable g_table = {kHandleSound, kSoundMaxHandles, HANDLE_SEARCH_HIGH_WATER, g_slots, 0, 0, 0};

}  // namespace

SoundRecord* SoundGet(int handle) {
    return static_cast<SoundRecord*>(HandleGet(&g_table, handle));
}

int SoundAdd(int streamed) {
    if (g_table.count >= g_table.capacity) {
        LogString("サウンドの数が許容量を越えました\n");
        return -1;
    }
    SoundRecord* sound = static_cast<SoundRecord*>(PAVEX_ALLOC_ZERO(sizeof(SoundRecord)));
    StreamState* stream = nullptr;
    if (sound && streamed) {
        stream = static_cast<StreamState*>(PAVEX_ALLOC_ZERO(sizeof(StreamState)));
        if (!stream) {
            TrackedFree(sound);
            sound = nullptr;
        }
    }
    if (!sound) {
        LogFormat("メモリ領域の確保に失敗しました in AddSoundData");
        return -1;
    }
    sound->streamed = streamed;
    sound->stream = stream;
    sound->lastBuffer = -1;
    if (stream) stream->writePos = -1;
    int handle = HandleAdd(&g_table, sound);
    if (handle == -1) {
        TrackedFree(stream);
        TrackedFree(sound);
        LogString("サウンドの数が許容量を越えました\n");
    }
    return handle;
}

int SoundDelete(int handle) {
    SoundRecord* sound = SoundGet(handle);
    if (!sound) return -1;
    // The device must be done with every buffer before anything is freed.
    for (MixVoice& voice : sound->voices) MixerDetach(&voice);
    HandleRemove(&g_table, handle);
    if (sound->stream) StreamFree(sound->stream);
    TrackedFree(sound->samples);
    TrackedFree(sound);
    return 0;
}

SoundRecord* SoundAtSlot(int slot) {
    return static_cast<SoundRecord*>(HandleRecordAt(&g_table, slot));
}

int SoundHighWater() {
    return g_table.nextIndex;
}

void SoundDeleteAll() {
    for (int slot = g_table.nextIndex - 1; slot >= 0; --slot) {
        int handle = HandleAt(&g_table, slot);
        if (handle != -1) SoundDelete(handle);
    }
}
