// scene_driver.h - drives the shell's scenes from a test: the layer started as the
// game starts it in a fresh folder that holds the generated data (linked), keys set
// from a script that runs after every presented frame and before every any-key poll,
// and a record of the scenes entered and the sound effects played.
#ifndef VORLANE_TESTS_GAME_SHELL_SCENE_DRIVER_H
#define VORLANE_TESTS_GAME_SHELL_SCENE_DRIVER_H

#include <functional>
#include <string>
#include <vector>

#include "tests/game/files.h"
#include "tests/support/layer_fixture.h"

namespace scene {

// What the script sees: the scene running now (the name of the last scene function
// entered: "title", "mode", "round", "over", "clear", "record", "config"), the frames
// it presented so far and the virtual time since it began.
struct Now {
    std::string scene;
    int frame = 0;
    int ms = 0;
    bool flipped = false;  // the script runs right after a flip (not before a key poll)
};
using Script = std::function<void(const Now&)>;
using Keys = std::vector<int>;

void SetScript(Script script);
// Exactly these key codes down.
void Hold(const Keys& codes);
constexpr int kUp = 200, kDown = 208, kLeft = 203, kRight = 205, kZ = 44, kEscape = 1;

// A script of key states by frame: {frame, keys} steps, each in force from the frame
// with that index (0 = the scene's first frame) until the next step, in any scene.
Script KeysByFrame(std::vector<std::pair<int, Keys>> steps);
// Each key of `taps` held for one frame, with one frame of none before each: the
// first is down on frame 1 (or `from`), the next on frame 3, ...
Script Taps(const Keys& taps, int from = 1);

// Since SetUp: every scene entered, in order, every sound effect asked for, and the
// frames presented.
struct Seen {
    std::vector<std::string> scenes;
    Keys effects;
    int presented = 0;
};
extern Seen seen;

// Replaces the ./data link to the generated tree by a tree of links to its files, in
// which the test may then replace single files.
void LinkDataFileByFile();

class SceneTest : public LayerTest {
protected:
    void SetUp() override;  // fresh game state, StartUpApplication, ./data linked
    void TearDown() override;
};

}  // namespace scene

#endif
