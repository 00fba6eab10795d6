// sound_play.cpp - playing sounds: StartSound with its rotating buffers, play types
// and from-top rule, the volume in hundredths of a decibel, stopping, deleting, and
// the one music slot (PlayMusicFile, SetMusicVolume, HaltMusic).
//
// Owns: the music slot and the public calls of playing. Must not touch the mixer's
// list except through mixer.h, nor the stream's ring except through stream.cpp.
#include <math.h>
#include <string.h>

#include "media/core/api_lock.h"
#include "media/core/frame.h"
#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
#include "media/platform/plat_clock.h"
#include "media/sound/sound_internal.h"
#include "pavex.h"

namespace {

constexpr int kLoopType = 3;
constexpr int kWaitType = 0;

struct MusicSlot {
    int sound;  // the streamed sound that plays the music, -1 none
};

MusicSlot MUSIC = {-1};

// Play type 0: the call pumps messages until every buffer of the sound is quiet.
void WaitWhilePlaying(int handle) {
    for (;;) {
        SoundRecord* sound = SoundGet(handle);
        if (!sound || !SoundPlaying(sound)) return;
        if (FramePump() == -1) return;
        sound = SoundGet(handle);
        if (!sound || !SoundPlaying(sound)) return;
        PlatSleepMillis(1);
    }
}

int StartStreamed(SoundRecord* sound, int playType, int fromTop) {
    StreamState* st = sound->stream;
    MixVoice* ring = &sound->voices[0];
    if (st->entryCount == 0) return -1;
    if (MixerPlaying(ring)) {
        if (!fromTop) return 0;
        MixerStop(ring);
    }
    st->lastType = playType;
    // A start from the top, or any start after the end was reached, begins again;
    // a ring prepared and never played (at load) is used as it is unless its first
    // fill already met the end under another play type.
    if (fromTop || st->reachedEnd || !st->prepared) {
        if (!(st->fresh && st->prepared && !st->draining) && StreamPrepare(sound) != 0) return -1;
    }
    st->fresh = 0;
    if (MixerPlay(ring, 1) != 0) return -1;
    if (st->draining) MixerStopAtFrame(ring, static_cast<uint32_t>(st->endPos));
    return 0;
}

int StartInMemory(SoundRecord* sound, int playType, int fromTop) {
    if (sound->bufferCount < 1) return -1;
    if (sound->lastBuffer < 0) sound->lastBuffer = sound->bufferCount - 1;
    const uint32_t position = MixerPosition(&sound->voices[sound->lastBuffer]);
    sound->lastBuffer = (sound->lastBuffer + 1) % sound->bufferCount;
    MixVoice* voice = &sound->voices[sound->lastBuffer];
    if (MixerPlaying(voice)) {
        if (!fromTop) return 0;
        MixerStop(voice);
    }
    MixerSetPosition(voice, fromTop ? 0 : position);
    return MixerPlay(voice, playType == kLoopType ? 1 : 0);
}

int StopSoundInternal(int handle) {
    SoundRecord* sound = SoundAvailable() ? SoundGet(handle) : nullptr;
    if (!sound) return -1;
    for (int i = 0; i < sound->bufferCount; ++i) MixerStop(&sound->voices[i]);
    return 0;
}

}  // namespace

int SoundPlaying(const SoundRecord* sound) {
    for (int i = 0; i < sound->bufferCount; ++i)
        if (MixerPlaying(&sound->voices[i])) return 1;
    return 0;
}

int SoundStart(int handle, int playType, int fromTop) {
    if (!SoundAvailable()) return -1;
    SoundRecord* sound = SoundGet(handle);
    if (!sound) return -1;
    int result = sound->streamed ? StartStreamed(sound, playType, fromTop)
                                 : StartInMemory(sound, playType, fromTop);
    if (result != 0) return -1;
    sound->lastPlayTick = PlatTickMillis();
    if (playType == kWaitType) WaitWhilePlaying(handle);
    return 0;
}

int SoundSetVolume(int volume, int handle) {
    if (!SoundAvailable()) return -1;
    SoundRecord* sound = SoundGet(handle);
    if (!sound) return -1;
    if (volume > 255) volume = 255;
    int millibels = -10000;
    if (volume > 0) {
        millibels = static_cast<int>(1000.0 * log10(volume / 255.0));  // toward zero
        if (millibels < -10000) millibels = -10000;
    }
    sound->millibels = millibels;
    const int32_t gain = MixerGainOf(millibels);
    const int buffers = sound->streamed ? 1 : sound->bufferCount;
    for (int i = 0; i < buffers; ++i) MixerSetGain(&sound->voices[i], gain);
    return 0;
}

int64_t SoundPlayPosition(int handle) {
    SoundRecord* sound = SoundGet(handle);
    if (!sound || sound->bufferCount < 1) return -1;
    int buffer = sound->lastBuffer < 0 ? 0 : sound->lastBuffer;
    uint64_t played = 0;
    uint32_t position = 0;
    MixerProgress(&sound->voices[buffer], &played, &position);
    return static_cast<int64_t>(played);
}

void MusicHalt() {
    if (MUSIC.sound != -1) SoundDelete(MUSIC.sound);
    MUSIC.sound = -1;
}

// ---- public calls ----

int StartSound(int handle, int playType, int fromTop) {
    ApiScope lock;
    return SoundStart(handle, playType, fromTop);
}

int SetSoundVolume(int volume, int handle) {
    ApiScope lock;
    return SoundSetVolume(volume, handle);
}

int StopSound(int handle) {
    ApiScope lock;
    return StopSoundInternal(handle);
}

int CheckSoundPlaying(int handle) {
    ApiScope lock;
    SoundRecord* sound = SoundAvailable() ? SoundGet(handle) : nullptr;
    return sound ? SoundPlaying(sound) : -1;
}

int DeleteSound(int handle) {
    ApiScope lock;
    if (!SoundAvailable()) return -1;
    if (handle == MUSIC.sound && handle != -1) MUSIC.sound = -1;
    return SoundDelete(handle);
}

int PlayMusicFile(const char* path, int playType) {
    ApiScope lock;
    if (!SoundAvailable()) return -1;
    MusicHalt();
    // LoadMusicMem: the file read whole, offered to the MIDI player first.
    size_t size = 0;
    int openFailed = 0;
    uint8_t* image = SoundReadFile(path, &size, &openFailed);
    if (!image) {
        LogFormat(openFailed
                      ? "ミュージックファイル %s の読み込みに失敗しました in LoadMusicMem"
                      : "ミュージックファイル %s を読み込むメモリ領域の確保に失敗しました in "
                        "LoadMusicMem",
                  path ? path : "");
        return -1;
    }
    // There is no MIDI sequencer on this platform: a standard MIDI file fails here
    // (and then in the decoders), every other file takes the streamed path.
    if (size >= 4 && memcmp(image, "MThd", 4) == 0) LogString("ＭＩＤＩ演奏に失敗しました\n");
    int handle = SoundLoadStreamImage(path, image, size);
    if (handle == -1) return -1;
    MUSIC.sound = handle;
    return SoundStart(handle, playType, 1);
}

int SetMusicVolume(int volume) {
    ApiScope lock;
    if (!SoundAvailable()) return -1;
    if (MUSIC.sound == -1) return 0;
    return SoundSetVolume(volume, MUSIC.sound);
}

int HaltMusic(void) {
    ApiScope lock;
    MusicHalt();
    return 0;
}
