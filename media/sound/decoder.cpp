// decoder.cpp - the detection order of sound files and the decoders it picks: PCM
// WAV read here from the data chunk; compressed WAV, Ogg Vorbis and MP3 through the
// platform's libraries (plat_decode.h), MP3 after the area's own tag and frame walk.
//
// Owns: SoundDecoder and the whole-sound decode. Every attempt starts from the
// beginning of the data. Formats the mixer cannot play (more than two channels,
// rates outside 1000..384000 Hz) are refused here, so nothing after it checks.
#include <string.h>

#include "media/core/tracked_alloc.h"
#include "media/sound/sound_internal.h"

namespace {

int Playable(int channels, int rate) {
    return channels >= 1 && channels <= 2 && rate >= kSoundMinRate && rate <= kSoundMaxRate;
}

int OpenPcmWav(SoundDecoder* dec, const uint8_t* data, size_t size) {
    WavInfo w;
    if (WavWalk(data, size, &w) != 0 || w.formatTag != kWavFormatPcm) return -1;
    const int bytes = w.bitsPerSample / 8;
    if (w.bitsPerSample % 8 || bytes < 1 || bytes > 4 || !Playable(w.channels, w.rate) ||
        w.blockAlign != bytes * w.channels)
        return -1;
    dec->codec = CODEC_PCM_WAV;
    dec->channels = w.channels;
    dec->rate = w.rate;
    dec->pcm = data + w.dataOffset;
    dec->pcmBytes = w.dataBytes - w.dataBytes % w.blockAlign;
    dec->bytesPerSample = bytes;
    dec->pcmPos = 0;
    dec->claimedFrames = static_cast<int64_t>(dec->pcmBytes / w.blockAlign);
    dec->maxFrames = dec->claimedFrames;
    return 0;
}

int OpenLibrary(SoundDecoder* dec, SoundCodec codec, const PlatDecoderOps* ops, const uint8_t* data,
                size_t size, const PlatMpegHint* hint) {
    void* state = PAVEX_ALLOC(ops->stateBytes);
    if (!state) return -1;
    PlatPcmFormat format = {0, 0, -1};
    if (ops->open(state, data, size, hint, &format) != 0) {
        TrackedFree(state);
        return -1;
    }
    if (!Playable(format.channels, format.rate)) {
        ops->close(state);
        TrackedFree(state);
        return -1;
    }
    dec->codec = codec;
    dec->ops = ops;
    dec->state = state;
    dec->channels = format.channels;
    dec->rate = format.rate;
    dec->claimedFrames = format.frames;
    return 0;
}

int16_t PcmSample(const uint8_t* p, int bytes) {
    switch (bytes) {
        case 1:
            return static_cast<int16_t>((p[0] - 128) << 8);
        case 2:
            return static_cast<int16_t>(p[0] | p[1] << 8);
        default:  // 24 and 32 bits keep their top 16 bits
            return static_cast<int16_t>(p[bytes - 2] | p[bytes - 1] << 8);
    }
}

}  // namespace

int SoundDecoderOpen(SoundDecoder* dec, const uint8_t* data, size_t size) {
    memset(dec, 0, sizeof *dec);
    dec->maxFrames = -1;
    if (!data) return -1;
    if (OpenPcmWav(dec, data, size) == 0) return 0;
    WavInfo w;
    if (WavWalk(data, size, &w) == 0 &&
        OpenLibrary(dec, CODEC_WAV, &kPlatSndfileDecoder, data, size, nullptr) == 0)
        return 0;
    if (OpenLibrary(dec, CODEC_VORBIS, &kPlatVorbisDecoder, data, size, nullptr) == 0) return 0;
    // A RIFF WAVE file is left to the WAV decoders: the MP3 scan would find
    // sync-like byte pairs in its samples and decode noise.
    Mp3Info m;
    const bool riff =
        size >= 12 && memcmp(data, "RIFF", 4) == 0 && memcmp(data + 8, "WAVE", 4) == 0;
    if (!riff && Mp3Walk(data, size, &m) == 0 && m.frames > 0) {
        PlatMpegHint hint = {m.channels, m.rate};
        if (OpenLibrary(dec, CODEC_MP3, &kPlatMpegDecoder, data + m.audioStart,
                        m.audioEnd - m.audioStart, &hint) == 0) {
            dec->maxFrames = m.maxSamples;
            return 0;
        }
    }
    memset(dec, 0, sizeof *dec);
    return -1;
}

int SoundDecoderRead(SoundDecoder* dec, int16_t* out, int frames) {
    if (frames <= 0) return 0;
    if (dec->codec == CODEC_PCM_WAV) {
        const size_t frameBytes = static_cast<size_t>(dec->bytesPerSample) * dec->channels;
        size_t left = (dec->pcmBytes - dec->pcmPos) / frameBytes;
        size_t n = left < static_cast<size_t>(frames) ? left : static_cast<size_t>(frames);
        const uint8_t* p = dec->pcm + dec->pcmPos;
        for (size_t k = 0; k < n * dec->channels; ++k, p += dec->bytesPerSample)
            out[k] = PcmSample(p, dec->bytesPerSample);
        dec->pcmPos += n * frameBytes;
        return static_cast<int>(n);
    }
    if (!dec->ops) return -1;
    return dec->ops->read(dec->state, out, frames);
}

int SoundDecoderSeek(SoundDecoder* dec, int64_t frame) {
    if (frame < 0) return -1;
    if (dec->codec == CODEC_PCM_WAV) {
        const size_t frameBytes = static_cast<size_t>(dec->bytesPerSample) * dec->channels;
        if (static_cast<uint64_t>(frame) > dec->pcmBytes / frameBytes) return -1;
        dec->pcmPos = static_cast<size_t>(frame) * frameBytes;
        return 0;
    }
    if (!dec->ops) return -1;
    return dec->ops->seek(dec->state, frame);
}

void SoundDecoderClose(SoundDecoder* dec) {
    if (dec->ops && dec->state) {
        dec->ops->close(dec->state);
        TrackedFree(dec->state);
    }
    memset(dec, 0, sizeof *dec);
}

int SoundDecodeAll(SoundDecoder* dec, int16_t** samples, int64_t* frames) {
    *samples = nullptr;
    *frames = 0;
    int64_t limit = kSoundMaxFrames;
    if (dec->maxFrames >= 0 && dec->maxFrames < limit) limit = dec->maxFrames;
    // A claimed length is only a first guess: the block grows with what really
    // decodes, so a header that lies cannot ask for a huge block.
    int64_t capacity = dec->claimedFrames > 0 ? dec->claimedFrames + 1 : 65536;
    if (capacity > (1 << 22)) capacity = 1 << 22;
    if (capacity > limit + 1) capacity = limit + 1;
    const size_t frameBytes = static_cast<size_t>(dec->channels) * sizeof(int16_t);
    int16_t* block = static_cast<int16_t*>(PAVEX_ALLOC(static_cast<size_t>(capacity) * frameBytes));
    if (!block) return -2;
    int64_t count = 0;
    for (;;) {
        if (count == capacity) {
            if (capacity > limit) break;  // more than the source can hold: stop there
            int64_t grown = capacity * 2 > limit + 1 ? limit + 1 : capacity * 2;
            int16_t* bigger =
                static_cast<int16_t*>(PAVEX_ALLOC(static_cast<size_t>(grown) * frameBytes));
            if (!bigger) {
                TrackedFree(block);
                return -2;
            }
            memcpy(bigger, block, static_cast<size_t>(count) * frameBytes);
            TrackedFree(block);
            block = bigger;
            capacity = grown;
        }
        int64_t room = capacity - count;
        int ask = room > 65536 ? 65536 : static_cast<int>(room);
        int got = SoundDecoderRead(dec, block + count * dec->channels, ask);
        if (got < 0) {
            if (count == 0) {
                TrackedFree(block);
                return -1;
            }
            break;  // a damaged tail ends the sound where it breaks
        }
        if (got == 0) break;
        count += got;
    }
    if (count == 0) {
        TrackedFree(block);
        return -1;
    }
    if (count > limit) count = limit;
    *samples = block;
    *frames = count;
    return 0;
}
