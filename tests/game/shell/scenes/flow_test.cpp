// Whole program runs from the first title to the exit code: the order of the scenes,
// the files written, and folders with damaged data.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "pavex.h"
#include "shell/app.h"
#include "tests/game/shell/scenes/scene_driver.h"

namespace {

using namespace scene;
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

Bytes FileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const Bytes kDefaultSettings = {1, 0, 0, 0, 4,  0, 0, 0, 1,   0, 0, 0, 0,   0, 0, 0,
                                0, 0, 0, 0, 40, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0};

int TitlesSoFar() {
    return static_cast<int>(std::count(Scenes().begin(), Scenes().end(), "title"));
}

// Title: play, endless; the round is played by hard drops (C three frames, released
// one) until the well overflows; the second title is left by Escape.
void PlayOneEndlessRound(const Now& now) {
    if (now.scene == "title" && TitlesSoFar() == 1) KeysByFrame({{0, {}}, {2, {kZ}}})(now);
    if (now.scene == "mode") KeysByFrame({{0, {kZ}}, {2, {}}, {4, {kZ}}, {5, {}}})(now);
    if (now.scene == "round") Hold(now.frame % 4 == 3 ? std::vector<int>{} : std::vector<int>{46});
    if (now.scene == "over") Hold({});
    if (now.scene == "title" && TitlesSoFar() == 2) KeysByFrame({{0, {}}, {3, {kEscape}}})(now);
}

class Flow : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        EndMediaLayer();  // the program starts the layer itself
    }
};

TEST_F(Flow, FirstRunPlaysAnEndlessRoundAndEndsByEscapeOnTheTitle) {
    LinkData();
    SetScript(PlayOneEndlessRound);
    EXPECT_EXIT(RunApplication(), ::testing::ExitedWithCode(1),
                "\\[title\\]\\[mode\\]\\[round\\]\\[over\\]\\[title\\]$");
    EXPECT_EQ(FileBytes("vorlane.cfg"), kDefaultSettings);
    EXPECT_EQ(FileBytes("score.dat").size(), 12u);
}

TEST_F(Flow, RecordViewReturnsToTheTitleAndConfigEscapeEndsWithoutSaving) {
    LinkData();
    SetScript([](const Now& now) {
        if (now.scene == "title" && TitlesSoFar() == 1)
            KeysByFrame({{0, {}}, {1, {kDown}}, {2, {}}, {3, {kDown}}, {4, {}}, {5, {kZ}}})(now);
        if (now.scene == "record") KeysByFrame({{0, {kZ}}, {2, {}}, {3, {kEscape}}, {4, {}}})(now);
        // Item 3 from the second title, Difficulty changed, then Escape.
        if (now.scene == "title" && TitlesSoFar() == 2)
            KeysByFrame({{0, {}},
                         {1, {kDown}},
                         {2, {}},
                         {3, {kDown}},
                         {4, {}},
                         {5, {kDown}},
                         {6, {}},
                         {7, {kZ}}})(now);
        if (now.scene == "config")
            KeysByFrame({{0, {}}, {2, {kRight}}, {3, {}}, {4, {kEscape}}})(now);
    });
    EXPECT_EXIT(RunApplication(), ::testing::ExitedWithCode(1),
                "\\[title\\]\\[record\\]\\[title\\]\\[config\\]$");
    EXPECT_EQ(FileBytes("vorlane.cfg"), kDefaultSettings);
}

// Replaces the link of one generated file by a real file with `bytes`.
void Damage(const fs::path& file, const Bytes& bytes) {
    fs::remove(file);
    WriteFile(file.c_str(), bytes);
}

TEST_F(Flow, DamagedDataAndDataFilesStillPlayAndEndNormally) {
    LinkDataFileByFile();
    const Bytes picture = FileBytes("data/image/menu/MainMenu.png");
    Damage("data/image/menu/MainMenu.png",
           Bytes(picture.begin(), picture.begin() + picture.size() / 2));
    Bytes garbage(3000);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 7919 >> 3);
    Damage("data/Sound/Effect/Select.wav", Bytes{'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0x7F});
    Damage("data/Sound/Effect/Decide.wav", garbage);
    Damage("data/Sound/BGM/BGM001.mp3", garbage);
    fs::remove("data/image/menu/Title.png");
    ASSERT_EQ(mkfifo("data/image/menu/Title.png", 0644), 0);
    fs::remove("data/image/game/block2.bmp");
    ASSERT_EQ(mkfifo("data/image/game/block2.bmp", 0644), 0);
    // Wild settings, a short record.
    const Bytes wild = {77, 0, 0, 0, 0x18, 0xFC, 0xFF, 0xFF, 5, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF,
                        1,  0, 0, 0, 0,    0,    0,    0,    0, 0, 0, 0, 0,    0,    0,    0x80};
    WriteFile("vorlane.cfg", wild);
    WriteFile("score.dat", {1, 2});
    SetScript(PlayOneEndlessRound);
    EXPECT_EXIT(RunApplication(), ::testing::ExitedWithCode(1),
                "\\[title\\]\\[mode\\]\\[round\\]\\[over\\]\\[title\\]$");
    EXPECT_EQ(FileBytes("vorlane.cfg"), wild);  // nothing saved it
    // Left as it was, or replaced whole when the round scored.
    const Bytes record = FileBytes("score.dat");
    EXPECT_TRUE(record == Bytes({1, 2}) || record.size() == 12u);
}

TEST_F(Flow, ADamagedArchiveOrNoDataAtAllStillPlaysAndSaysWhereItLooked) {
    // No data folder: one line says where the game looked.
    SetScript(PlayOneEndlessRound);
    EXPECT_EXIT(
        RunApplication(), ::testing::ExitedWithCode(1),
        "no ./data or ./data.dat in .*build folder.*\\[title\\]\\[mode\\]\\[round\\]\\[over\\]"
        "\\[title\\]$");
    // A garbage archive in place of the folder.
    Bytes garbage(70000);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
    WriteFile("data.dat", garbage);
    EXPECT_EXIT(RunApplication(), ::testing::ExitedWithCode(1),
                "^\\[title\\]\\[mode\\]\\[round\\]\\[over\\]\\[title\\]$");
}

}  // namespace
