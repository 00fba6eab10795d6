// config_screen.cpp - the configuration scene.
//
// Owns the seven items, their pictures and description lines, and the editing rules.
// It edits the one in-memory GameSettings and writes the file only through
// SaveSettings; it must not read the file (the next title scene does).
#include "shell/config_screen.h"

#include <stdint.h>

#include "pavex.h"
#include "shell/app.h"
#include "shell/assets.h"
#include "shell/settings.h"
#include "shell/settings_file.h"

namespace {

constexpr int kPadDecide = 0x10;
constexpr int kEscapeKey = 1;
constexpr int kSaveItem = 6;
constexpr int kConfigBackground = 9;
constexpr int kListX = 144;
constexpr int kListY = 64;
constexpr int kRow = 32;
constexpr int kValueX = 400;

// The description lines in Shift-JIS, the encoding DrawTextAt takes.
const char* const kDescriptions[kConfigItems] = {
    // 難易度の変更
    "\x93\xef\x88\xd5\x93\x78\x82\xcc\x95\xcf\x8d\x58",
    // ブロック移動の感度
    "\x83\x75\x83\x8d\x83\x62\x83\x4e\x88\xda\x93\xae\x82\xcc\x8a\xb4\x93\x78",
    // 落下予測地点の表示
    "\x97\x8e\x89\xba\x97\x5c\x91\xaa\x92\x6e\x93\x5f\x82\xcc\x95\x5c\x8e\xa6",
    // グリッドの表示
    "\x83\x4f\x83\x8a\x83\x62\x83\x68\x82\xcc\x95\x5c\x8e\xa6",
    // コントローラー振動
    "\x83\x52\x83\x93\x83\x67\x83\x8d\x81\x5b\x83\x89\x81\x5b\x90\x55\x93\xae",
    // 初期設定に戻す(未実装)
    "\x8f\x89\x8a\xfa\x90\xdd\x92\xe8\x82\xc9\x96\xdf\x82\xb7\x28\x96\xa2\x8e\xc0\x91\x95\x29",
    // 設定を保存して終了する
    "\x90\xdd\x92\xe8\x82\xf0\x95\xdb\x91\xb6\x82\xb5\x82\xc4\x8f\x49\x97\xb9\x82\xb7\x82\xe9",
};

// Right switches a setting off, Left on; with both held Left wins.
void EditSwitch(bool& setting, int pad) {
    if (pad & PAVEX_PAD_RIGHT) setting = false;
    if (pad & PAVEX_PAD_LEFT) setting = true;
}

void DrawSwitch(int y, bool on) {
    DrawImage(kValueX, y, configImages.edit[on ? 4 : 5], 1);
}

}  // namespace

void EditConfigValue(int item, int pad) {
    const bool right = (pad & PAVEX_PAD_RIGHT) != 0;
    const bool left = (pad & PAVEX_PAD_LEFT) != 0;
    GameSettings& s = gameSettings;
    if (item == 0) {
        int d = ClampedDifficulty();
        if (right && d < kMaxDifficulty) ++d;
        if (left && d > kMinDifficulty) --d;
        s.Difficulty = d;
    } else if (item == 1) {
        // Right makes the piece faster: fewer frames between repeated moves.
        int m = ClampedMoveSensitivity();
        if (right && m > kMinMoveSensitivity) --m;
        if (left && m < kMaxMoveSensitivity) ++m;
        s.MoveSensitivity = m;
    } else if (item == 2) {
        EditSwitch(s.ShowLandingPoint, pad);
    } else if (item == 3) {
        EditSwitch(s.ShowGrid, pad);
    } else if (item == 4) {
        EditSwitch(s.PadVibration, pad);
    }
}

void DrawConfigMenu(int cursor) {
    DrawImage(272, 0, configImages.menu[0], 1);
    DrawImage(kListX, kListY + kRow * cursor, configImages.menu[8], 1);
    for (int k = 0; k < kConfigItems; ++k)
        DrawImage(kListX, kListY + kRow * k, configImages.menu[k + 1], 1);
    DrawImage(80, 544, configImages.information, 1);
    if (cursor >= 0 && cursor < kConfigItems)
        DrawTextAt(320, 567, kDescriptions[cursor], MakeColor(255, 255, 255), MakeColor(0, 0, 255));
}

void DrawConfigValues() {
    DrawImage(kValueX, 64, configImages.edit[ClampedDifficulty()], 1);
    const int sensitivity = ClampedMoveSensitivity();
    if (sensitivity == kMaxMoveSensitivity) {
        DrawImage(kValueX, 96, configImages.edit[6], 1);
    } else {
        DrawImage(kValueX, 96, configImages.volume[3], 1);
        // The fill grows leftwards from x 656: empty at 3, 64 pixels at 4, 128 at 5.
        const int fillLeft = 656 - 64 * (sensitivity - kMinMoveSensitivity);
        if (fillLeft < 656) DrawImageStretched(fillLeft, 96, 656, 128, configImages.volume[4], 1);
        DrawImage(kValueX, 96, configImages.volume[5], 1);
    }
    DrawSwitch(128, gameSettings.ShowLandingPoint);
    DrawSwitch(160, gameSettings.ShowGrid);
    DrawSwitch(192, gameSettings.PadVibration);
}

void RunConfigScreen() {
    LoadImages(kImageSetConfig);
    SetDrawBrightness(255, 255, 255);
    PlayBgm(5);
    if (ProcessMessage() != 0) return;
    int cursor = 0;
    bool latch = false;
    for (;;) {
        if (IsKeyDown(kEscapeKey)) return;
        uint32_t frameStart = GetTickMillis(0);
        ClearScreen();
        DrawBackground(kConfigBackground);
        DrawConfigMenu(cursor);
        DrawConfigValues();
        FlipScreen();
        const int pad = GetPadState(PAVEX_INPUT_KEY_PAD1);
        bool act = true;
        if (latch) {
            if (GetAnyKeyDown() != 0) {
                act = false;
            } else {
                latch = false;
            }
        }
        if (act) {
            if (pad & PAVEX_PAD_DOWN) {
                cursor = cursor == kConfigItems - 1 ? 0 : cursor + 1;
                PlaySoundEffect(kEffectSelect);
                latch = true;
            }
            if (pad & PAVEX_PAD_UP) {
                cursor = cursor == 0 ? kConfigItems - 1 : cursor - 1;
                PlaySoundEffect(kEffectSelect);
                latch = true;
            }
            if (pad & PAVEX_PAD_RIGHT) {
                EditConfigValue(cursor, pad);
                latch = true;
            }
            if (pad & PAVEX_PAD_LEFT) {
                EditConfigValue(cursor, pad);
                latch = true;
            }
            if (pad & kPadDecide) {
                if (cursor == kSaveItem) {
                    SaveSettings();
                    PlaySoundEffect(kEffectDecide);
                    WaitForKeyRelease();
                    return;
                }
                latch = true;
            }
        }
        WaitOutFrame(frameStart);
        if (ProcessMessage() != 0) return;
    }
}
