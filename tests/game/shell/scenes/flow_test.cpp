// The program's start-up, and whole program runs from the first title to the exit
// code: the order of the scenes, the files written, and folders with damaged data.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "media/graphics/screen.h"
#include "shell/app.h"
#include "tests/game/shell/scenes/scene_driver.h"

namespace {

using namespace scene;
namespace fs = std::filesystem;

const Bytes kDefaultSettings = Le32s({1, 4, 1, 0, 0, 40, 255, 255});
const char kOneRound[] = "\\[title\\]\\[mode\\]\\[round\\]\\[over\\]\\[title\\]$";

int TitlesSoFar() {
    return static_cast<int>(std::count(seen.scenes.begin(), seen.scenes.end(), "title"));
}

// Title: play, endless; the round is played by hard drops (C three frames, released
// one) until the well overflows; the second title is left by Escape.
void PlayOneEndlessRound(const Now& now) {
    if (now.scene == "title") KeysByFrame({{0, {}}, {2, {TitlesSoFar() == 1 ? kZ : kEscape}}})(now);
    if (now.scene == "mode") KeysByFrame({{0, {kZ}}, {2, {}}, {4, {kZ}}, {5, {}}})(now);
    if (now.scene == "round") Hold(now.frame % 4 == 3 ? Keys{} : Keys{46});
    if (now.scene == "over") Hold({});
}

using Flow = SceneTest;

// The scenes pace themselves: no wait for the vertical blank.
TEST_F(Flow, StartUpReadiesTheLayerAFailedOneReturnsMinusOneAClosedWindowOrEscapeExitWithOne) {
    EXPECT_STREQ(script::WindowTitle(), "VORLANE v0.53");
    EXPECT_TRUE(script::WindowOpen() && FrameIsWindowed() && FrameAlwaysRun());
    EXPECT_EQ(ScreenDrawState().target, PAVEX_SCREEN_BACK);
    const uint64_t slept = script::SleptMs();
    ASSERT_EQ(FlipScreen(), 0);
    EXPECT_EQ(script::SleptMs(), slept);

    EndMediaLayer();                     // the program starts the layer itself
    script::SetDesktop(1920, 1080, 24);  // the layer refuses 24-bit desktops
    EXPECT_EQ(RunApplication(), -1);
    EXPECT_FALSE(script::WindowOpen());
    script::Reset();
    EXPECT_EXIT((script::RequestClose(), RunApplication()), ::testing::ExitedWithCode(1), "");

    // A first run plays a round, then ends by Escape.
    SetScript(PlayOneEndlessRound);
    EXPECT_EXIT(RunApplication(), ::testing::ExitedWithCode(1), kOneRound);
    EXPECT_EQ(FileBytes("vorlane.cfg"), kDefaultSettings);
    EXPECT_EQ(FileBytes("score.dat").size(), 12u);
    // The record view returns to the title; Escape on the configuration (Difficulty
    // changed) ends without saving.
    fs::remove("vorlane.cfg");
    const Script record = Taps({kDown, kDown, kZ}), config = Taps({kDown, kDown, kDown, kZ});
    SetScript([&](const Now& now) {
        if (now.scene == "title") (TitlesSoFar() == 1 ? record : config)(now);
        if (now.scene == "record") KeysByFrame({{0, {kZ}}, {2, {}}, {3, {kEscape}}, {4, {}}})(now);
        if (now.scene == "config")
            KeysByFrame({{0, {}}, {2, {kRight}}, {3, {}}, {4, {kEscape}}})(now);
    });
    EXPECT_EXIT(RunApplication(), ::testing::ExitedWithCode(1),
                "\\[title\\]\\[record\\]\\[title\\]\\[config\\]$");
    EXPECT_EQ(FileBytes("vorlane.cfg"), kDefaultSettings);
}

// Replaces the link of one generated file by a real file with `bytes`, or a FIFO.
void Damage(const fs::path& file, const Bytes& bytes) {
    fs::remove(file);
    if (!bytes.empty()) return WriteFile(file.c_str(), bytes);
    ASSERT_EQ(mkfifo(file.c_str(), 0644), 0);
}

TEST_F(Flow, DamagedDataFilesADamagedArchiveOrNoDataAtAllStillPlayAndEndNormally) {
    EndMediaLayer();
    LinkDataFileByFile();
    const Bytes picture = FileBytes("data/image/menu/MainMenu.png");
    Bytes garbage(70000);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
    Damage("data/image/menu/MainMenu.png", Bytes(picture.begin(), picture.begin() + 700));
    Damage("data/Sound/Effect/Select.wav", Bytes{'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0x7F});
    Damage("data/Sound/Effect/Decide.wav", garbage);
    Damage("data/Sound/BGM/BGM001.mp3", garbage);
    Damage("data/image/menu/Title.png", {});
    Damage("data/image/game/block2.bmp", {});
    // Wild settings, a short record.
    const Bytes wild = Le32s({77, -1000, 5, -1, 1, 0, 0, INT32_MIN});
    WriteFile("vorlane.cfg", wild);
    WriteFile("score.dat", {1, 2});
    SetScript(PlayOneEndlessRound);
    EXPECT_EXIT(RunApplication(), ::testing::ExitedWithCode(1), kOneRound);
    EXPECT_EQ(FileBytes("vorlane.cfg"), wild);  // nothing saved it
    // Left as it was, or replaced whole when the round scored.
    const Bytes record = FileBytes("score.dat");
    EXPECT_TRUE(record == Bytes({1, 2}) || record.size() == 12u);

    fs::remove_all("data");
    EXPECT_EXIT(RunApplication(), ::testing::ExitedWithCode(1),
                std::string("no ./data or ./data.dat in .*build folder.*") + kOneRound);
    WriteFile("data.dat", garbage);
    EXPECT_EXIT(RunApplication(), ::testing::ExitedWithCode(1), std::string("^") + kOneRound);
}

}  // namespace
