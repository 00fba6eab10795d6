// scene_driver.cpp - see scene_driver.h.
#include "tests/game/shell/scenes/scene_driver.h"

#include <stdio.h>

#include <filesystem>

#include "match/match_state.h"
#include "media/core/frame.h"
#include "pavex.h"
#include "shell/app.h"
#include "shell/best_record.h"
#include "shell/settings.h"
#include "shell/title_menu.h"
#include "tests/support/scripted.h"

// The linker's names of the caught functions (C++ names in their mangled form).
extern "C" {
int __real_FlipScreen(void);
int __real_GetAnyKeyDown(void);
void __real__Z15PlaySoundEffecti(int n);
int __real__Z12RunTitleMenuv();
int __real__Z15RunGameModeMenuv();
int __real__Z8RunRoundv();
void __real__Z12ShowGameOverv();
void __real__Z13ShowGameClearv();
void __real__Z14ShowBestRecordv();
void __real__Z15RunConfigScreenv();
}

namespace scene {
namespace {

struct Driver {
    Script script;
    Now now;
    uint32_t sceneStart = 0;
    int presented = 0;
    bool inScript = false;
    std::vector<std::string> scenes;
    std::vector<int> effects;
} D;

void RunScript() {
    if (!D.script || D.inScript) return;
    D.inScript = true;
    D.now.ms = static_cast<int>(script::NowMs() - D.sceneStart);
    D.script(D.now);
    D.inScript = false;
}

// Scene functions report themselves on standard error too, so a death test can
// match the order of the scenes of a whole program run.
void Enter(const char* name) {
    D.scenes.push_back(name);
    D.now = {name, 0, 0};
    D.sceneStart = script::NowMs();
    fprintf(stderr, "[%s]", name);
    RunScript();
}

}  // namespace

void SetScript(Script script) {
    D.script = std::move(script);
}

void Hold(const std::vector<int>& codes) {
    script::ReleaseAllKeys();
    for (int code : codes) script::SetKey(code, true);
}

Script KeysByFrame(std::vector<std::pair<int, std::vector<int>>> steps) {
    return [steps](const Now& now) {
        const std::vector<int>* keys = nullptr;
        for (const auto& step : steps)
            if (step.first <= now.frame) keys = &step.second;
        if (keys != nullptr) Hold(*keys);
    };
}

const std::vector<std::string>& Scenes() {
    return D.scenes;
}
const std::vector<int>& Effects() {
    return D.effects;
}
int PresentedFrames() {
    return D.presented;
}

void LinkData() {
    std::filesystem::create_directory_symlink(DATA_TREE, "data");
}

void LinkDataFileByFile() {
    namespace fs = std::filesystem;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(DATA_TREE)) {
        const fs::path target = "data" / fs::relative(e.path(), DATA_TREE);
        if (e.is_directory()) {
            fs::create_directories(target);
        } else {
            fs::create_directories(target.parent_path());
            fs::create_symlink(e.path(), target);
        }
    }
}

void WriteFile(const char* path, const std::vector<uint8_t>& bytes) {
    FILE* f = fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

void SceneTest::SetUp() {
    script::Reset();
    FrameResetDefaults();
    D = Driver{};
    gameSettings = kDefaultGameSettings;
    bestRecord = {0, 0, 0};
    ShowFps = false;
    titleBackground = 9;
    ResetHiddenSequence();
    match = MatchState{};
    ASSERT_EQ(StartUpApplication(), 1);
}

void SceneTest::TearDown() {
    D.script = nullptr;
    EndMediaLayer();
}

}  // namespace scene

extern "C" int __wrap_FlipScreen(void) {
    int result = __real_FlipScreen();
    ++scene::D.presented;
    ++scene::D.now.frame;
    scene::D.now.flipped = true;
    scene::RunScript();
    scene::D.now.flipped = false;
    return result;
}

extern "C" int __wrap_GetAnyKeyDown(void) {
    scene::RunScript();
    return __real_GetAnyKeyDown();
}

extern "C" void __wrap__Z15PlaySoundEffecti(int n) {
    scene::D.effects.push_back(n);
    __real__Z15PlaySoundEffecti(n);
}
extern "C" int __wrap__Z12RunTitleMenuv() {
    scene::Enter("title");
    return __real__Z12RunTitleMenuv();
}
extern "C" int __wrap__Z15RunGameModeMenuv() {
    scene::Enter("mode");
    return __real__Z15RunGameModeMenuv();
}
extern "C" int __wrap__Z8RunRoundv() {
    scene::Enter("round");
    return __real__Z8RunRoundv();
}
extern "C" void __wrap__Z12ShowGameOverv() {
    scene::Enter("over");
    __real__Z12ShowGameOverv();
}
extern "C" void __wrap__Z13ShowGameClearv() {
    scene::Enter("clear");
    __real__Z13ShowGameClearv();
}
extern "C" void __wrap__Z14ShowBestRecordv() {
    scene::Enter("record");
    __real__Z14ShowBestRecordv();
}
extern "C" void __wrap__Z15RunConfigScreenv() {
    scene::Enter("config");
    __real__Z15RunConfigScreenv();
}
