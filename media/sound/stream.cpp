// stream.cpp - streamed sounds (music): up to three entries played one after the
// other through a 6-second ring that the device plays looped, filled 4 seconds
// ahead at the start and topped up from the message pump to stay 3 to 4 seconds
// ahead of the play position.
//
// Owns: the entries, the ring and its write position W and valid-from position V,
// the loop and drain rules. Decoding happens outside the mixer mutex into a small
// scratch block; only the copy into the ring (MixerWrite) takes the mutex, so the
// device never waits for a decoder. The ring and the scratch block come from the
// tracking allocator on the main thread.
#include <string.h>

#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
#include "media/sound/sound_internal.h"
#include "pavex.h"

namespace {

constexpr int kRingSeconds = 6;
constexpr int kFirstFillSeconds = 4;
constexpr int kLowSeconds = 3;
constexpr int kLoopType = 3;  // only type 3 loops (the loop bit alone does not)

int64_t Seconds(const StreamState* st, int s) {
    return static_cast<int64_t>(st->rate) * s;
}

int64_t Eighth(const StreamState* st) {
    return st->rate / 8 > 0 ? st->rate / 8 : 1;
}

void EntryRewind(StreamEntry* e, int64_t frame) {
    if (e->kind == 0)
        e->pcmPos = frame < e->pcmFrames ? frame : e->pcmFrames;
    else
        SoundDecoderSeek(&e->decoder, frame);
}

int EntryRead(StreamEntry* e, int channels, int16_t* out, int frames) {
    if (e->kind == 0) {
        int64_t left = e->pcmFrames - e->pcmPos;
        int n = left < frames ? static_cast<int>(left) : frames;
        memcpy(out, e->pcm + e->pcmPos * channels, static_cast<size_t>(n) * channels * 2);
        e->pcmPos += n;
        return n;
    }
    // A decoding error ends the entry as if its data had ended (logged once).
    int n = SoundDecoderRead(&e->decoder, out, frames);
    if (n < 0 && !e->readFailed) {
        e->readFailed = 1;
        LogFormat("音声データの読み込みに失敗しました");
    }
    return n > 0 ? n : 0;
}

// Reads decoded data across entries, repeats and loops: the frames written. Fewer
// than `want` only when the stream began to drain.
int ReadEntries(StreamState* st, int16_t* out, int want) {
    int done = 0, endsWithoutData = 0;
    while (done < want) {
        StreamEntry* e = &st->entries[st->current];
        int n =
            EntryRead(e, st->channels, out + static_cast<size_t>(done) * st->channels, want - done);
        if (n > 0) {
            done += n;
            st->entryPos += n;
            endsWithoutData = 0;
            continue;
        }
        // The entry is exhausted. An entry (or a whole stream) without data must
        // not spin here for ever: a few ends in a row without data drain it.
        if (++endsWithoutData > 4 * (kStreamMaxEntries + 1)) {
            st->draining = 1;
            return done;
        }
        st->entryPos = 0;
        ++st->repeat;
        if (e->repeatCount == kStreamRepeatForever || st->repeat <= e->repeatCount) {
            EntryRewind(e, e->loopStart);
            continue;
        }
        st->repeat = 0;
        if (++st->current < st->entryCount) {
            EntryRewind(&st->entries[st->current], 0);
            continue;
        }
        if (st->lastType == kLoopType) {
            st->current = 0;
            st->looped = 1;
            EntryRewind(&st->entries[0], 0);
            continue;
        }
        st->current = st->entryCount - 1;
        st->draining = 1;
        return done;
    }
    return done;
}

// Writes `frames` frames at W: data while there is any, then silence.
void Fill(SoundRecord* sound, int64_t frames) {
    StreamState* st = sound->stream;
    MixVoice* ring = &sound->voices[0];
    while (frames > 0) {
        int chunk = frames < st->scratchFrames ? static_cast<int>(frames)
                                               : static_cast<int>(st->scratchFrames);
        int data = 0;
        const int wasDraining = st->draining;
        if (!wasDraining) data = ReadEntries(st, st->scratch, chunk);
        memset(st->scratch + static_cast<size_t>(data) * st->channels, 0,
               static_cast<size_t>(chunk - data) * st->channels * sizeof(int16_t));
        MixerWrite(ring, static_cast<uint32_t>(st->writePos), st->scratch,
                   static_cast<uint32_t>(chunk));
        if (!wasDraining && st->draining) {
            // The end of the data: the buffer stops once it has played it.
            st->endPos = (st->writePos + data) % st->ringFrames;
            if (MixerPlaying(ring)) MixerStopAtFrame(ring, static_cast<uint32_t>(st->endPos));
        }
        st->writePos = (st->writePos + chunk) % st->ringFrames;
        frames -= chunk;
    }
}

void FreeEntry(StreamEntry* e) {
    SoundDecoderClose(&e->decoder);
    TrackedFree(e->image);
    TrackedFree(e->pcm);
    memset(e, 0, sizeof *e);
}

// The ring and the scratch block of the first entry: 0, or -1.
int MakeRing(SoundRecord* sound) {
    StreamState* st = sound->stream;
    st->ringFrames = static_cast<uint32_t>(Seconds(st, kRingSeconds));
    st->ring = static_cast<int16_t*>(
        PAVEX_ALLOC_ZERO(static_cast<size_t>(st->ringFrames) * st->channels * sizeof(int16_t)));
    if (!st->ring) FatalErrorExit("ストリーム風サウンドバッファの作成に失敗しました");
    st->scratchFrames = static_cast<uint32_t>(Eighth(st));
    st->scratch = static_cast<int16_t*>(
        PAVEX_ALLOC(static_cast<size_t>(st->scratchFrames) * st->channels * sizeof(int16_t)));
    if (!st->scratch) {
        LogFormat("ストリームの読み込みに必要なメモリの確保に失敗しました");
        return -1;
    }
    MixerVoiceInit(&sound->voices[0], st->ring, st->channels, st->rate, st->ringFrames);
    MixerSetGain(&sound->voices[0], MixerGainOf(sound->millibels));
    return 0;
}

}  // namespace

int StreamAddEntry(int handle, uint8_t* image, size_t size, int repeatCount, int kind) {
    SoundRecord* sound = SoundGet(handle);
    const char* refused = nullptr;
    if (!sound)
        refused = "";
    else if (!sound->streamed)
        refused = "ストリーム風サウンドではないサウンドデータが渡されました in AddSreamSound\n";
    else if (sound->stream->entryCount >= kStreamMaxEntries)
        refused = "ストリーム風サウンドの制御データ領域がいっぱいです\n";
    else if (SoundPlaying(sound))
        refused = "既に再生中のストリームサウンドデータにデータを追加しようとしました\n";
    if (refused) {
        if (refused[0]) LogString(refused);
        TrackedFree(image);
        return -1;
    }
    StreamState* st = sound->stream;
    StreamEntry* e = &st->entries[st->entryCount];
    memset(e, 0, sizeof *e);
    e->kind = kind == 0 ? 0 : kind == 3 ? 3 : 2;
    e->repeatCount = repeatCount < 0 ? 0 : repeatCount > 255 ? 255 : repeatCount;
    e->image = image;
    e->imageBytes = size;
    if (SoundDecoderOpen(&e->decoder, image, size) != 0) {
        LogFormat("音声データのオープンに失敗しました");
        FreeEntry(e);
        return -1;
    }
    const int channels = e->decoder.channels, rate = e->decoder.rate;
    if (st->entryCount > 0 && (channels != st->channels || rate != st->rate)) {
        LogFormat("フォーマットの違う音声データは同時に使うことは出来ません");
        FreeEntry(e);
        return -1;
    }
    int64_t frames = e->decoder.claimedFrames;
    if (e->kind == 0) {
        int result = SoundDecodeAll(&e->decoder, &e->pcm, &e->pcmFrames);
        SoundDecoderClose(&e->decoder);
        TrackedFree(e->image);
        e->image = nullptr;
        if (result != 0) {
            LogFormat(result == -2 ? "ストリームの読み込みに必要なメモリの確保に失敗しました"
                                   : "音声データの変換に失敗しました");
            FreeEntry(e);
            return -1;
        }
        frames = e->pcmFrames;
    }
    if (st->entryCount == 0) {
        st->channels = channels;
        st->rate = rate;
        if (MakeRing(sound) != 0) {
            FreeEntry(e);
            return -1;
        }
    }
    ++st->entryCount;
    if (frames > 0) st->totalFrames += frames;
    return 0;
}

int StreamPrepare(SoundRecord* sound) {
    StreamState* st = sound->stream;
    if (!st || st->entryCount == 0) return -1;
    MixVoice* ring = &sound->voices[0];
    MixerStop(ring);
    MixerSetPosition(ring, 0);
    st->current = 0;
    st->repeat = 0;
    st->entryPos = 0;
    st->draining = st->reachedEnd = st->looped = 0;
    st->endPos = 0;
    for (int i = 0; i < st->entryCount; ++i) EntryRewind(&st->entries[i], 0);
    st->writePos = 0;
    Fill(sound, Seconds(st, kFirstFillSeconds));
    st->writePos = Seconds(st, kFirstFillSeconds) % st->ringFrames;
    st->validFrom = 0;
    st->prepared = 1;
    st->fresh = 1;
    return 0;
}

void StreamTopUp(SoundRecord* sound) {
    StreamState* st = sound->stream;
    if (!st || !st->prepared) return;
    MixVoice* ring = &sound->voices[0];
    if (!MixerPlaying(ring)) {
        // A drained stream stopped at its end: it waits for a start from the top.
        if (st->draining) {
            st->prepared = 0;
            st->reachedEnd = 1;
        }
        return;
    }
    uint64_t played = 0;
    uint32_t pos = 0;
    MixerProgress(ring, &played, &pos);
    const int64_t R = st->ringFrames, P = pos, V = st->validFrom, W = st->writePos;
    // Only while the play position is inside the filled region: a writer that
    // fell behind (the pump stalled past the ring) must not write where it plays.
    if ((P - V + R) % R > (W - V + R) % R) return;
    const int64_t queued = (W - P + R) % R;
    const int64_t low = Seconds(st, kLowSeconds);
    Fill(sound, queued < low ? low - queued : Eighth(st));
    st->validFrom = (st->writePos - Seconds(st, kFirstFillSeconds) + R) % R;
}

void StreamFree(StreamState* stream) {
    for (int i = 0; i < kStreamMaxEntries; ++i) FreeEntry(&stream->entries[i]);
    TrackedFree(stream->ring);
    TrackedFree(stream->scratch);
    TrackedFree(stream);
}
