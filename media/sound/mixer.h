// mixer.h - the voices the device plays and the fill function that sums them. A
// voice stands for one sound buffer: samples it does not own (a sound's PCM block,
// shared by up to 10 voices, or a stream's ring), a play position, a loop flag and
// a gain.
//
// The sound-thread rule: the fill function runs on the device's thread and takes
// nothing but the mixer's own mutex; it never logs, never allocates, never takes
// the API lock. Every function below takes that mutex briefly, so the main thread
// and the pump may call them at any time (under the API lock). A voice must be
// detached (MixerDetach) before its samples or its memory are freed.
#ifndef PAVEX_SOUND_MIXER_H
#define PAVEX_SOUND_MIXER_H

#include <stddef.h>
#include <stdint.h>

// At most this many voices sound at once; a start beyond it fails.
constexpr int kMixerMaxActive = 512;

struct MixVoice {
    const int16_t* samples;  // interleaved, `channels` per frame
    int channels;            // 1 or 2
    int rate;
    uint32_t frames;
    uint64_t position;  // 32.32 fixed-point frame position
    uint64_t step;      // position advance per output frame
    int32_t gain;       // 16.16 linear gain
    int looping;
    int active;       // index in the mixer's list + 1, 0 when not playing
    uint64_t played;  // output frames played since the last start
    uint64_t stopAt;  // stop once `played` reaches it (0: never)
};

// Opens the device with the mixer as its fill function: 0, or -1 with the reason.
int MixerOpen(char* why, size_t whySize);
void MixerClose();  // stops the device and drops every voice

// A voice over `frames` frames of `samples`, stopped, at full gain, position 0.
void MixerVoiceInit(MixVoice* voice, const int16_t* samples, int channels, int rate,
                    uint32_t frames);
// Starts (or keeps) playing from the current position: 0, or -1 when too many
// voices play already.
int MixerPlay(MixVoice* voice, int looping);
void MixerStop(MixVoice* voice);
// Stops the voice and takes it out of the mixer: afterwards its memory may go.
void MixerDetach(MixVoice* voice);
int MixerPlaying(const MixVoice* voice);
uint32_t MixerPosition(const MixVoice* voice);  // the frame played next
void MixerSetPosition(MixVoice* voice, uint32_t frame);
void MixerSetGain(MixVoice* voice, int32_t gain);
// Stops the voice once it has played up to (not including) ring frame `frame`,
// counted from its position now; 0 frames away stops it at once.
void MixerStopAtFrame(MixVoice* voice, uint32_t frame);
// Copies `frames` frames into the voice's samples at frame `at` (wrapping at its
// end): how a stream writes its ring while the device reads it.
void MixerWrite(MixVoice* voice, uint32_t at, const int16_t* source, uint32_t frames);
// Frames played since the last start, and position, read together.
void MixerProgress(const MixVoice* voice, uint64_t* played, uint32_t* position);

// The fill function itself (also for benchmarks): sums every playing voice.
void MixerFill(int16_t* out, int frames, void* user);

// 16.16 gain of a level in hundredths of a decibel: 10^(mB / 2000); 0 at -10000.
int32_t MixerGainOf(int millibels);

#endif
