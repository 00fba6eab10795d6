// sdl_audio.cpp - the sound device of a real desktop (plat_audio.h): one SDL audio
// device at 44100 Hz, stereo, signed 16-bit, pulling its samples from the fill
// function the sound area gives.
//
// Owns: the SDL audio subsystem and the device. The SDL callback only forwards to
// the fill function; it never touches anything else of the library.
#include <SDL.h>
#include <stdio.h>

#include "media/platform/plat_audio.h"

namespace {

constexpr int kPeriodFrames = 1024;

struct AudioDevice {
    SDL_AudioDeviceID device;
    int periodFrames;
    PlatAudioFill fill;
    void* user;
};

AudioDevice AUDIO = {};

void Callback(void* userdata, Uint8* stream, int length) {
    AudioDevice* a = static_cast<AudioDevice*>(userdata);
    a->fill(reinterpret_cast<int16_t*>(stream), length / (kPlatAudioChannels * 2), a->user);
}

}  // namespace

int PlatAudioOpen(PlatAudioFill fill, void* user, char* why, size_t whySize) {
    if (AUDIO.device || !fill) {
        if (why && whySize) snprintf(why, whySize, "%s", "the device is open already");
        return -1;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        if (why && whySize) snprintf(why, whySize, "SDL audio: %s", SDL_GetError());
        return -1;
    }
    AUDIO.fill = fill;
    AUDIO.user = user;
    SDL_AudioSpec want, have;
    SDL_zero(want);
    want.freq = kPlatAudioRate;
    want.format = AUDIO_S16SYS;
    want.channels = kPlatAudioChannels;
    want.samples = kPeriodFrames;
    want.callback = Callback;
    want.userdata = &AUDIO;
    // The format is fixed: SDL converts for the hardware if it must.
    AUDIO.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (!AUDIO.device) {
        if (why && whySize)
            snprintf(why, whySize, "%s (driver %s)", SDL_GetError(),
                     SDL_GetCurrentAudioDriver() ? SDL_GetCurrentAudioDriver() : "none");
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return -1;
    }
    AUDIO.periodFrames = have.samples;
    SDL_PauseAudioDevice(AUDIO.device, 0);
    return 0;
}

void PlatAudioClose() {
    if (!AUDIO.device) return;
    SDL_CloseAudioDevice(AUDIO.device);  // waits for a running callback
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    AUDIO = AudioDevice{};
}

int PlatAudioPeriodFrames() {
    return AUDIO.device ? AUDIO.periodFrames : 0;
}
