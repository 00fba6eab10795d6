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
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::current_path("/");
    fs::remove_all(folder);
    return 0;
}
