// record_screen.cpp - the best-record scene behind title item 2.
//
// Owns the layout of the record view and the picture of its labels. It reads the
// best record loaded by the title scene and writes nothing.
#include "shell/record_screen.h"

#include <stdint.h>

#include "pavex.h"
#include "shell/app.h"
#include "shell/assets.h"
#include "shell/best_record.h"
#include "shell/title_menu.h"

namespace {

constexpr int kPadDecide = 0x10;
constexpr int kEscapeAlone = 0x1000;
// Interface.png cells: 1 SCORE, 2 LINES, 3 COMBO.
constexpr int kLabelCells = 7;
constexpr int kLabelX = 216;
constexpr int kDigitsX = 552;  // the last digit of each value
constexpr int kFirstRowY = 296;
constexpr int kRowStep = 56;

int labels[kLabelCells] = {-1, -1, -1, -1, -1, -1, -1};

void DrawRecord() {
    DrawImageStretched(0, 32, 800, 160, menuImages.title, 1);
    DrawImage(314, 228, menuImages.mainMenu[kTitleRecord], 1);
    const int32_t values[3] = {bestRecord.score, bestRecord.lines, bestRecord.maxCombo};
    const int colours[3] = {2, 3, 1};
    for (int row = 0; row < 3; ++row) {
        const int y = kFirstRowY + kRowStep * row;
        DrawImage(kLabelX, y + 4, labels[row + 1], 1);
        DrawNumber(kDigitsX, y, values[row], 0, colours[row], 1);
    }
}

}  // namespace

void ShowBestRecord() {
    // The title scene releases every picture when it starts again.
    if (LoadImageDivided("./data/image/game/Interface.png", kLabelCells, 1, kLabelCells, 96, 24,
                         labels) != 0)
        for (int& cell : labels) cell = -1;
    SetDrawBrightness(255, 255, 255);
    if (ProcessMessage() != 0) return;
    bool latch = true;
    for (;;) {
        const uint32_t frameStart = GetTickMillis(0);
        const int pad = GetPadState(PAVEX_INPUT_KEY_PAD1);
        const int keys = GetPadState(PAVEX_INPUT_KEYBOARD);
        if (latch && GetAnyKeyDown() == 0) latch = false;
        ClearScreen();
        DrawBackground(titleBackground);
        DrawRecord();
        FlipScreen();
        if (!latch && ((pad & kPadDecide) || keys == kEscapeAlone)) {
            PlaySoundEffect(kEffectDecide);
            WaitForKeyRelease();
            return;
        }
        WaitOutFrame(frameStart);
        if (ProcessMessage() != 0) return;
    }
}
