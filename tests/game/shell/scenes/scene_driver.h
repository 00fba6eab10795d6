// scene_driver.h - drives the shell's scenes from a test: the layer started as the
// game starts it in a fresh folder that holds the generated data (linked), keys set
// from a script that runs after every presented frame and before every any-key poll,
// and a record of the scenes entered and the sound effects played.
#ifndef VORLANE_TESTS_GAME_SHELL_SCENE_DRIVER_H
#define VORLANE_TESTS_GAME_SHELL_SCENE_DRIVER_H

#include <gtest/gtest.h>

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

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

void SetScript(Script script);
// Exactly these key codes down (Z 44 decide, X 45, C 46, A 30, S 31, Escape 1, the
// arrows Up 200, Down 208, Left 203, Right 205).
void Hold(const std::vector<int>& codes);
constexpr int kUp = 200, kDown = 208, kLeft = 203, kRight = 205, kZ = 44, kEscape = 1;

// A script of key states by frame: {frame, keys} steps, each in force from the frame
// with that index (0 = the scene's first frame) until the next step, in any scene.
Script KeysByFrame(std::vector<std::pair<int, std::vector<int>>> steps);

// Every scene entered, in order, and every sound effect asked for since SetUp.
const std::vector<std::string>& Scenes();
const std::vector<int>& Effects();
int PresentedFrames();

// Links ./data to the generated tree, or builds ./data as a tree of links to it in
// which the test may then replace single files.
void LinkData();
void LinkDataFileByFile();

void WriteFile(const char* path, const std::vector<uint8_t>& bytes);

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override;  // fresh folder, fresh state, StartUpApplication
    void TearDown() override;
    TempDir dir;
};

}  // namespace scene

#endif
