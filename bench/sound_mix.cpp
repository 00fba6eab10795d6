// sound_mix - the sound area's costs on the live platform (SDL's dummy drivers):
//   BM_Mix20VoicesAndMp3Stream  CPU for one second of audio: 20 looping effects (half
//                               at 22050 Hz, resampled) plus the MP3 music stream with
//                               its top-ups; counter "cpu_pct" = percent of one core
//                               (thread CPU time, so other load does not count)
//   BM_DecodeMp3, BM_DecodeVorbis  a 30 s track decoded whole; counter "x_realtime" =
//                               seconds of audio per CPU second
//   BM_StartToFirstSample       StartSound until the device has taken the first
//                               sample (manual time, mean), at random points of the
//                               device period; counters "max_ms" and "period_ms"
//
// Run: cmake -S . -B build-bench -DVORLANE_BENCH=ON -DCMAKE_BUILD_TYPE=Release
//      cmake --build build-bench --target bench_sound_mix
//      build-bench/bench/bench_sound_mix --benchmark_repetitions=5
// Needs sox, lame and oggenc (scripts/debian-packages.txt) to make its files.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "media/core/api_lock.h"
#include "media/core/tracked_alloc.h"
#include "media/platform/plat_audio.h"
#include "media/sound/sound_internal.h"
#include "pavex.h"

namespace fs = std::filesystem;

namespace {

constexpr int kEffects = 20;
constexpr int kTrackSeconds = 30;
constexpr int kPeriods = 43;  // 43 periods of 1024 frames: 0.9985 s of audio

struct Setup {
    fs::path dir;
    bool ready = false;
    ~Setup() {
        if (!ready) return;
        EndMediaLayer();
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
};

Setup& Ready() {
    static Setup s;
    if (s.ready) return s;
    s.dir = fs::temp_directory_path() / ("pavex-sound-bench-" + std::to_string(getpid()));
    fs::create_directories(s.dir);
    const std::string d = s.dir.string();
    std::string make = "cd " + d + " && sox -n -r 44100 -c 2 -b 16 track.wav synth " +
                       std::to_string(kTrackSeconds) +
                       " pluck C3 pluck E3 pluck G3 vol 0.5 && lame --quiet -b 192 track.wav "
                       "track.mp3 && oggenc -Q -q 5 track.wav -o track.ogg";
    for (int i = 0; i < kEffects; ++i)
        make += " && sox -n -r " + std::string(i % 2 ? "22050" : "44100") + " -c " +
                std::to_string(1 + i % 2) + " -b 16 e" + std::to_string(i) + ".wav synth 1 sine " +
                std::to_string(200 + 37 * i) + " vol 0.05";
    if (system((make + " >/dev/null 2>&1").c_str()) != 0) abort();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (chdir(d.c_str()) != 0) abort();
    ChangeWindowMode(1);
    SetAllowDoubleStart(1);
    if (InitMediaLayer() != 0) abort();
    s.ready = true;
    return s;
}

std::vector<uint8_t> Image(const std::string& name) {
    std::ifstream in(Ready().dir / name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void BM_StartToFirstSample(benchmark::State& state) {
    Ready();
    int h = LoadSound("e0.wav", 1, -1);
    EnterApiLock();
    const MixVoice* voice = &SoundGet(h)->voices[0];
    LeaveApiLock();
    double worst = 0;
    unsigned phase = 1;
    for (auto _ : state) {
        // Start at a random point of the device period: right after the last
        // detection the next fill is always a whole period away.
        state.PauseTiming();
        StopSound(h);
        phase = phase * 1103515245u + 12345u;
        std::this_thread::sleep_for(std::chrono::microseconds((phase >> 8) % 23000));
        state.ResumeTiming();
        auto t0 = std::chrono::steady_clock::now();
        StartSound(h, 1, 1);
        // Watch the voice through the mixer alone, sleeping briefly between looks,
        // so that the watcher neither holds the API lock nor starves the device.
        uint64_t played = 0;
        uint32_t position = 0;
        for (MixerProgress(voice, &played, &position); played == 0;
             MixerProgress(voice, &played, &position))
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        worst = std::max(worst, took);
        state.SetIterationTime(took);
    }
    state.counters["max_ms"] = worst * 1000.0;
    state.counters["period_ms"] = 1000.0 * PlatAudioPeriodFrames() / kPlatAudioRate;
    DeleteSound(h);
}
BENCHMARK(BM_StartToFirstSample)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

void BM_Mix20VoicesAndMp3Stream(benchmark::State& state) {
    Ready();
    std::vector<int> effects;
    for (int i = 0; i < kEffects; ++i) {
        char name[32];
        snprintf(name, sizeof name, "e%d.wav", i);
        effects.push_back(LoadSound(name, 1, -1));
        StartSound(effects.back(), 3, 1);
    }
    PlayMusicFile("track.mp3", 3);
    // The benchmark's thread is the device now: it mixes and tops up the stream
    // one period at a time, as fast as it can.
    PlatAudioClose();
    std::vector<int16_t> period(1024 * 2);
    for (auto _ : state) {
        for (int p = 0; p < kPeriods; ++p) {
            MixerFill(period.data(), 1024, nullptr);
            EnterApiLock();
            SoundPump();
            LeaveApiLock();
        }
        benchmark::DoNotOptimize(period.data());
    }
    // Time per iteration over the audio it made, in percent.
    state.counters["cpu_pct"] = benchmark::Counter(
        1024.0 * kPeriods / kPlatAudioRate / 100.0,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    HaltMusic();
    for (int h : effects) DeleteSound(h);
    char why[128];
    MixerClose();
    MixerOpen(why, sizeof why);
}
BENCHMARK(BM_Mix20VoicesAndMp3Stream)->Unit(benchmark::kMillisecond);

void Decode(benchmark::State& state, const char* name) {
    std::vector<uint8_t> image = Image(name);
    int64_t frames = 0;
    for (auto _ : state) {
        SoundDecoder dec;
        int16_t* pcm = nullptr;
        EnterApiLock();
        if (SoundDecoderOpen(&dec, image.data(), image.size()) != 0 ||
            SoundDecodeAll(&dec, &pcm, &frames) != 0)
            abort();
        SoundDecoderClose(&dec);
        TrackedFree(pcm);
        LeaveApiLock();
    }
    state.counters["x_realtime"] = benchmark::Counter(
        double(frames) / kPlatAudioRate, benchmark::Counter::kIsIterationInvariantRate);
}
void BM_DecodeMp3(benchmark::State& state) {
    Decode(state, "track.mp3");
}
void BM_DecodeVorbis(benchmark::State& state) {
    Decode(state, "track.ogg");
}
BENCHMARK(BM_DecodeMp3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeVorbis)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
