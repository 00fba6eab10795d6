// scene_driver.cpp - see scene_driver.h.
#include "tests/game/shell/scenes/scene_driver.h"

#include <stdio.h>

#include <filesystem>

#include "match/match_state.h"
#include "pavex.h"
#include "shell/app.h"
#include "shell/best_record.h"
#include "shell/settings.h"
#include "shell/title_menu.h"
#include "tests/support/scripted.h"

namespace scene {

Seen seen;

namespace {

struct Driver {
    Script script;
    Now now;
    uint32_t sceneStart = 0;
    bool inScript = false;
} D;

void RunScript() {
    if (!D.script || D.inScript) return;
    D.inScript = true;
    D.now.ms = static_cast<int>(script::NowMs() - D.sceneStart);
    D.script(D.now);
    D.inScript = false;
}

}  // namespace

// Scene functions report themselves on standard error too, so a death test can
// match the order of the scenes of a whole program run.
void Enter(const char* name) {
    seen.scenes.push_back(name);
    D.now = {name, 0, 0};
    D.sceneStart = script::NowMs();
    fprintf(stderr, "[%s]", name);
    RunScript();
}

void SetScript(Script script) {
    D.script = std::move(script);
}

void Hold(const Keys& codes) {
    script::ReleaseAllKeys();
    for (int code : codes) script::SetKey(code, true);
}

Script KeysByFrame(std::vector<std::pair<int, Keys>> steps) {
    return [steps](const Now& now) {
        const Keys* keys = nullptr;
        for (const auto& step : steps)
            if (step.first <= now.frame) keys = &step.second;
        if (keys != nullptr) Hold(*keys);
    };
}

Script Taps(const Keys& taps, int from) {
    std::vector<std::pair<int, Keys>> steps = {{0, {}}};
    for (size_t i = 0; i < taps.size(); ++i)
        steps.push_back({from + 2 * int(i), {taps[i]}}),
            steps.push_back({from + 2 * int(i) + 1, {}});
    return KeysByFrame(steps);
}

void LinkDataFileByFile() {
    namespace fs = std::filesystem;
    fs::remove("data");
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(DATA_TREE)) {
        const fs::path target = "data" / fs::relative(e.path(), DATA_TREE);
        fs::create_directories(e.is_directory() ? target : target.parent_path());
        if (!e.is_directory()) fs::create_symlink(e.path(), target);
    }
}

void SceneTest::SetUp() {
    LayerTest::SetUp();
    D = Driver{};
    seen = Seen{};
    gameSettings = kDefaultGameSettings;
    bestRecord = {0, 0, 0};
    ShowFps = false;
    titleBackground = 9;
    ResetHiddenSequence();
    match = MatchState{};
    ASSERT_EQ(StartUpApplication(), 1);
    std::filesystem::create_directory_symlink(DATA_TREE, "data");
}

void SceneTest::TearDown() {
    D.script = nullptr;
    LayerTest::TearDown();
}

}  // namespace scene

extern "C" {
int __real_FlipScreen(void);
int __real_GetAnyKeyDown(void);
void __real__Z15PlaySoundEffecti(int n);

int __wrap_FlipScreen(void) {
    int result = __real_FlipScreen();
    ++scene::seen.presented;
    ++scene::D.now.frame;
    scene::D.now.flipped = true;
    scene::RunScript();
    scene::D.now.flipped = false;
    return result;
}
int __wrap_GetAnyKeyDown(void) {
    scene::RunScript();
    return __real_GetAnyKeyDown();
}
void __wrap__Z15PlaySoundEffecti(int n) {
    scene::seen.effects.push_back(n);
    __real__Z15PlaySoundEffecti(n);
}
}

// The scene functions, caught by their linker (mangled) names.
#define SCENE(symbol, type, name)       \
    extern "C" type __real_##symbol();  \
    extern "C" type __wrap_##symbol() { \
        scene::Enter(name);             \
        return __real_##symbol();       \
    }
SCENE(_Z12RunTitleMenuv, int, "title")
SCENE(_Z15RunGameModeMenuv, int, "mode")
SCENE(_Z8RunRoundv, int, "round")
SCENE(_Z12ShowGameOverv, void, "over")
SCENE(_Z13ShowGameClearv, void, "clear")
SCENE(_Z14ShowBestRecordv, void, "record")
SCENE(_Z15RunConfigScreenv, void, "config")
