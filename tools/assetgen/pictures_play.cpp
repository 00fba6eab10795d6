// pictures_play.cpp - the play-screen image set: block tiles, piece pictures, panel
// labels, fall gauge and combo bar, win/lose and end banners, the well frame and the
// "Ready" animation. Sizes follow the screen layout of the play screen.
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/assetgen/pictures.h"

namespace assetgen {

namespace {

constexpr int kCell = 24;

void Blocks() {
    Canvas c(10 * kCell, kCell);
    for (int k = 0; k < 8; ++k) DrawBlockTile(c, k * kCell, 0, kCell, k);
    // Cell 8: the empty cell with grid lines (everything else is the key colour, so the
    // background shows through the well). Cell 9: the plain empty cell, all key colour.
    const int gx = 8 * kCell;
    const Rgba grid = Rgb(46, 58, 96);
    c.fillRect(gx, 0, kCell, 1, grid);
    c.fillRect(gx, 0, 1, kCell, grid);
    c.fillRect(gx + 1, kCell - 1, kCell - 1, 1, Rgb(30, 38, 66));
    c.fillRect(gx + kCell - 1, 1, 1, kCell - 1, Rgb(30, 38, 66));
    c.fillRect(gx + kCell / 2, kCell / 2, 1, 1, Rgb(40, 50, 84));
    EmitPicture("data/image/game/block2.bmp", c, Store::BmpKeyed, 10, 1);
}

void PiecePictures() {
    Canvas large(3 * 96, 3 * 48), small(3 * 48, 3 * 24);
    for (int k = 0; k < 7; ++k) {
        DrawPiece(large, k, (k % 3) * 96, (k / 3) * 48, 96, 48, 24);
        DrawPiece(small, k, (k % 3) * 48, (k / 3) * 24, 48, 24, 12);
    }
    EmitPicture("data/image/game/NextBlock.png", large, Store::PngAlpha, 3, 3);
    EmitPicture("data/image/game/HoldBlock.png", small, Store::PngAlpha, 3, 3);
}

void Labels() {
    static const char* const names[7] = {"LEVEL", "SCORE", "LINES", "COMBO",
                                         "TIME",  "NEXT",  "HOLD"};
    Canvas c(96, 7 * 24);
    for (int k = 0; k < 7; ++k) {
        TextStyle st = LabelStyle(15);
        st.tracking = 1.5f;
        st.top = Rgb(255, 255, 255);
        st.bottom = Rgb(120, 210, 255);
        // A thin accent under the word ties the labels to the frames.
        c.fillRoundRect(10, k * 24 + 19, 86, k * 24 + 21, 1.0f, Rgb(60, 150, 230));
        DrawTextBox(c, names[k], st, 0, k * 24, 96, 20, Align::Center);
    }
    EmitPicture("data/image/game/Interface.png", c, Store::PngAlpha, 1, 7);
}

// A lit LED column of one state colour for the gauges.
void GaugeColumn(Canvas& c, int x, Rgba color) {
    c.fillRect(x, 0, 16, 256, Scale(color, 0.35f));
    for (int y = 2; y < 254; y += 6) {
        for (int i = 3; i < 13; ++i) {
            const float edge = std::fabs(i - 7.5f) / 5.0f;
            c.set(x + i, y, Mix(Mix(color, Rgb(255, 255, 255), 0.5f), color, edge));
            for (int k = 1; k < 4; ++k) c.set(x + i, y + k, Mix(color, Scale(color, 0.6f), edge));
        }
    }
}

void GaugeCover(Canvas& c, int x) {
    c.gradientH(x, 0, 16, 256, Rgb(20, 24, 44), Rgb(34, 40, 70));
    c.fillRect(x + 7, 0, 2, 256, Rgb(26, 30, 56));
}

void GaugeOutline(Canvas& c, int x, bool marks) {
    c.strokeRect(x, 0, 16, 256, Rgb(160, 178, 214), 1);
    c.strokeRect(x + 1, 1, 14, 254, Rgb(70, 84, 124), 1);
    if (marks) {
        // Notches where the low state turns to middle (128) and middle to alarm (192).
        for (int y : {128, 192}) {
            c.fillRect(x, y - 1, 3, 2, Rgb(255, 255, 255));
            c.fillRect(x + 13, y - 1, 3, 2, Rgb(255, 255, 255));
        }
    }
}

void FallGauge() {
    Canvas c(5 * 16, 256);
    GaugeColumn(c, 0, Rgb(255, 40, 40));    // alarm red (also the first alarm frame)
    GaugeColumn(c, 16, Rgb(60, 230, 90));   // low: calm green
    GaugeColumn(c, 32, Rgb(255, 176, 30));  // middle: amber
    GaugeCover(c, 48);
    GaugeOutline(c, 64, true);
    EmitPicture("data/image/game/FallGauge.png", c, Store::PngAlpha, 5, 1);
}

void ComboBar() {
    Canvas c(4 * 16, 256);
    // Bar: magenta at the top fading to violet at the bottom, in segments.
    for (int y = 0; y < 256; ++y) {
        const Rgba col = Mix(Rgb(255, 80, 200), Rgb(110, 90, 255), y / 255.0f);
        for (int i = 2; i < 14; ++i) {
            const bool gap = (y % 6) == 5;
            const float edge = std::fabs(i - 7.5f) / 6.0f;
            c.set(i, y,
                  gap ? Scale(col, 0.4f) : Mix(Mix(col, Rgb(255, 255, 255), 0.45f), col, edge));
        }
    }
    GaugeCover(c, 16);
    GaugeOutline(c, 32, false);
    // Cell 3 (unused by the game): the bar lit at full strength.
    for (int y = 0; y < 256; ++y)
        for (int i = 2; i < 14; ++i)
            c.set(48 + i, y, Mix(Rgb(255, 180, 240), Rgb(200, 190, 255), y / 255.0f));
    EmitPicture("data/image/game/combobar.bmp", c, Store::BmpKeyed, 4, 1);
}

TextStyle BannerStyle(int size, Rgba top, Rgba bottom, Rgba outline) {
    TextStyle st;
    st.size = size;
    st.top = top;
    st.bottom = bottom;
    st.outline = size >= 30 ? 3.0f : 2.0f;
    st.outlineColor = outline;
    st.shadow = size >= 30 ? 3 : 2;
    st.shadowColor = Rgb(6, 8, 24, 200);
    st.tracking = 1.0f;
    return st;
}

void VersusBanners() {
    Canvas c(256, 3 * 64);
    // Win frame A: gold; frame B: white-hot with a brighter rim, so the banner flashes.
    c.fillRoundRect(8, 10, 248, 54, 10, Rgb(90, 40, 0));
    DrawTextBox(c, "YOU WIN!",
                BannerStyle(38, Rgb(255, 250, 200), Rgb(255, 170, 20), Rgb(90, 40, 0)), 0, 0, 256,
                64);
    c.fillRoundRect(8, 74, 248, 118, 10, Rgb(200, 120, 20));
    DrawTextBox(c, "YOU WIN!",
                BannerStyle(38, Rgb(255, 255, 255), Rgb(255, 240, 160), Rgb(200, 110, 0)), 0, 64,
                256, 64);
    c.fillRoundRect(8, 138, 248, 182, 10, Rgb(24, 30, 60));
    DrawTextBox(c, "YOU LOSE",
                BannerStyle(36, Rgb(200, 214, 240), Rgb(90, 110, 160), Rgb(24, 30, 60)), 0, 128,
                256, 64);
    EmitPicture("data/image/game/VSResult.png", c, Store::PngAlpha, 1, 3);
}

void EndBanners() {
    Canvas over(256, 64);
    over.fillRoundRect(2, 8, 254, 56, 12, Rgb(60, 6, 10));
    over.fillRoundRect(5, 11, 251, 53, 10, Rgb(120, 16, 24));
    DrawTextBox(over, "GAME OVER",
                BannerStyle(36, Rgb(255, 236, 200), Rgb(255, 90, 50), Rgb(60, 6, 10)), 0, 0, 256,
                64);
    EmitPicture("data/image/game/GameOver.png", over, Store::PngAlpha);
    Canvas clear(240, 32);
    clear.fillRoundRect(1, 1, 239, 31, 8, Rgb(10, 60, 40));
    clear.fillRoundRect(3, 3, 237, 29, 7, Rgb(20, 120, 80));
    DrawTextBox(clear, "GAME CLEAR!",
                BannerStyle(22, Rgb(255, 255, 230), Rgb(160, 255, 140), Rgb(10, 60, 40)), 0, 0, 240,
                32);
    EmitPicture("data/image/game/GameClear.png", clear, Store::PngAlpha);
}

void WellFrame() {
    // 12 x 22 cells: pillars over columns 0 and 11, the floor over row 21; the inside
    // (10 x 21 cells) stays the key colour.
    Canvas c(12 * kCell, 22 * kCell);
    const int W = c.width(), H = c.height();
    auto metal = [&](int x, int y, int w, int h, bool vertical) {
        c.fillRectShaded(x, y, w, h, [=](float px, float py) {
            const float t = vertical ? (px - x) / w : (py - y) / h;
            const float ridge = 0.5f + 0.5f * std::cos((t - 0.35f) * 6.2831853f);
            return Mix(Rgb(40, 50, 84), Rgb(150, 170, 214), ridge * 0.9f);
        });
    };
    metal(0, 0, kCell, H, true);
    metal(W - kCell, 0, kCell, H, true);
    metal(kCell, H - kCell, W - 2 * kCell, kCell, false);
    // Bevel rims.
    c.strokeRect(0, 0, kCell, H, Rgb(22, 28, 54), 1);
    c.strokeRect(W - kCell, 0, kCell, H, Rgb(22, 28, 54), 1);
    c.fillRect(kCell, H - 1, W - 2 * kCell, 1, Rgb(22, 28, 54));
    // Glowing inner edge around the well.
    const Rgba glow = Rgb(90, 200, 255);
    c.fillRect(kCell - 2, 0, 2, H - kCell + 2, glow);
    c.fillRect(W - kCell, 0, 2, H - kCell + 2, glow);
    c.fillRect(kCell - 2, H - kCell, W - 2 * kCell + 4, 2, glow);
    c.fillRect(kCell - 3, 0, 1, H - kCell + 3, Rgb(200, 240, 255));
    c.fillRect(W - kCell + 2, 0, 1, H - kCell + 3, Rgb(30, 90, 140));
    // Rivets on the pillars every four rows.
    for (int r = 1; r < 22; r += 4) {
        for (int x : {kCell / 2, W - kCell / 2}) {
            c.fillCircle(x + 0.5f, r * kCell + 12.5f, 3.2f, Rgb(30, 38, 66));
            c.fillCircle(x - 0.3f, r * kCell + 11.7f, 2.2f, Rgb(210, 222, 245));
        }
    }
    // Caps at the top of the pillars.
    for (int x : {0, W - kCell}) {
        c.fillRect(x, 0, kCell, 4, Rgb(200, 214, 240));
        c.fillRect(x, 4, kCell, 1, Rgb(40, 50, 84));
    }
    EmitPicture("data/image/game/Edge.png", c, Store::PngAlpha);
}

void ReadyFrames() {
    Canvas c(128, 16 * 32);
    TextStyle ready = BannerStyle(26, Rgb(255, 255, 255), Rgb(120, 220, 255), kInk);
    ready.tracking = 3.0f;
    TextStyle go = BannerStyle(30, Rgb(255, 255, 220), Rgb(255, 190, 30), Rgb(90, 30, 0));
    // Frames 1-7: a light bar sweeps open and reveals "READY"; frame 7 holds.
    for (int f = 0; f < 8; ++f) {
        const int y = f * 32;
        const float t = f / 7.0f;
        const int half = static_cast<int>(64 * t);
        if (half <= 0) continue;
        c.fillRoundRect(64 - half, y + 4, 64 + half, y + 28, 6, Rgb(20, 40, 90));
        c.fillRect(64 - half, y + 4, 2 * half, 2, Rgb(90, 200, 255));
        c.fillRect(64 - half, y + 26, 2 * half, 2, Rgb(90, 200, 255));
        Canvas word(128, 32);
        DrawTextBox(word, "READY", ready, 0, 0, 128, 32);
        c.draw(word.crop(64 - half, 0, 2 * half, 32), 64 - half, y);
    }
    // Frames 8-15: "GO!" bursts out of the bar.
    for (int f = 8; f < 16; ++f) {
        const int y = f * 32;
        const float t = (f - 8) / 7.0f;
        const int half = static_cast<int>(64 * (1.0f - t * 0.6f));
        c.fillRoundRect(64 - half, y + 4, 64 + half, y + 28, 6, Rgb(100, 40, 0));
        TextStyle g = go;
        g.size = 18 + static_cast<int>(t * 8);
        DrawTextBox(c, "GO!", g, 0, y, 128, 32);
        for (int k = 0; k < 6; ++k) {
            const float ang = k * 1.0472f + 0.5f;
            const float r0 = 14 + 40 * t, r1 = r0 + 8;
            c.line(64 + std::cos(ang) * r0, y + 16 + std::sin(ang) * r0 * 0.35f,
                   64 + std::cos(ang) * r1, y + 16 + std::sin(ang) * r1 * 0.35f, 2.0f,
                   Rgb(255, 220, 120));
        }
    }
    EmitPicture("data/image/game/Ready.png", c, Store::PngAlpha, 1, 16);
}

}  // namespace

void GeneratePlayPictures() {
    Blocks();
    PiecePictures();
    Labels();
    FallGauge();
    ComboBar();
    VersusBanners();
    EndBanners();
    WellFrame();
    ReadyFrames();
}

}  // namespace assetgen
