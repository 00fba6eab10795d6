// audio.h - sample buffers of the generator and their file forms: 16-bit PCM WAV and
// MP3 (libmp3lame, fixed settings, gapless tag so the loop seam survives decoding).
#ifndef VORLANE_TOOLS_ASSETGEN_AUDIO_H
#define VORLANE_TOOLS_ASSETGEN_AUDIO_H

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

constexpr int kRate = 44100;

struct Pcm {
    int rate = kRate;
    int channels = 1;
    std::vector<float> samples;  // interleaved, nominal range -1..1
    size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

std::vector<int16_t> ToInt16(const Pcm& pcm);  // clamped, rounded
void Normalize(Pcm& pcm, float peak);          // scale so the largest sample is peak
// Fades the last `ms` to silence, ending on an exact zero (no click at the end).
void FadeOutEnd(Pcm& pcm, float ms);

std::vector<uint8_t> EncodeWav(const Pcm& pcm);
bool SaveWav(const std::string& relativePath, const Pcm& pcm);

// Stereo 44.1 kHz input; 128 kbit/s CBR; empty on failure.
std::vector<uint8_t> EncodeMp3(const Pcm& pcm);
bool SaveMp3(const std::string& relativePath, const Pcm& pcm);

void GenerateSoundEffects();                   // data/Sound/Effect/*.wav
void GenerateVoice();                          // data/Sound/Voice/Voice_Lvup.wav
void GenerateMusic();                          // data/Sound/BGM/*.mp3
void GenerateMovie();                          // data/movie/MV004.avi
std::vector<uint8_t> EncodeMovie(int frames);  // MJPEG AVI of the logo clip

}  // namespace assetgen

#endif
