// sound_load.cpp - LoadSound: reading the file through the file layer, the record,
// decoding to PCM once and the buffers that share the one copy of the samples; and
// streamed sounds (the sound-creation modes 2 and 3, and music).
//
// Owns: the sound-creation mode and the loading steps with their log lines. Must
// not touch the mixer's list (a loaded sound is stopped) nor the stream's ring.
#include <stdio.h>
#include <string.h>

#include "media/core/api_lock.h"
#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
#include "media/file/file_access.h"
#include "media/sound/sound_internal.h"
#include "pavex.h"

namespace {

int g_createMode = 0;  // 0 whole sound in memory; 2, 3 streamed

void LogPath(const char* format, const char* path) {
    char line[kFilePathMax + 128];
    snprintf(line, sizeof line, format, path ? path : "");
    LogString(line);
}

int LoadWhole(const char* path, int bufferCount) {
    size_t size = 0;
    int openFailed = 0;
    uint8_t* image = SoundReadFile(path, &size, &openFailed);
    if (!image) {
        LogPath(openFailed ? "右記のファイルのオープンに失敗しました：%s\n"
                           : "右記のファイルのロードに必要なメモリの確保に失敗しました：%s\n",
                path);
        LogPath("右記の音声ファイルのロードに失敗しました_1：%s\n", path);
        return -1;
    }
    int handle = SoundAdd(0);
    if (handle == -1) {
        TrackedFree(image);
        return -1;
    }
    SoundRecord* sound = SoundGet(handle);
    SoundDecoder dec;
    int failed = 0;
    if (SoundDecoderOpen(&dec, image, size) != 0) {
        LogString("音声ファイルのＰＣＭへの変換に失敗しました\n");
        failed = 1;
    } else {
        int64_t frames = 0;
        int result = SoundDecodeAll(&dec, &sound->samples, &frames);
        sound->channels = dec.channels;
        sound->rate = dec.rate;
        sound->frames = frames;
        SoundDecoderClose(&dec);
        if (result != 0) {
            // A decoder that fails before it gives one sample fails the conversion.
            LogString(result == -2 ? "音声ファイルを格納するメモリ領域の確保に失敗しました\n"
                                   : "音声ファイルのＰＣＭへの変換に失敗しました\n");
            failed = 1;
        }
    }
    TrackedFree(image);
    if (failed) {
        SoundDelete(handle);
        LogPath("右記の音声ファイルのロードに失敗しました_2：%s\n", path);
        return -1;
    }
    // The buffers: every one plays the same samples.
    sound->bufferCount = bufferCount;
    for (int i = 0; i < bufferCount; ++i)
        MixerVoiceInit(&sound->voices[i], sound->samples, sound->channels, sound->rate,
                       static_cast<uint32_t>(sound->frames));
    return handle;
}

// A streamed sound with its first entry from `image` (taken over). -1 logged.
int LoadStreamed(const char* path, uint8_t* image, size_t size, int kind) {
    int handle = SoundAdd(1);
    if (handle == -1) {
        TrackedFree(image);
        return -1;
    }
    if (StreamAddEntry(handle, image, size, 0, kind) != 0) {
        LogPath("右記のＷＡＶファイルのセットアップに失敗しました：%s \n", path);
        SoundDelete(handle);
        return -1;
    }
    SoundRecord* sound = SoundGet(handle);
    sound->bufferCount = 1;
    if (StreamPrepare(sound) != 0) {
        SoundDelete(handle);
        return -1;
    }
    return handle;
}

int LoadSoundInternal(const char* path, int bufferCount, int /*shareHandle*/) {
    if (!SoundAvailable()) return -1;
    if (bufferCount < 1) bufferCount = 1;
    if (bufferCount > kSoundMaxBuffers) bufferCount = kSoundMaxBuffers;
    if (g_createMode == 0) return LoadWhole(path, bufferCount);
    size_t size = 0;
    int openFailed = 0;
    uint8_t* image = SoundReadFile(path, &size, &openFailed);
    if (!image) {
        LogPath(openFailed ? "右記のＷＡＶファイルのロードに失敗しました：%s \n"
                           : "ストリームの読み込みに必要なメモリの確保に失敗しました\n",
                path);
        return -1;
    }
    return LoadStreamed(path, image, size, g_createMode);
}

}  // namespace

uint8_t* SoundReadFile(const char* path, size_t* size, int* openFailed) {
    *openFailed = 0;
    FileHandle file = path ? FileOpen(path) : 0;
    if (!file) {
        *openFailed = 1;
        return nullptr;
    }
    int64_t bytes = FileSize(file);
    uint8_t* image = nullptr;
    if (bytes >= 0 && static_cast<uint64_t>(bytes) <= kSoundMaxFileBytes)
        image = static_cast<uint8_t*>(PAVEX_ALLOC(static_cast<size_t>(bytes) + 1));
    if (image &&
        FileRead(image, 1, static_cast<size_t>(bytes), file) != static_cast<size_t>(bytes)) {
        TrackedFree(image);
        image = nullptr;
        *openFailed = 1;  // a file that cannot be read counts as one that did not open
    }
    FileClose(file);
    if (image) *size = static_cast<size_t>(bytes);
    return image;
}

int SoundLoadStreamImage(const char* path, uint8_t* image, size_t size) {
    return LoadStreamed(path, image, size, 2);
}

void SoundResetDefaults() {
    g_createMode = 0;
}

// ---- public calls ----

int LoadSound(const char* path, int bufferCount, int shareHandle) {
    ApiScope lock;
    return LoadSoundInternal(path, bufferCount, shareHandle);
}

int SetSoundCreateMode(int mode) {
    ApiScope lock;
    if (!SoundAvailable()) return -1;
    if (mode != 0 && mode != 2 && mode != 3) return -1;
    g_createMode = mode;
    return 0;
}

int AddStreamSoundFile(const char* path, int repeatCount, int handle) {
    ApiScope lock;
    if (!SoundAvailable()) return -1;
    size_t size = 0;
    int openFailed = 0;
    uint8_t* image = SoundReadFile(path, &size, &openFailed);
    if (!image) {
        LogPath(openFailed ? "右記のＷＡＶファイルのロードに失敗しました：%s \n"
                           : "ストリームの読み込みに必要なメモリの確保に失敗しました\n",
                path);
        return -1;
    }
    if (StreamAddEntry(handle, image, size, repeatCount, g_createMode) != 0) {
        LogPath("右記のＷＡＶファイルのセットアップに失敗しました：%s \n", path);
        return -1;
    }
    return 0;
}
