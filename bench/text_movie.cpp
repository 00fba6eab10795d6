// text_movie - text drawing and movie frames: cached glyphs drawn with and without
// an edge, glyphs rendered on first use beside the bare font engine rendering the
// same glyphs, and one movie frame decoded and converted at the movie's size and
// scaled to the screen. Each pair runs in the same process; compare the medians:
//   build with -DVORLANE_BENCH=ON -DCMAKE_BUILD_TYPE=Release, then from the build
//   folder (the movie is ./data/movie/MV004.avi of the generated data tree)
//   ./bench/bench_text_movie --benchmark_repetitions=9 --benchmark_report_aggregates_only
// Runs the live platform under SDL's dummy video driver.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "media/core/tracked_alloc.h"
#include "media/graphics/text.h"
#include "media/platform/plat_font.h"
#include "media/platform/plat_movie.h"
#include "media/platform/plat_system.h"
#include "pavex.h"

namespace {

// The configuration screen's message line: eleven double-byte characters.
char g_message[64];
constexpr int kMessageGlyphs = 11;
// The first 3000 level-1 kanji codes: more than any cache holds, so in turn each
// one is always new.
std::vector<int> g_kanji;

void DrawMessage(benchmark::State& state, int fontType) {
    const int font = CreateFontToHandle("", 16, -1, fontType, -1, -1, 0, -1, -1);
    for (auto _ : state) DrawTextWithFont(320, 567, g_message, 0xFFFFFF, 0x0000FF, font);
    state.counters["glyphs"] = benchmark::Counter(double(state.iterations()) * kMessageGlyphs,
                                                  benchmark::Counter::kIsRate);
    DeleteFontHandle(font);
}

void BM_CachedEdged(benchmark::State& state) {
    DrawMessage(state, 3);
}
void BM_CachedPlain(benchmark::State& state) {
    DrawMessage(state, 2);
}

void BM_FirstUse(benchmark::State& state) {
    const int font = CreateFontToHandle("", 16, -1, 3, -1, -1, 0, -1, -1);
    size_t next = 0;
    char text[3] = {};
    for (auto _ : state) {
        const int code = g_kanji[next++ % g_kanji.size()];
        text[0] = static_cast<char>(code >> 8);
        text[1] = static_cast<char>(code & 255);
        DrawTextWithFont(100, 100, text, 0xFFFFFF, 0x0000FF, font);
    }
    state.counters["glyphs"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    DeleteFontHandle(font);
}

void BM_EngineOnly(benchmark::State& state) {
    std::vector<unsigned char> engine(kPlatFontStateBytes + 16);
    alignas(16) static unsigned char block[24 * 24];
    PlatFontMetrics metrics;
    const PlatFontRequest request = {"", 16, 600, 0, PLAT_CHARSET_SHIFTJIS};
    void* e = engine.data();
    if (PlatFontOpen(e, request, &metrics) != 0) return state.SkipWithError("no face");
    std::vector<uint32_t> codepoints;
    for (int code : g_kanji) {
        const char sjis[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 255)};
        unsigned char u[8] = {};
        PlatShiftJisToUtf8(sjis, 2, reinterpret_cast<char*>(u), sizeof u);
        codepoints.push_back((u[0] & 0x0Fu) << 12 | (u[1] & 0x3Fu) << 6 | (u[2] & 0x3Fu));
    }
    size_t next = 0;
    int advance = 0;
    for (auto _ : state) {
        memset(block, 0, sizeof block);
        PlatFontRenderGlyph(e, codepoints[next++ % codepoints.size()], 1, block, 24, 24, 24, 1, 15,
                            &advance);
        benchmark::DoNotOptimize(block);
    }
    state.counters["glyphs"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    PlatFontClose(e);
}

// ---- movie ----

std::vector<uint8_t> g_movie;

struct Memory {
    int64_t at = 0;
};
int Read(void* context, uint8_t* buffer, int size) {
    Memory* m = static_cast<Memory*>(context);
    const int64_t left = static_cast<int64_t>(g_movie.size()) - m->at;
    const int n = static_cast<int>(left < size ? left : size);
    memcpy(buffer, g_movie.data() + m->at, static_cast<size_t>(n));
    m->at += n;
    return n;
}
int Seek(void* context, int64_t offset) {
    static_cast<Memory*>(context)->at = offset;
    return 0;
}

// One new frame a call: the clock moves on by a frame of the 15 fps movie, and the
// movie opens again when it has run out.
void MovieFrames(benchmark::State& state, int width, int height) {
    if (g_movie.empty()) return state.SkipWithError("run from the build folder (./data)");
    std::vector<unsigned char> decoder(kPlatMovieStateBytes + 16);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    Memory memory;
    const PlatMovieSource source = {&memory, Read, Seek, static_cast<int64_t>(g_movie.size())};
    int w = 0, h = 0, frame = 0;
    auto open = [&] {
        memory.at = 0;
        frame = 0;
        return PlatMovieOpen(decoder.data(), &source, &w, &h) == kPlatMovieOk;
    };
    if (!open()) return state.SkipWithError("movie does not open");
    for (auto _ : state) {
        if (++frame == 30) {
            state.PauseTiming();
            PlatMovieClose(decoder.data());
            open();
            state.ResumeTiming();
        }
        PlatMovieShow(decoder.data(), frame * 1000 / 15, pixels.data(), width, width, height);
    }
    PlatMovieClose(decoder.data());
}

void BM_MovieAtItsSize(benchmark::State& state) {
    MovieFrames(state, 320, 240);
}
void BM_MovieScaledToScreen(benchmark::State& state) {
    MovieFrames(state, 800, 600);
}

}  // namespace

BENCHMARK(BM_CachedEdged)->Name("CachedMessageLine/edged");
BENCHMARK(BM_CachedPlain)->Name("CachedMessageLine/plain");
BENCHMARK(BM_FirstUse)->Name("FirstUseGlyph/pavex");
BENCHMARK(BM_EngineOnly)->Name("FirstUseGlyph/engine");
BENCHMARK(BM_MovieAtItsSize)->Name("MovieFrame/320x240")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MovieScaledToScreen)->Name("MovieFrame/800x600")->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ChangeWindowMode(1);
    SetScreenMode(800, 600, 32, 60);
    SetAllowDoubleStart(1);
    if (InitMediaLayer() != 0) return 1;
    SelectDrawTarget(PAVEX_SCREEN_BACK);
    SetRunWhileInactive(1);
    PlatUtf8ToShiftJis("設定を保存して終了する", g_message, sizeof g_message);
    for (int lead = 0x88; lead <= 0x9F && g_kanji.size() < 3000; ++lead)
        for (int trail = 0x40; trail <= 0xFC && g_kanji.size() < 3000; ++trail)
            if (trail != 0x7F && (lead > 0x88 || trail >= 0x9F))
                g_kanji.push_back(lead << 8 | trail);
    if (FILE* f = fopen("data/movie/MV004.avi", "rb")) {
        uint8_t buffer[65536];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
            g_movie.insert(g_movie.end(), buffer, buffer + n);
        fclose(f);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    EndMediaLayer();
    return 0;
}
