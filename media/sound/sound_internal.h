// sound_internal.h - what the units of the sound area share: the sound record, the
// decoder that the detection order picks, the stream state, and the service hooks
// of the frame. Nothing outside media/sound includes it except the service table,
// the sound tests, the fuzz targets and the benchmarks. Callers hold the API lock.
#ifndef PAVEX_SOUND_SOUND_INTERNAL_H
#define PAVEX_SOUND_SOUND_INTERNAL_H

#include <stddef.h>
#include <stdint.h>

#include "media/platform/plat_decode.h"
#include "media/sound/mixer.h"
#include "media/sound/sound_formats.h"

constexpr int kSoundMaxHandles = 4096;
constexpr int kSoundMaxBuffers = 10;
constexpr int kStreamMaxEntries = 3;
constexpr int kStreamRepeatForever = 255;
constexpr int kSoundMinRate = 1000;
constexpr int kSoundMaxRate = 384000;
// Largest file a sound is read from, and most PCM frames one sound may decode to.
constexpr size_t kSoundMaxFileBytes = 512u << 20;
constexpr int64_t kSoundMaxFrames = 1ll << 28;

// ---- decoding (decoder.cpp) ----

enum SoundCodec { CODEC_NONE, CODEC_PCM_WAV, CODEC_WAV, CODEC_VORBIS, CODEC_MP3 };

// One decoder over a memory image, chosen by the detection order: PCM WAV (read
// here), compressed WAV, Ogg Vorbis, MP3 (read by the platform's libraries).
struct SoundDecoder {
    SoundCodec codec;
    int channels;
    int rate;
    int64_t claimedFrames;  // what the source says, -1 unknown; only a first guess
    // PCM WAV: the data chunk, read here.
    const uint8_t* pcm;
    size_t pcmBytes;
    int bytesPerSample;
    size_t pcmPos;
    // The other codecs.
    const PlatDecoderOps* ops;
    void* state;  // tracking allocator
    int64_t maxFrames;
};

// Opens a decoder on data[0..size) in the detection order: 0, or -1 (the data stays
// the caller's and must outlive the decoder).
int SoundDecoderOpen(SoundDecoder* dec, const uint8_t* data, size_t size);
// Up to `frames` frames: the count, 0 at the end, -1 on an error.
int SoundDecoderRead(SoundDecoder* dec, int16_t* out, int frames);
int SoundDecoderSeek(SoundDecoder* dec, int64_t frame);
void SoundDecoderClose(SoundDecoder* dec);
// Decodes everything left into one block of the tracking allocator. 0, -1 decoding
// failed, -2 no memory.
int SoundDecodeAll(SoundDecoder* dec, int16_t** samples, int64_t* frames);

// ---- records (sound_handles.cpp) ----

struct StreamEntry {
    int repeatCount;  // 255: for ever
    int kind;         // 0 decoded first, 2 decoded while playing from memory, 3 from the file
    uint8_t* image;   // the file image (kinds 2, 3)
    size_t imageBytes;
    int16_t* pcm;  // kind 0
    int64_t pcmFrames;
    int64_t pcmPos;
    SoundDecoder decoder;  // kinds 2, 3
    int64_t loopStart;
    int readFailed;  // a decoding error was logged
};

struct StreamState {
    int entryCount;
    StreamEntry entries[kStreamMaxEntries];
    int current;  // entry playing
    int repeat;   // repeat counter of that entry
    int channels, rate;
    int16_t* ring;  // 6 seconds
    uint32_t ringFrames;
    int16_t* scratch;
    uint32_t scratchFrames;
    int64_t writePos;   // W, -1 before the first fill
    int64_t validFrom;  // V
    int64_t totalFrames;
    int64_t entryPos;
    int prepared, draining, reachedEnd, looped, fresh;
    int64_t endPos;
    int lastType;
};

struct SoundRecord {
    int streamed;
    int bufferCount;
    MixVoice voices[kSoundMaxBuffers];
    int lastBuffer;
    int16_t* samples;  // one copy, shared by the buffers (in-memory sounds)
    int channels, rate;
    int64_t frames;
    int millibels;
    uint32_t lastPlayTick;
    StreamState* stream;
};

// 1 once the device is open (sound is available).
int SoundAvailable();
SoundRecord* SoundGet(int handle);
// AddSoundData: a record and a handle, or -1 (logged).
int SoundAdd(int streamed);
int SoundDelete(int handle);
void SoundDeleteAll();
// Walks the live handles: the record in `slot`, null when free.
SoundRecord* SoundAtSlot(int slot);
int SoundHighWater();

// ---- loading (sound_load.cpp) ----

// A streamed sound of one entry from a file image the call takes over (music).
int SoundLoadStreamImage(const char* path, uint8_t* image, size_t size);
// Reads a whole file through the file layer: the image (tracking allocator), or
// null with *openFailed set when it could not be opened (else memory failed).
uint8_t* SoundReadFile(const char* path, size_t* size, int* openFailed);

// ---- streaming (stream.cpp) ----

// AddSreamSound: an entry from a file image the call takes over. 0, or -1 (logged).
int StreamAddEntry(int handle, uint8_t* image, size_t size, int repeatCount, int kind);
// Resets entries and positions and makes the first fill: 0, or -1.
int StreamPrepare(SoundRecord* sound);
void StreamTopUp(SoundRecord* sound);
void StreamFree(StreamState* stream);

// ---- playing (sound_play.cpp) ----

int SoundStart(int handle, int playType, int fromTop);
int SoundSetVolume(int volume, int handle);
int SoundPlaying(const SoundRecord* sound);
// Output frames the buffer used last has played since its start, or -1 (for
// measurements).
int64_t SoundPlayPosition(int handle);
void MusicHalt();

// ---- service hooks (media/core/services.cpp) ----

int SoundStartUp();
void SoundShutDown();
void SoundPump();
void SoundResetDefaults();

#endif
