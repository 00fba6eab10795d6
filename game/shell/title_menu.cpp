// title_menu.cpp - the title and game-mode menus, their fades and the hidden sequence.
//
// Owns the two menu backgrounds, the hidden-sequence state and the menus' input
// discipline (a latch per scene that clears only when no key at all is down). It
// loads the title's pictures, sounds and data files but decides nothing about the
// scenes that follow: the top-level loop acts on the returned item.
#include "shell/title_menu.h"

#include <stdint.h>

#include "pavex.h"
#include "shell/app.h"
#include "shell/assets.h"
#include "shell/best_record.h"
#include "shell/settings.h"
#include "shell/settings_file.h"

int titleBackground = 9;
int modeBackground = 9;

namespace {

constexpr int kPadDown = PAVEX_PAD_DOWN;
constexpr int kPadUp = PAVEX_PAD_UP;
constexpr int kPadDecide = 0x10;
constexpr int kEscapeAlone = 0x1000;
constexpr int kMenuX = 314;
constexpr int kFirstItemY = 228;
constexpr int kItemStep = 32;
constexpr int kHiddenVoice = 4;

// X, C, A, S on the keyboard; pad buttons 2, 3, 4 and 5.
constexpr int kHiddenButtons[4] = {0x20, 0x40, 0x80, 0x100};

struct HiddenSequence {
    int step;
    bool pressLatch;  // set at start: a button held then must be released first
    bool done;
} hidden = {0, true, false};

bool IsHiddenButton(int pad) {
    for (int button : kHiddenButtons)
        if (pad == button) return true;
    return false;
}

void DrawBanner() {
    DrawImageStretched(0, 32, 800, 160, menuImages.title, 1);
}

// The 51-frame fade shared by both menus.
void FadeOut(void (*draw)(int), int item, int background) {
    for (int b = 255; b >= 5; b -= 5) {
        uint32_t frameStart = GetTickMillis(0);
        ClearScreen();
        SetDrawBrightness(b, b, b);
        DrawBackground(background);
        draw(item);
        FlipScreen();
        if (ProcessMessage() == -1) break;
        WaitOutFrame(frameStart);
    }
    SetDrawBrightness(0, 0, 0);
}

// The menus' latch: set at the start of a scene and after each cursor step, cleared
// in a frame where no key, button or mouse button is down.
void UpdateLatch(bool& latch) {
    if (latch && GetAnyKeyDown() == 0) latch = false;
}

}  // namespace

void ResetHiddenSequence() {
    hidden = {0, true, false};
}

void DrawTitleMenu(int cursor) {
    DrawBanner();
    if (cursor < 0 || cursor > 3) return;
    for (int k = 0; k < 4; ++k)
        DrawImage(kMenuX, kFirstItemY + kItemStep * k, menuImages.mainMenu[cursor == k ? k : k + 4],
                  1);
}

void DrawGameModeMenu(int cursor) {
    DrawBanner();
    for (int k = 0; k < 2; ++k)
        DrawImage(kMenuX, kFirstItemY + kItemStep * k, menuImages.gameMode[cursor == k ? k : k + 4],
                  1);
}

void FadeOutTitleMenu(int item, int background) {
    if (item != kTitleRecord && item != kTitleConfig) return;
    FadeOut(DrawTitleMenu, item, background);
}

void FadeOutGameModeMenu(int item, int background) {
    FadeOut(DrawGameModeMenu, item, background);
    HaltMusic();
}

void CheckHiddenSequence(int* background) {
    const int pad = GetPadState(PAVEX_INPUT_KEY_PAD1);
    if (hidden.pressLatch) {
        if (pad == 0) hidden.pressLatch = false;
    } else if (IsHiddenButton(pad)) {
        if (hidden.step < 4 && pad == kHiddenButtons[hidden.step]) ++hidden.step;
        hidden.pressLatch = true;
    }
    if (hidden.step >= 4 && !hidden.done) {
        PlayVoice(kHiddenVoice);
        *background = 1;
        ShowFps = true;
        hidden.done = true;
    }
}

namespace {

// A menu frame up to its cursor rules: reads the pad and the keyboard, lets the latch
// go, draws the scene (and in the title watches the hidden sequence, which may change
// the background) and shows it; Escape alone ends the program. Returns the pad bits.
int ShowMenuFrame(bool& latch, int* background, void (*drawMenu)(int), int cursor,
                  bool hiddenSequence) {
    const int pad = GetPadState(PAVEX_INPUT_KEY_PAD1);
    const int keys = GetPadState(PAVEX_INPUT_KEYBOARD);
    UpdateLatch(latch);
    ClearScreen();
    DrawBackground(*background);
    drawMenu(cursor);
    if (hiddenSequence) CheckHiddenSequence(background);
    FlipScreen();
    if (keys == kEscapeAlone) ExitApplication();
    return pad;
}

// One cursor step with its sound; the latch holds until every key is up.
void StepCursor(int& cursor, int step, bool& latch) {
    cursor += step;
    PlaySoundEffect(kEffectSelect);
    latch = true;
}

}  // namespace

int RunTitleMenu() {
    DeleteAllGraphics(0);
    LoadImages(kImageSetMenus);
    LoadSoundEffects();
    LoadSettings();
    LoadBestRecord();
    PlayBgm(0);
    SetDrawBrightness(255, 255, 255);
    if (ProcessMessage() != 0) return 0;
    int cursor = 0;
    bool latch = true;
    for (;;) {
        uint32_t frameStart = GetTickMillis(0);
        const int pad = ShowMenuFrame(latch, &titleBackground, DrawTitleMenu, cursor, true);
        if ((pad & kPadDown) && !latch && cursor < 3) StepCursor(cursor, 1, latch);
        if ((pad & kPadUp) && !latch && cursor >= 1) StepCursor(cursor, -1, latch);
        // A held Decide chooses at once, latch or not.
        if (pad & kPadDecide) {
            PlaySoundEffect(kEffectDecide);
            FadeOutTitleMenu(cursor, titleBackground);
            return cursor;
        }
        WaitOutFrame(frameStart);
        if (ProcessMessage() != 0) return cursor;
    }
}

int RunGameModeMenu() {
    SetDrawBrightness(255, 255, 255);
    if (ProcessMessage() != 0) return 0;
    int cursor = 0;
    bool latch = true;
    for (;;) {
        uint32_t frameStart = GetTickMillis(0);
        const int pad = ShowMenuFrame(latch, &modeBackground, DrawGameModeMenu, cursor, false);
        if ((pad & kPadDown) && !latch && cursor < 1) StepCursor(cursor, 1, latch);
        bool choose = false;
        if (!(pad & kPadUp)) {
            choose = (pad & kPadDecide) && !latch;
        } else if (!latch) {
            if (cursor > 0) {
                StepCursor(cursor, -1, latch);
            } else {
                choose = (pad & kPadDecide) != 0;
            }
        }
        if (choose) {
            PlaySoundEffect(kEffectDecide);
            FadeOutGameModeMenu(cursor, modeBackground);
            return cursor;
        }
        WaitOutFrame(frameStart);
        if (ProcessMessage() != 0) return cursor;
    }
}
