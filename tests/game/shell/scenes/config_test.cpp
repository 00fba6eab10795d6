// The configuration screen: its editing rules, wrapping, saving and leaving.
#include <gtest/gtest.h>

#include <string.h>

#include <fstream>
#include <iterator>

#include "pavex.h"
#include "shell/config_screen.h"
#include "shell/settings.h"
#include "tests/game/shell/scenes/golden.h"
#include "tests/game/shell/scenes/scene_driver.h"
#include "tests/support/scripted.h"

namespace {

using namespace scene;

std::vector<uint8_t> FileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Where the description line is drawn; its pixels belong to the text renderer and are
// checked on their own below.
constexpr IgnoredRect kDescriptionBand = {300, 556, 720, 596};

// Pure white and pure blue pixels inside the description band of the last frame.
std::pair<int, int> WhiteAndBlue(std::vector<uint32_t>* band = nullptr) {
    const script::Frame& f = script::LastPresented();
    int white = 0, blue = 0;
    for (int y = kDescriptionBand.y1; y < kDescriptionBand.y2; ++y) {
        for (int x = kDescriptionBand.x1; x < kDescriptionBand.x2; ++x) {
            const uint32_t p = f.pixels[static_cast<size_t>(y) * f.width + x] & 0xFFFFFF;
            white += p == 0xFFFFFF;
            blue += p == 0x0000FF;
            if (band != nullptr) band->push_back(p);
        }
    }
    return {white, blue};
}

class Config : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        LinkData();
    }
};

TEST_F(Config, EditingKeepsTheRangesAndRightBeforeLeft) {
    GameSettings& s = gameSettings;
    const int R = PAVEX_PAD_RIGHT, L = PAVEX_PAD_LEFT;
    s.Difficulty = 3;
    EditConfigValue(0, R);
    EXPECT_EQ(s.Difficulty, 3);
    EditConfigValue(0, L);
    EXPECT_EQ(s.Difficulty, 2);
    s.Difficulty = 0;
    EditConfigValue(0, L);
    EXPECT_EQ(s.Difficulty, 0);
    EditConfigValue(0, R | L);  // up, then down again
    EXPECT_EQ(s.Difficulty, 0);
    // Right makes the sideways repeat faster (fewer frames), Left slower.
    s.MoveSensitivity = 4;
    EditConfigValue(1, R);
    EditConfigValue(1, R);
    EXPECT_EQ(s.MoveSensitivity, 3);
    for (int i = 0; i < 5; ++i) EditConfigValue(1, L);
    EXPECT_EQ(s.MoveSensitivity, 6);
    // A value from a hand-edited file is brought into range before the step.
    s.Difficulty = 40;
    EditConfigValue(0, L);
    EXPECT_EQ(s.Difficulty, 2);
    s.MoveSensitivity = -8;
    EditConfigValue(1, L);
    EXPECT_EQ(s.MoveSensitivity, 4);
    // Switches: Right off, Left on, both on.
    EditConfigValue(2, R);
    EXPECT_FALSE(s.ShowLandingPoint);
    EditConfigValue(3, L);
    EXPECT_TRUE(s.ShowGrid);
    EditConfigValue(4, R | L);
    EXPECT_TRUE(s.PadVibration);
    const GameSettings before = s;
    EditConfigValue(5, L);
    EditConfigValue(6, R);
    EditConfigValue(7, L);
    EXPECT_EQ(memcmp(&before, &s, sizeof s), 0);
}

TEST_F(Config, CursorWrapsEditsOncePerPressAndTheLastItemSaves) {
    SetScript([](const Now& now) {
        // Right held four frames raises Difficulty once; Up on item 0 wraps to 6 and
        // Down there back to 0; Decide on item 5 does nothing.
        KeysByFrame({{0, {}},  {1, {kRight}}, {5, {}},  {6, {kDown}}, {7, {}},  {8, {kRight}},
                     {9, {}},  {10, {kUp}},   {11, {}}, {12, {kUp}},  {13, {}}, {14, {kDown}},
                     {15, {}}, {16, {kUp}},   {17, {}}, {18, {kUp}},  {19, {}}, {20, {kZ}},
                     {21, {}}, {22, {kDown}}, {23, {}}, {24, {kZ}},   {25, {}}})(now);
        // Item 1 (the bar at 3: empty) with Difficulty raised to HARD.
        if (now.flipped && now.frame == 10) {
            EXPECT_TRUE(MatchesGolden("config", kDescriptionBand));
        }
    });
    RunConfigScreen();
    EXPECT_EQ(Effects(), (std::vector<int>{2, 2, 2, 2, 2, 2, 2, 3}));
    EXPECT_EQ(FileBytes("vorlane.cfg"),
              (std::vector<uint8_t>{2, 0, 0, 0, 3,  0, 0, 0, 1,   0, 0, 0, 0,   0, 0, 0,
                                    0, 0, 0, 0, 40, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0}));
}

TEST_F(Config, EachItemHasItsDescriptionLineInWhiteWithABlueEdge) {
    ClearScreen();
    DrawTextAt(0, 0, "VORLANE", MakeColor(255, 255, 255), 0);
    FlipScreen();
    int drawn = 0;
    for (uint32_t p : script::LastPresented().pixels) drawn += (p & 0xFFFFFF) == 0xFFFFFF;
    if (drawn == 0) GTEST_SKIP() << "DrawTextAt draws nothing in this build (no text renderer)";
    std::vector<std::vector<uint32_t>> bands(kConfigItems);
    SetScript([&](const Now& now) {
        // Down every other frame; the band of frame 2k shows item k.
        Hold(now.frame % 2 == 1 && now.frame < 2 * kConfigItems ? std::vector<int>{kDown}
                                                                : std::vector<int>{});
        if (now.flipped && now.frame % 2 == 1 && now.frame / 2 < kConfigItems) {
            const auto [white, blue] = WhiteAndBlue(&bands[now.frame / 2]);
            EXPECT_GT(white, 20) << "item " << now.frame / 2;
            EXPECT_GT(blue, 20) << "item " << now.frame / 2;
        }
        if (now.frame == 2 * kConfigItems + 2) Hold({kEscape});
    });
    RunConfigScreen();
    for (int k = 1; k < kConfigItems; ++k) EXPECT_NE(bands[k], bands[k - 1]) << "item " << k;
}

TEST_F(Config, EscapeAndAClosedWindowLeaveWithoutSaving) {
    // The latch starts clear here: Right held on entry acts in the first frame.
    SetScript(KeysByFrame({{0, {kRight}}, {1, {}}, {3, {kEscape}}}));
    RunConfigScreen();
    EXPECT_EQ(gameSettings.Difficulty, 2);  // edited in memory only
    Hold({});
    SetScript([](const Now& now) {
        if (now.frame == 2) script::RequestClose();
    });
    RunConfigScreen();
    EXPECT_TRUE(FileBytes("vorlane.cfg").empty());
}

}  // namespace
