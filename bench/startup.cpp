// startup - time from the start of the program to its first title frame: the media
// layer's start-up as the game configures it, then what the title scene does before
// it presents its first frame (release and load the menu pictures, load the sound
// effects, read or create the two data files, start the title music, draw and flip).
// Beside it, the bare start and end of the layer and one later title frame, in the
// same run, so the share of each step is seen. Live platform; SDL's dummy video and
// audio drivers unless others are chosen.
//   build with -DVORLANE_BENCH=ON, then from the build folder (which holds ./data):
//   ./bench/bench_startup
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "pavex.h"
#include "shell/app.h"
#include "shell/assets.h"
#include "shell/best_record.h"
#include "shell/settings_file.h"
#include "shell/title_menu.h"

namespace {

namespace fs = std::filesystem;

// The title scene's steps before its first flip (RunTitleMenu), in its order.
void FirstTitleFrame() {
    DeleteAllGraphics(0);
    LoadImages(kImageSetMenus);
    LoadSoundEffects();
    LoadSettings();
    LoadBestRecord();
    PlayBgm(0);
    SetDrawBrightness(255, 255, 255);
    ProcessMessage();
    ClearScreen();
    DrawBackground(titleBackground);
    DrawTitleMenu(0);
    FlipScreen();
}

void BM_LayerStartAndEnd(benchmark::State& state) {
    for (auto _ : state) {
        if (!StartUpApplication()) state.SkipWithError("the media layer did not start");
        EndMediaLayer();
    }
}

void BM_StartToFirstTitleFrame(benchmark::State& state) {
    for (auto _ : state) {
        if (!StartUpApplication()) state.SkipWithError("the media layer did not start");
        FirstTitleFrame();
        state.PauseTiming();
        EndMediaLayer();
        state.ResumeTiming();
    }
}

void BM_LaterTitleFrame(benchmark::State& state) {
    if (!StartUpApplication()) state.SkipWithError("the media layer did not start");
    FirstTitleFrame();
    for (auto _ : state) {
        ClearScreen();
        DrawBackground(titleBackground);
        DrawTitleMenu(0);
        FlipScreen();
    }
    EndMediaLayer();
}

// A frame of the menus' fade to black: the same drawing at half brightness.
void BM_FadeTitleFrame(benchmark::State& state) {
    if (!StartUpApplication()) state.SkipWithError("the media layer did not start");
    FirstTitleFrame();
    for (auto _ : state) {
        ClearScreen();
        SetDrawBrightness(128, 128, 128);
        DrawBackground(titleBackground);
        DrawTitleMenu(0);
        FlipScreen();
    }
    SetDrawBrightness(255, 255, 255);
    EndMediaLayer();
}

BENCHMARK(BM_LayerStartAndEnd)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StartToFirstTitleFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LaterTitleFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FadeTitleFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // Runs in a fresh folder (the data files and Log.txt land there) that links to the
    // data tree of the folder it was started in.
    const fs::path data = fs::absolute("data");
    if (!fs::exists(data)) {
        fprintf(stderr, "bench_startup: run it from the build folder (no ./data here)\n");
        return 1;
    }
    char folder[] = "/tmp/vorlane-bench-startup-XXXXXX";
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0) return 1;
    fs::create_directory_symlink(data, "data");
    // The first start of a process is what a player waits for; it is timed once
    // before the repeated runs, step by step, and again after a stop.
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double, std::milli>(b - a).count();
    };
    const Clock::time_point t0 = Clock::now();
    const int started = StartUpApplication();
    const Clock::time_point t1 = Clock::now();
    if (started) FirstTitleFrame();
    const Clock::time_point t2 = Clock::now();
    EndMediaLayer();
    const Clock::time_point t3 = Clock::now();
    const int restarted = StartUpApplication();
    const Clock::time_point t4 = Clock::now();
    if (restarted) EndMediaLayer();
    printf(
        "first start: layer %.1f ms + title scene to its first frame %.1f ms = %.1f ms; "
        "end %.1f ms; second start %.1f ms\n",
        ms(t0, t1), ms(t1, t2), ms(t0, t2), ms(t2, t3), ms(t3, t4));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::current_path("/");
    fs::remove_all(folder);
    return 0;
}
