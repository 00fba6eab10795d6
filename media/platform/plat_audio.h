// plat_audio.h - the sound device, as the sound area needs it of the platform.
//
// The device plays 44100 Hz, stereo, signed 16-bit samples. It pulls them from a
// fill function that the sound area hands down when it opens the device.
//
// The sound-thread rule. On the live platform (media/platform/live/sdl_audio.cpp,
// an SDL audio device) the fill function runs on the device's own thread. Only the
// mixer runs there, under the mixer's own short mutex: it never takes the API lock,
// never writes a log line, never allocates through the tracking allocator and never
// calls back into the library. A voice is detached under the mixer mutex before its
// samples are freed, so the device never reads freed memory. The scripted platform
// (tests) calls the fill function on the thread that moves the virtual clock, one
// device period at a time as virtual time passes, and records what it produced, so a
// test can check exactly what the device would have played.
#ifndef PAVEX_PLATFORM_AUDIO_H
#define PAVEX_PLATFORM_AUDIO_H

#include <stddef.h>
#include <stdint.h>

constexpr int kPlatAudioRate = 44100;
constexpr int kPlatAudioChannels = 2;

// Writes `frames` stereo frames (2 x frames int16 values, interleaved L R) to `out`.
typedef void (*PlatAudioFill)(int16_t* out, int frames, void* user);

// Opens the one device and starts pulling from `fill`: 0, or -1 when no device can
// be opened, with the reason written to `why` (for the log).
int PlatAudioOpen(PlatAudioFill fill, void* user, char* why, size_t whySize);
// Stops the device; once it returns no fill call runs any more. Harmless when closed.
void PlatAudioClose();
// Frames the device asks for per fill call (its period), 0 while closed.
int PlatAudioPeriodFrames();

#endif
