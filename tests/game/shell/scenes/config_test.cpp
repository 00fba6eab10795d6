// The configuration screen: its editing rules, wrapping, saving and leaving.
#include <string.h>

#include "shell/config_screen.h"
#include "shell/settings.h"
#include "tests/game/golden.h"
#include "tests/game/shell/scenes/scene_driver.h"

namespace {

using namespace scene;
using Config = SceneTest;

// Where the description line is drawn; its pixels belong to the text renderer and are
// checked on their own below.
constexpr IgnoredRect kBand = {300, 556, 720, 596};

TEST_F(Config, CursorWrapsEditsOncePerPressAndTheLastItemSaves) {
    // Right held four frames raises Difficulty once; Up on item 0 wraps to 6 and Down
    // there back to 0; Decide on item 5 does nothing.
    const Script taps = Taps({kDown, kRight, kUp, kUp, kDown, kUp, kUp, kZ, kDown, kZ}, 6);
    SetScript([&](const Now& now) {
        now.frame < 6 ? Hold(now.frame >= 1 && now.frame < 5 ? Keys{kRight} : Keys{}) : taps(now);
        // Item 1 (the bar at 3: empty) with Difficulty raised to HARD.
        if (now.flipped && now.frame == 10) ExpectGolden("config", kBand);
    });
    RunConfigScreen();
    EXPECT_EQ(seen.effects, (Keys{2, 2, 2, 2, 2, 2, 2, 3}));
    EXPECT_EQ(FileBytes("vorlane.cfg"), Le32s({2, 3, 1, 0, 0, 40, 255, 255}));
}

TEST_F(Config, EscapeLeavesWithoutSavingEachItemHasItsLineAndEditingKeepsTheRanges) {
    // The latch starts clear here: Right held on entry acts in the first frame.
    SetScript(KeysByFrame({{0, {kRight}}, {1, {}}, {3, {kEscape}}}));
    RunConfigScreen();
    EXPECT_EQ(gameSettings.Difficulty, 2);  // edited in memory only
    // Each item has its description line, in white with a blue edge.
    Hold({});
    script::AdvanceMs(1);
    std::vector<std::vector<uint32_t>> bands(kConfigItems);
    SetScript([&](const Now& now) {
        // Down every other frame; the band of frame 2k + 1 shows item k.
        Hold(now.frame % 2 == 1 && now.frame < 2 * kConfigItems ? Keys{kDown} : Keys{});
        const int item = now.frame / 2;
        if (now.flipped && now.frame % 2 == 1 && item < kConfigItems) {
            const script::Frame& f = script::LastPresented();
            int white = 0, blue = 0;
            for (int y = kBand.y1; y < kBand.y2; ++y)
                for (int x = kBand.x1; x < kBand.x2; ++x) {
                    const uint32_t p = f.pixels[size_t(y) * f.width + x] & 0xFFFFFF;
                    white += p == 0xFFFFFF, blue += p == 0x0000FF;
                    bands[item].push_back(p);
                }
            EXPECT_TRUE(white > 20 && blue > 20) << "item " << item;
        }
        if (now.frame == 2 * kConfigItems + 2) Hold({kEscape});
    });
    RunConfigScreen();
    for (int k = 1; k < kConfigItems; ++k) EXPECT_NE(bands[k], bands[k - 1]) << "item " << k;
    EXPECT_TRUE(FileBytes("vorlane.cfg").empty());

    // Editing keeps the ranges; Right goes before Left.
    GameSettings& s = gameSettings;
    const int R = PAVEX_PAD_RIGHT, L = PAVEX_PAD_LEFT;
    // {item, before, pad, after}. Right raises the difficulty and makes the sideways
    // repeat faster (fewer frames); both keys: up, then down again. A value from a
    // hand-edited file is brought into range before the step. Switches: Right off,
    // Left on, both on.
    const int cases[][4] = {{0, 3, R, 3},     {0, 3, L, 2},  {0, 0, L, 0}, {0, 0, R | L, 0},
                            {0, 40, L, 2},    {1, 4, R, 3},  {1, 3, R, 3}, {1, 5, L, 6},
                            {1, 6, L, 6},     {1, -8, L, 4}, {2, 1, R, 0}, {3, 0, L, 1},
                            {4, 0, R | L, 1}, {4, 1, R, 0}};
    for (const auto& k : cases) {
        int32_t* value = k[0] == 0 ? &s.Difficulty : &s.MoveSensitivity;
        bool* flag = k[0] == 2 ? &s.ShowLandingPoint : k[0] == 3 ? &s.ShowGrid : &s.PadVibration;
        if (k[0] < 2) *value = k[1];
        if (k[0] >= 2) *flag = k[1] != 0;
        EditConfigValue(k[0], k[2]);
        EXPECT_EQ(k[0] < 2 ? *value : *flag, k[3]) << "case " << &k - cases;
    }
    const GameSettings before = s;
    EditConfigValue(5, L);
    EditConfigValue(6, R);
    EditConfigValue(7, L);
    EXPECT_EQ(memcmp(&before, &s, sizeof s), 0);
}

}  // namespace
