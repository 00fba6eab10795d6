// pictures_menu.cpp - title banner, menu items of the title, game-mode, network and
// select menus, connection messages, and the configuration screen's pictures.
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/assetgen/pictures.h"

namespace assetgen {

namespace {

void TitleBanner() {
    Canvas c(800, 128);
    // Falling pieces on both sides frame the logo.
    DrawPiece(c, 0, 18, 20, 96, 24, 20);
    DrawPiece(c, 3, 40, 52, 72, 48, 20);
    DrawPiece(c, 4, 100, 80, 72, 48, 20);
    DrawPiece(c, 6, 690, 18, 48, 48, 20);
    DrawPiece(c, 1, 636, 64, 72, 48, 20);
    DrawPiece(c, 5, 716, 74, 72, 48, 20);
    TextStyle logo;
    logo.size = 92;
    logo.top = Rgb(255, 255, 255);
    logo.bottom = Rgb(40, 150, 255);
    logo.outline = 5.0f;
    logo.outlineColor = kInk;
    logo.shadow = 6;
    logo.shadowColor = Rgb(4, 6, 20, 220);
    logo.tracking = 4.0f;
    // Outer glow first, then the chrome letters.
    TextStyle glow = logo;
    glow.top = glow.bottom = Rgb(60, 170, 255, 0);
    glow.outline = 9.0f;
    glow.outlineColor = Rgb(40, 140, 255, 120);
    glow.shadow = 0;
    DrawTextBox(c, "VORLANE", glow, 0, 0, 800, 104);
    DrawTextBox(c, "VORLANE", logo, 0, 0, 800, 104);
    // A horizontal sheen through the upper half of the letters.
    TextStyle sub;
    sub.size = 15;
    sub.top = Rgb(255, 230, 150);
    sub.bottom = Rgb(255, 180, 40);
    sub.outline = 2.0f;
    sub.outlineColor = kInk;
    sub.tracking = 6.0f;
    DrawTextBox(c, "FALLING BLOCK BATTLE", sub, 0, 100, 800, 26);
    EmitPicture("data/image/menu/Title.png", c, Store::PngAlpha);
}

// Eight cells of 256 x 32: cells 0-3 highlighted, 4-7 the same items plain. An empty
// label leaves both cells empty.
// `width` narrower than the cell keeps the item in the cell's left part: the title and
// game-mode menus sit at x 314, so a 172-wide item there is centred on the screen.
void ItemStrip(const std::string& path, const char* const labels[4], Align align, int width = 256,
               int size = 19) {
    Canvas c(256, 8 * 32);
    for (int k = 0; k < 4; ++k) {
        if (labels[k][0] == '\0') continue;
        DrawMenuItem(c, 0, k * 32, width, 32, labels[k], true, align, size);
        DrawMenuItem(c, 0, (k + 4) * 32, width, 32, labels[k], false, align, size);
    }
    EmitPicture(path, c, Store::PngAlpha, 1, 8);
}

void MenuStrips() {
    static const char* const title[4] = {"GAME START", "NET BATTLE", "RECORD", "CONFIG"};
    static const char* const mode[4] = {"ENDLESS", "50 LINES", "", ""};
    static const char* const net[4] = {"HOST GAME", "JOIN GAME", "PORT", "ADDRESS"};
    static const char* const select[4] = {"OK", "YES", "NO", "BACK"};
    ItemStrip("data/image/menu/MainMenu.png", title, Align::Center, 172, 17);
    ItemStrip("data/image/menu/GameMode.png", mode, Align::Center, 172, 17);
    ItemStrip("data/image/menu/NetWork.png", net, Align::Left);
    ItemStrip("data/image/menu/Select.png", select, Align::Center);
}

void ConnectionMessages() {
    Canvas c(384, 3 * 32);
    static const char* const msgs[3] = {"WAITING FOR OPPONENT...", "CONNECTED!", "CONNECTION LOST"};
    const Rgba tops[3] = {Rgb(255, 255, 255), Rgb(230, 255, 230), Rgb(255, 230, 230)};
    const Rgba bottoms[3] = {Rgb(140, 210, 255), Rgb(80, 230, 110), Rgb(255, 90, 90)};
    for (int k = 0; k < 3; ++k) {
        c.fillRoundRect(4, k * 32 + 3, 380, k * 32 + 29, 8, Rgb(14, 22, 52));
        c.fillRoundRect(6, k * 32 + 5, 378, k * 32 + 27, 7, Rgb(24, 40, 88));
        TextStyle st = LabelStyle(17);
        st.top = tops[k];
        st.bottom = bottoms[k];
        DrawTextBox(c, msgs[k], st, 0, k * 32, 384, 32);
    }
    EmitPicture("data/image/config/Connection.png", c, Store::PngAlpha, 1, 3);
}

void ConfigMenu() {
    Canvas c(256, 9 * 32);
    TextStyle head = LabelStyle(21);
    head.top = Rgb(255, 250, 220);
    head.bottom = Rgb(255, 180, 40);
    head.outline = 2.5f;
    head.shadow = 2;
    head.tracking = 2.0f;
    DrawTextBox(c, "CONFIGURATION", head, 0, 0, 256, 32);
    static const char* const items[7] = {"DIFFICULTY", "MOVE SPEED", "LANDING GUIDE", "GRID",
                                         "VIBRATION",  "DEFAULTS",   "SAVE & EXIT"};
    for (int k = 0; k < 7; ++k) {
        TextStyle st = LabelStyle(18);
        DrawTextBox(c, items[k], st, 20, (k + 1) * 32, 236, 32, Align::Left);
    }
    // Cell 8: the cursor bar, drawn under the item labels.
    const int y = 8 * 32;
    c.fillRoundRect(0, y + 1, 256, y + 31, 8, Rgb(120, 70, 10));
    c.fillSdf(
        0, y, 256, y + 32,
        [=](float px, float py) { return SdfRoundRect(px, py, 2, y + 3, 254, y + 29, 7); },
        [=](float px, float) { return Mix(Rgb(255, 200, 50), Rgb(150, 70, 10), px / 256.0f); });
    c.fillPolygon({3.0f, y + 9.0f, 12.0f, y + 16.0f, 3.0f, y + 23.0f}, Rgb(255, 255, 255));
    EmitPicture("data/image/config/ConfigMenu.png", c, Store::PngAlpha, 1, 9);
}

void ConfigValues() {
    Canvas c(128, 7 * 32);
    static const char* const values[7] = {"EASY", "NORMAL", "HARD",   "EXPERT",
                                          "ON",   "OFF",    "CLASSIC"};
    const Rgba tops[7] = {Rgb(220, 255, 220), Rgb(220, 240, 255), Rgb(255, 230, 200),
                          Rgb(255, 210, 210), Rgb(220, 255, 220), Rgb(220, 220, 230),
                          Rgb(240, 230, 255)};
    const Rgba bottoms[7] = {Rgb(70, 220, 100), Rgb(80, 170, 255), Rgb(255, 150, 40),
                             Rgb(255, 60, 70),  Rgb(70, 220, 100), Rgb(130, 136, 160),
                             Rgb(170, 120, 255)};
    for (int k = 0; k < 7; ++k) {
        TextStyle st = LabelStyle(18);
        st.top = tops[k];
        st.bottom = bottoms[k];
        DrawTextBox(c, values[k], st, 0, k * 32, 128, 32, Align::Left);
    }
    EmitPicture("data/image/config/ConfigEdit.png", c, Store::PngAlpha, 1, 7);
}

void SensitivityBar() {
    Canvas c(256, 6 * 32);
    for (int set = 0; set < 2; ++set) {
        const int y0 = set * 96;
        const Rgba fillTop = set == 0 ? Rgb(255, 200, 120) : Rgb(140, 240, 255);
        const Rgba fillBottom = set == 0 ? Rgb(230, 110, 20) : Rgb(30, 150, 230);
        // Back: a recessed trough.
        c.fillRoundRect(0, y0 + 6, 256, y0 + 26, 6, Rgb(60, 70, 110));
        c.fillRoundRect(2, y0 + 8, 254, y0 + 24, 5, Rgb(18, 22, 44));
        // Fill: the same all along its width (the screen stretches it sideways).
        c.gradientV(0, y0 + 32 + 9, 256, 14, fillTop, fillBottom);
        // Front: rim and step marks, the inside left to the key colour.
        const int fy = y0 + 64;
        c.fillSdf(
            0, fy, 256, fy + 32,
            [=](float px, float py) {
                const float outer = SdfRoundRect(px, py, 0, fy + 6, 256, fy + 26, 6);
                const float inner = SdfRoundRect(px, py, 2.5f, fy + 8.5f, 253.5f, fy + 23.5f, 5);
                return std::max(outer, -inner);
            },
            [](float, float) { return Rgb(170, 186, 224); });
        for (int x : {128, 192}) c.fillRect(x - 1, fy + 4, 2, 6, Rgb(255, 255, 255));
        TextStyle st = LabelStyle(11);
        st.outline = 1.0f;
        DrawTextBox(c, "FAST", st, 8, fy + 8, 60, 16, Align::Left);
    }
    EmitPicture("data/image/config/Volume.bmp", c, Store::BmpKeyed, 1, 6);
}

void InformationPanel() {
    Canvas c(640, 48);
    c.fillRoundRect(0, 0, 640, 48, 10, Rgb(70, 90, 150));
    c.fillRoundRect(2, 2, 638, 46, 9, Rgb(16, 22, 60));
    c.gradientV(4, 4, 632, 20, Rgb(40, 56, 120), Rgb(16, 22, 60));
    c.fillRoundRect(14, 12, 98, 36, 8, Rgb(255, 190, 40));
    TextStyle st = LabelStyle(14);
    st.top = st.bottom = Rgb(60, 30, 0);
    st.outline = 0;
    DrawTextBox(c, "HELP", st, 14, 12, 84, 24);
    TextStyle jp;
    jp.face = Face::Gothic;
    jp.size = 14;
    jp.top = jp.bottom = Rgb(150, 170, 220);
    DrawTextBox(c, "説明", jp, 104, 12, 60, 24, Align::Left);
    EmitPicture("data/image/config/configInformation.bmp", c, Store::BmpKeyed);
}

}  // namespace

void GenerateMenuPictures() {
    TitleBanner();
    MenuStrips();
    ConnectionMessages();
    ConfigMenu();
    ConfigValues();
    SensitivityBar();
    InformationPanel();
}

}  // namespace assetgen
