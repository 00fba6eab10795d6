// sound_files.h - test data for the sound tests: WAV files written here (levels and
// patterns the mixing tests can predict), files written by independent encoders
// (sox, oggenc, lame) run as programs, and raw samples read back (the bytes of a file
// come from logfile::ReadBytes).
#ifndef VORLANE_TESTS_SOUND_FILES_H
#define VORLANE_TESTS_SOUND_FILES_H

#include <stdint.h>

#include <string>
#include <utility>
#include <vector>

namespace sound_files {

// A 16-bit PCM WAV of `samples` (interleaved); `extra` chunks (id + body) go between
// "fmt " and "data".
using Chunk = std::pair<std::string, std::string>;
using Pcm = std::vector<int16_t>;  // Pcm(frames, level): a constant level
std::string Wav(const std::vector<int16_t>& samples, int channels, int rate,
                const std::vector<Chunk>& extra = {});
void Write(const std::string& path, const std::string& bytes);
std::vector<int16_t> Samples(const std::string& rawBytes);

// A sine of `hz` at amplitude `amp`, `channels` equal channels.
std::vector<int16_t> Sine(int frames, int rate, double hz, double amp, int channels = 1);
// A deterministic pattern without periods (mono): any misplaced block shows.
std::vector<int16_t> Pattern(int frames);

// Runs a shell command; false when it fails (the caller asserts).
bool Run(const std::string& command);

}  // namespace sound_files

#endif
