// mixer.cpp - the voices and the fill function of the sound device (see mixer.h).
//
// Owns: the mixer mutex, the list of playing voices and the mixing buffer, which
// only the fill function touches. Runs the fill on the device's thread: nothing in
// this file logs, allocates or reaches the rest of the library, and the mutex is
// held only for list and field updates and one mixing pass.
#include "media/sound/mixer.h"

#include <math.h>
#include <string.h>

#include <mutex>

#include "media/platform/plat_audio.h"

namespace {

constexpr int kChunkFrames = 512;
constexpr uint64_t kOne = 1ull << 32;

struct MixerData {
    std::mutex mutex;
    MixVoice* active[kMixerMaxActive];
    int activeCount;
    int32_t sum[kChunkFrames * 2];  // the fill function's own: only it touches it
};

MixerData MIXER;

// Callers hold the mutex.
void Remove(MixVoice* v) {
    if (!v->active) return;
    const int i = v->active - 1;
    MixVoice* last = MIXER.active[--MIXER.activeCount];
    MIXER.active[i] = last;
    last->active = i + 1;
    MIXER.active[MIXER.activeCount] = nullptr;
    v->active = 0;
}

inline int Sample(const MixVoice* v, uint32_t frame, int channel) {
    return v->samples[static_cast<size_t>(frame) * v->channels + channel];
}

// Adds up to `frames` output frames of `v` to `sum`; returns 0 when the voice ended.
int MixVoiceInto(MixVoice* v, int32_t* sum, int frames) {
    const uint64_t length = static_cast<uint64_t>(v->frames) << 32;
    const int64_t gain = v->gain;
    const int right = v->channels > 1 ? 1 : 0;
    for (int f = 0; f < frames; ++f) {
        if (v->stopAt && v->played >= v->stopAt) return 0;
        if (v->position >= length) {
            // A buffer that plays to its end stops there and rewinds, so a later
            // resume starts it again from the beginning.
            if (!v->looping || !v->frames) {
                v->position = 0;
                return 0;
            }
            v->position %= length;
        }
        const uint32_t i = static_cast<uint32_t>(v->position >> 32);
        int left = Sample(v, i, 0), rightS = Sample(v, i, right);
        const uint32_t frac = static_cast<uint32_t>(v->position) >> 16;
        if (frac) {
            // Linear interpolation toward the next frame; a looping voice takes it
            // from its start, so the seam of a loop is as smooth as the rest.
            uint32_t n = i + 1;
            if (n >= v->frames) n = v->looping ? 0 : i;
            left += ((Sample(v, n, 0) - left) * static_cast<int>(frac)) >> 16;
            rightS += ((Sample(v, n, right) - rightS) * static_cast<int>(frac)) >> 16;
        }
        sum[2 * f] += static_cast<int32_t>((left * gain + 32768) >> 16);
        sum[2 * f + 1] += static_cast<int32_t>((rightS * gain + 32768) >> 16);
        v->position += v->step;
        ++v->played;
    }
    return 1;
}

inline int16_t Saturate(int32_t s) {
    return static_cast<int16_t>(s > 32767 ? 32767 : s < -32768 ? -32768 : s);
}

}  // namespace

void MixerFill(int16_t* out, int frames, void*) {
    std::lock_guard<std::mutex> hold(MIXER.mutex);
    while (frames > 0) {
        const int n = frames < kChunkFrames ? frames : kChunkFrames;
        memset(MIXER.sum, 0, sizeof(int32_t) * 2 * n);
        for (int i = MIXER.activeCount - 1; i >= 0; --i) {
            MixVoice* v = MIXER.active[i];
            if (!MixVoiceInto(v, MIXER.sum, n)) Remove(v);
        }
        for (int k = 0; k < 2 * n; ++k) out[k] = Saturate(MIXER.sum[k]);
        out += 2 * n;
        frames -= n;
    }
}

int32_t MixerGainOf(int millibels) {
    if (millibels <= -10000) return 0;
    if (millibels >= 0) return 65536;
    return static_cast<int32_t>(lround(65536.0 * pow(10.0, millibels / 2000.0)));
}

int MixerOpen(char* why, size_t whySize) {
    return PlatAudioOpen(MixerFill, nullptr, why, whySize) == 0 ? 0 : -1;
}

void MixerClose() {
    PlatAudioClose();
    std::lock_guard<std::mutex> hold(MIXER.mutex);
    while (MIXER.activeCount) Remove(MIXER.active[MIXER.activeCount - 1]);
}

void MixerVoiceInit(MixVoice* voice, const int16_t* samples, int channels, int rate,
                    uint32_t frames) {
    memset(voice, 0, sizeof *voice);
    voice->samples = samples;
    voice->channels = channels;
    voice->rate = rate;
    voice->frames = frames;
    voice->step = (static_cast<uint64_t>(rate) << 32) / kPlatAudioRate;
    voice->gain = 65536;
}

int MixerPlay(MixVoice* voice, int looping) {
    std::lock_guard<std::mutex> hold(MIXER.mutex);
    voice->looping = looping;
    voice->stopAt = 0;
    if (voice->active) return 0;
    if (MIXER.activeCount >= kMixerMaxActive) return -1;
    voice->played = 0;
    MIXER.active[MIXER.activeCount++] = voice;
    voice->active = MIXER.activeCount;
    return 0;
}

void MixerStop(MixVoice* voice) {
    std::lock_guard<std::mutex> hold(MIXER.mutex);
    Remove(voice);
}

void MixerDetach(MixVoice* voice) {
    std::lock_guard<std::mutex> hold(MIXER.mutex);
    Remove(voice);
    voice->samples = nullptr;
    voice->frames = 0;
}

int MixerPlaying(const MixVoice* voice) {
    std::lock_guard<std::mutex> hold(MIXER.mutex);
    return voice->active ? 1 : 0;
}

uint32_t MixerPosition(const MixVoice* voice) {
    std::lock_guard<std::mutex> hold(MIXER.mutex);
    uint32_t frame = static_cast<uint32_t>(voice->position >> 32);
    return frame < voice->frames ? frame : voice->looping ? frame % voice->frames : voice->frames;
}

void MixerSetPosition(MixVoice* voice, uint32_t frame) {
    std::lock_guard<std::mutex> hold(MIXER.mutex);
    voice->position = static_cast<uint64_t>(frame < voice->frames ? frame : voice->frames) << 32;
}

void MixerSetGain(MixVoice* voice, int32_t gain) {
    std::lock_guard<std::mutex> hold(MIXER.mutex);
    voice->gain = gain;
}

void MixerStopAtFrame(MixVoice* voice, uint32_t frame) {
    std::lock_guard<std::mutex> hold(MIXER.mutex);
    if (!voice->frames) return;
    const uint32_t now = static_cast<uint32_t>((voice->position >> 32) % voice->frames);
    const uint32_t ahead = (frame % voice->frames + voice->frames - now) % voice->frames;
    // Output frames until the source reaches the frame (the rate may differ).
    if (ahead == 0 || !voice->step) {
        Remove(voice);
        return;
    }
    const uint64_t source = (static_cast<uint64_t>(ahead) << 32) - (voice->position & (kOne - 1));
    voice->stopAt = voice->played + (source + voice->step - 1) / voice->step;
}

void MixerWrite(MixVoice* voice, uint32_t at, const int16_t* source, uint32_t frames) {
    std::lock_guard<std::mutex> hold(MIXER.mutex);
    if (!voice->frames) return;
    int16_t* ring = const_cast<int16_t*>(voice->samples);
    const size_t ch = static_cast<size_t>(voice->channels);
    at %= voice->frames;
    while (frames > 0) {
        uint32_t n = voice->frames - at < frames ? voice->frames - at : frames;
        memcpy(ring + at * ch, source, n * ch * sizeof(int16_t));
        source += n * ch;
        frames -= n;
        at = (at + n) % voice->frames;
    }
}

void MixerProgress(const MixVoice* voice, uint64_t* played, uint32_t* position) {
    std::lock_guard<std::mutex> hold(MIXER.mutex);
    *played = voice->played;
    *position = voice->frames ? static_cast<uint32_t>((voice->position >> 32) % voice->frames) : 0;
}
