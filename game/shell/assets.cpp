// assets.cpp - asset tables and the shared drawing and sound operations.
//
// Owns the tables of loaded pictures and sounds, the order in which they load and the
// operations that draw or play them by number. It decides nothing about rules or
// scenes; a missing file is not an error here (its handle stays -1).
#include "shell/assets.h"

#include <stdio.h>

#include "match/match_state.h"
#include "pavex.h"

MenuImages menuImages;
RoundImages roundImages;
ConfigImages configImages;
CommonImages commonImages;

namespace {

constexpr int kEffectBuffers = 3;

// Every table starts as "nothing loaded" so that a scene drawn before its set loads
// draws nothing instead of handle 0.
template <typename T>
void MarkUnloaded(T& table) {
    int* handles = reinterpret_cast<int*>(&table);
    for (size_t i = 0; i < sizeof(T) / sizeof(int); ++i) handles[i] = -1;
}

struct TablesStartUnloaded {
    TablesStartUnloaded() {
        MarkUnloaded(menuImages);
        MarkUnloaded(roundImages);
        MarkUnloaded(configImages);
        MarkUnloaded(commonImages);
    }
} tablesStartUnloaded;

int effects[kEffectCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
int voices[1] = {-1};

const char* const kEffectFiles[kEffectCount] = {
    "BlockLanding.wav",  "Rotation.wav",     "Select.wav",     "Decide.wav",  "DeleteLine.wav",
    "ConfigSelect.wav",  "ConfigCancel.wav", "ScreenShot.wav", "AddLine.wav", "Warning.wav",
    "Connect.wav",       "Quartet.wav",      "Lock.wav",       "Lvup.wav",    "HardDrop.wav",
    "BlockLanding2.wav", "Result.wav"};

// Cells of a strip or grid: one handle per cell; a failed load leaves every cell -1.
template <int N>
void LoadCells(const char* path, int across, int down, int width, int height, int (&cells)[N]) {
    for (int& cell : cells) cell = -1;
    if (LoadImageDivided(path, N, across, down, width, height, cells) != 0)
        for (int& cell : cells) cell = -1;
}

// The top-left width x height cell of a picture, or -1.
int LoadCorner(const char* path, int width, int height) {
    int cell[1];
    LoadCells(path, 1, 1, width, height, cell);
    return cell[0];
}

void LoadMenuSet() {
    menuImages.title = LoadImageHandle("./data/image/menu/Title.png");
    LoadCells("./data/image/menu/MainMenu.png", 1, 8, 256, 32, menuImages.mainMenu);
    LoadCells("./data/image/menu/GameMode.png", 1, 8, 256, 32, menuImages.gameMode);
    LoadCells("./data/image/menu/NetWork.png", 1, 8, 256, 32, menuImages.network);
    LoadCells("./data/image/config/Connection.png", 1, 3, 384, 32, menuImages.connection);
}

void LoadRoundSet() {
    RoundImages& r = roundImages;
    LoadCells("./data/image/game/block2.bmp", 10, 1, 24, 24, r.blocks);
    LoadCells("./data/image/game/NextBlock.png", 3, 3, 96, 48, r.nextBlock);
    LoadCells("./data/image/game/HoldBlock.png", 3, 3, 48, 24, r.holdBlock);
    LoadCells("./data/image/game/Interface.png", 1, 7, 96, 24, r.interface);
    LoadCells("./data/image/game/FallGauge.png", 5, 1, 16, 256, r.fallGauge);
    LoadCells("./data/image/game/combobar.bmp", 4, 1, 16, 256, r.comboBar);
    LoadCells("./data/image/game/VSResult.png", 1, 3, 256, 64, r.vsResult);
    r.gameOver = LoadImageHandle("./data/image/game/GameOver.png");
    r.gameClear = LoadImageHandle("./data/image/game/GameClear.png");
    r.edge = LoadImageHandle("./data/image/game/Edge.png");
    r.edgeTop = LoadCorner("./data/image/game/Edge.png", 288, 1);
    int halves[2] = {-1, -1};
    LoadCells("./data/image/game/Edge.png", 1, 2, 1, 264, halves);
    r.edgeLeft = halves[1];
    LoadCells("./data/image/game/Ready.png", 1, 16, 128, 32, r.ready);
    r.movie = LoadImageHandle("./data/movie/MV004.avi");
    r.backdrop = MakeScreenGraphic(800, 600);
}

void LoadConfigSet() {
    LoadCells("./data/image/config/ConfigMenu.png", 1, 9, 256, 32, configImages.menu);
    LoadCells("./data/image/config/ConfigEdit.png", 1, 7, 128, 32, configImages.edit);
    LoadCells("./data/image/config/Volume.bmp", 1, 6, 256, 32, configImages.volume);
    configImages.information = LoadImageHandle("./data/image/config/configInformation.bmp");
}

void LoadCommonImages() {
    CommonImages& c = commonImages;
    LoadCells("./data/image/menu/Select.png", 1, 8, 256, 32, c.select);
    const char kColours[] = {'b', 'r', 'y', 'w', 'a'};
    char path[64];
    for (int i = 0; i < 5; ++i) {
        snprintf(path, sizeof path, "./data/image/common/Number_s_%c.png", kColours[i]);
        LoadCells(path, 13, 1, 16, 16, c.smallDigits[i]);
    }
    for (int i = 0; i < 4; ++i) {
        snprintf(path, sizeof path, "./data/image/common/Number_b_%c.png", kColours[i]);
        LoadCells(path, 12, 1, 32, 32, c.largeDigits[i]);
    }
    c.cursor = LoadImageHandle("./data/image/common/Cursor.bmp");
    c.backgrounds[0] = LoadImageHandle("./data/image/BG/Filter.bmp");
    // Indexes 1-7 are BG001-BG007, 8 a second copy of BG005, 9 is BG008.
    const int kFileOfIndex[10] = {0, 1, 2, 3, 4, 5, 6, 7, 5, 8};
    for (int i = 1; i < 10; ++i) {
        snprintf(path, sizeof path, "./data/image/BG/BG%03d.jpg", kFileOfIndex[i]);
        c.backgrounds[i] = LoadImageHandle(path);
    }
}

// The colour of a cycling clock and the frames drawn in it.
struct ClockCycle {
    int colour;
    int frames;
} clockCycle = {0, 0};

}  // namespace

int LoadImages(int set) {
    if (set == kImageSetMenus) LoadMenuSet();
    if (set == kImageSetRound) LoadRoundSet();
    if (set == kImageSetConfig) LoadConfigSet();
    LoadCommonImages();
    return 0;
}

void LoadSoundEffects() {
    char path[64];
    for (int i = 0; i < kEffectCount; ++i) {
        snprintf(path, sizeof path, "./data/Sound/Effect/%s", kEffectFiles[i]);
        effects[i] = LoadSound(path, kEffectBuffers, -1);
    }
    voices[kVoiceLevelUp] = LoadSound("./data/Sound/Voice/Voice_Lvup.wav", kEffectBuffers, -1);
}

void DrawBackground(int index) {
    if (index < 0 || index >= 10) return;
    DrawImageStretched(0, 0, 800, 600, commonImages.backgrounds[index], 1);
}

void DrawNumber(int x, int y, int value, int extraDigits, int colour, int large) {
    int count = 1;
    if (extraDigits != 0) {
        count = extraDigits + 1;
    } else {
        for (int rest = value / 10; rest > 0; rest /= 10) ++count;
    }
    const int* cells = nullptr;
    if (large == 0 && colour >= 0 && colour < 5) cells = commonImages.smallDigits[colour];
    if (large == 1 && colour >= 0 && colour < 4) cells = commonImages.largeDigits[colour];
    const int step = large == 1 ? 32 : 16;
    // Negative values are never drawn by the game; their digits read as 0.
    unsigned rest = value < 0 ? 0u : static_cast<unsigned>(value);
    for (int i = 0; i < count; ++i, x -= step, rest /= 10)
        if (cells != nullptr) DrawImage(x, y, cells[rest % 10], 1);
}

void DrawClock(int x, int y, int large, int cycling) {
    const int kDigitX[6] = {0, 40, 120, 160, 240, 280};
    const int colour = cycling ? clockCycle.colour : 2;
    const int* digits = match.clockDigits;
    for (int i = 0; i < 6; ++i) DrawNumber(x + kDigitX[i], y, digits[i], 0, colour, large);
    const int colon = commonImages.largeDigits[colour][11];
    DrawImage(x + 80, y, colon, 1);
    DrawImage(x + 200, y, colon, 1);
    if (!cycling) return;
    if (++clockCycle.frames == 4) {
        clockCycle.frames = 0;
        clockCycle.colour = (clockCycle.colour + 1) % 4;
    }
}

void PlaySoundEffect(int n) {
    if (n < 0 || n >= kEffectCount) return;
    StartSound(effects[n], PAVEX_PLAY_BACK, 1);
}

void PlayVoice(int n) {
    // Only the level-up voice is loaded; other numbers (the hidden title sequence asks
    // for 4) have no file and stay silent.
    if (n != kVoiceLevelUp) return;
    StartSound(voices[n], PAVEX_PLAY_BACK, 1);
    SetSoundVolume(255, voices[n]);
}

void PlayBgm(int n) {
    const char* file = nullptr;
    switch (n) {
        case -1:
            HaltMusic();
            return;
        case 0:
            file = "./data/Sound/BGM/BGM000.mp3";
            break;
        case 1:
            file = "./data/Sound/BGM/BGM001.mp3";
            break;
        case 2:
            file = "./data/Sound/BGM/BGM002.mp3";
            break;
        case 3:
            file = "./data/Sound/BGM/BGM003.mp3";
            break;
        case 5:
            file = "./data/Sound/BGM/BGM005.mp3";
            break;
        case 7:
            file = "./data/Sound/BGM/BGM007.mp3";
            break;
        default:
            return;
    }
    PlayMusicFile(file, PAVEX_PLAY_LOOP);
    SetMusicVolume(60);
}
