// Game over and game clear: when the best record is written, how long each shows,
// and which input ends the clear.
#include <unistd.h>

#include "match/match_state.h"
#include "shell/assets.h"
#include "shell/best_record.h"
#include "shell/result_screens.h"
#include "tests/game/golden.h"
#include "tests/game/shell/scenes/scene_driver.h"

namespace {

using namespace scene;

using Results = SceneTest;

TEST_F(Results, GameClearEndsAtTheFirstInputAfterOneSecondGameOverWritesABetterRecordAfterIt) {
    LoadImages(kImageSetRound);
    LoadSoundEffects();
    match.backgroundIndex = 3;
    for (int i = 0; i < 6; ++i) match.clockDigits[i] = "024759"[i] - '0';
    match.score = 9000, match.lines = 50, match.maxCombo = 4;
    int lastFrameMs = 0, seenFrame = 0;
    const uint32_t begin = script::NowMs();
    SetScript([&](const Now& now) {
        // A press at 0.5 s released before 1 s is ignored; the one at 1.2 s ends it.
        const bool down = (now.ms >= 500 && now.ms < 700) || (now.ms >= 1200 && now.ms < 1300);
        Hold(down ? Keys{kZ} : Keys{});
        if (now.frame != seenFrame) lastFrameMs = now.ms;
        seenFrame = now.frame;
        if (now.flipped && now.frame == 3) ExpectGolden("game_clear");
    });
    ShowGameClear();
    EXPECT_TRUE(lastFrameMs >= 1183 && lastFrameMs < 1200) << lastFrameMs;
    EXPECT_GE(script::NowMs() - begin, 1300u);  // returned once the key was up
    EXPECT_EQ(seen.effects, (Keys{16}));
    EXPECT_EQ(access("score.dat", F_OK), -1);  // the record is not touched

    // Input held from before ends it at one second, before any frame is drawn.
    Hold({kZ});
    script::AdvanceMs(1);
    int presented = seen.presented;
    const uint32_t start = script::NowMs();
    SetScript([&](const Now& now) { Hold(now.ms < 1100 ? Keys{kZ} : Keys{}); });
    ShowGameClear();
    EXPECT_EQ(seen.presented, presented);
    EXPECT_GE(script::NowMs() - start, 1100u);

    // Game over writes a better record once, after its display.
    WriteFile("score.dat", Bytes(12, 0));  // the record held in memory: all zero
    match.score = 500, match.lines = 12, match.maxCombo = 3;
    bool touched = false;
    SetScript([&](const Now& now) {
        touched = touched || FileBytes("score.dat") != Bytes(12, 0);
        lastFrameMs = now.ms;
    });
    ShowGameOver();
    EXPECT_FALSE(touched);
    EXPECT_GE(lastFrameMs, 1480);
    EXPECT_EQ(FileBytes("score.dat"), Le32s({500, 12, 3}));
    EXPECT_EQ(DrawImage(0, 0, roundImages.gameOver, 1), -1);  // pictures released

    // Escape held skips the display, not the record.
    SetScript(nullptr);
    Hold({kEscape});
    script::AdvanceMs(1);
    presented = seen.presented;
    match.score = 600, match.lines = 1, match.maxCombo = 1;
    ShowGameOver();
    EXPECT_EQ(seen.presented, presented);
    EXPECT_EQ(FileBytes("score.dat"), Le32s({600, 1, 1}));
}

}  // namespace
