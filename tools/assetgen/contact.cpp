// contact.cpp - review sheets: every picture with its cells numbered and its file name,
// and mock-ups of the main scenes composed the way the game places the pictures
// (colour key or alpha left out, stretched pictures stretched). Written to contact/.
#include "tools/assetgen/contact.h"

#include <algorithm>
#include <string>

#include "tools/assetgen/image_files.h"
#include "tools/assetgen/pictures.h"
#include "tools/assetgen/text.h"

namespace assetgen {

namespace {

// Draws like the game: with transparency, pixels of alpha 0 (the key) are left out.
void Put(Canvas& dst, const Canvas& src, int x, int y, bool transparent = true) {
    for (int j = 0; j < src.height(); ++j)
        for (int i = 0; i < src.width(); ++i) {
            Rgba p = src.get(i, j);
            if (!transparent) {
                if (p.a == 0) p = Rgb(0, 0, 0);
                dst.set(x + i, y + j, WithAlpha(p, 255));
            } else if (p.a > 0) {
                dst.blend(x + i, y + j, p);
            }
        }
}

void PutCell(Canvas& dst, const std::string& path, int cell, int x, int y,
             bool transparent = true) {
    Put(dst, PictureCell(path, cell), x, y, transparent);
}

void PutStretched(Canvas& dst, const std::string& path, int cell, int x1, int y1, int x2, int y2,
                  bool transparent = true) {
    const Canvas c = PictureCell(path, cell);
    if (c.empty() || x2 <= x1 || y2 <= y1) return;
    // Nearest-neighbour stretch, as a plain blitter does it.
    Canvas s(x2 - x1, y2 - y1);
    for (int j = 0; j < s.height(); ++j)
        for (int i = 0; i < s.width(); ++i)
            s.set(i, j, c.get(i * c.width() / s.width(), j * c.height() / s.height()));
    Put(dst, s, x1, y1, transparent);
}

// Right-aligned number, its last digit at x, like the game's number drawing.
void Number(Canvas& dst, int x, int y, int value, int extra, int color, bool large) {
    static const char* const smallSets[5] = {"b", "r", "y", "w", "a"};
    const std::string path = std::string("data/image/common/Number_") + (large ? "b_" : "s_") +
                             smallSets[std::clamp(color, 0, 4)] + ".png";
    int count = 1;
    for (int v = value; v >= 10; v /= 10) ++count;
    if (extra > 0) count = extra + 1;
    for (int k = 0; k < count; ++k) {
        PutCell(dst, path, value % 10, x, y);
        value /= 10;
        x -= large ? 32 : 16;
    }
}

const char* const kBlocks = "data/image/game/block2.bmp";

// A sample well: 10 x 21 cell values, 0 empty.
int SampleCell(int c, int r, bool opponent) {
    const int height = opponent ? 9 : 6;
    if (r < 21 - height) return 0;
    const int h = (c * 7 + r * 3 + (opponent ? 5 : 0)) % 11;
    if (opponent && r > 17) return (c == (r * 3) % 10) ? 0 : 8;
    if (h == 0 && r < 19) return 0;
    if (r == 21 - height && c % 3 == 1) return 0;
    return 1 + (c / 2 + r + (opponent ? 2 : 0)) % 7;
}

void PlayScene(Canvas& s, int background, bool versusMarks) {
    s.draw(PictureCell(std::string("data/image/BG/BG00") + std::to_string(background) + ".jpg", 0),
           0, 0);
    for (int side = 0; side < 2; ++side) {
        const int ox = side == 0 ? 42 : 516;
        for (int r = 0; r < 21; ++r)
            for (int c = 0; c < 10; ++c) {
                const int v = SampleCell(c, r, side == 1);
                if (v == 0)
                    PutCell(s, kBlocks, 8, ox + 24 * c, 71 + 24 * r);
                else
                    PutCell(s, kBlocks, v - 1, ox + 24 * c, 71 + 24 * r, false);
            }
    }
    // Falling piece (purple) and its landing point.
    const int px[4] = {4, 5, 6, 5}, py[4] = {5, 5, 5, 6};
    for (int k = 0; k < 4; ++k) {
        PutCell(s, kBlocks, 3, 42 + 24 * px[k], 71 + 24 * py[k], false);
        PutCell(s, kBlocks, 3, 42 + 24 * px[k], 71 + 24 * (py[k] + 8));
    }
    // Hold and next.
    PutCell(s, "data/image/game/HoldBlock.png", 2, 24, 24);
    PutCell(s, "data/image/game/NextBlock.png", 0, 96, 24);
    PutCell(s, "data/image/game/HoldBlock.png", 4, 204, 48);
    PutCell(s, "data/image/game/HoldBlock.png", 6, 252, 48);
    PutCell(s, "data/image/game/HoldBlock.png", 5, 732, 24);
    PutCell(s, "data/image/game/NextBlock.png", 3, 600, 24);
    PutCell(s, "data/image/game/HoldBlock.png", 1, 540, 48);
    PutCell(s, "data/image/game/HoldBlock.png", 0, 492, 48);
    // Panel.
    const char* const ui = "data/image/game/Interface.png";
    PutCell(s, ui, 6, 8, 48);
    PutCell(s, ui, 6, 720, 48);
    PutCell(s, ui, 5, 108, 0);
    PutCell(s, ui, 5, 614, 0);
    PutCell(s, ui, 0, 306, 72);
    Number(s, 348, 106, 12, 1, 2, true);
    PutCell(s, ui, 1, 306, 144);
    Number(s, 412, 168, 0, 6, 4, false);
    Number(s, 412, 168, 48210, 0, 2, false);
    PutCell(s, ui, 2, 306, 192);
    Number(s, 348, 216, 0, 2, 4, false);
    Number(s, 348, 216, 117, 0, 0, false);
    PutCell(s, "data/image/common/Number_s_b.png", 10, 368, 216);
    Number(s, 420, 216, 0, 2, 4, false);
    Number(s, 420, 216, 120, 0, 2, false);
    PutCell(s, ui, 3, 306, 240);
    Number(s, 332, 264, 0, 1, 4, false);
    Number(s, 332, 264, 7, 0, 0, false);
    PutCell(s, ui, 4, 368, 504);
    const int clock[6] = {0, 4, 3, 7, 2, 5};
    const int cx[6] = {338, 358, 388, 408, 438, 458};
    for (int k = 0; k < 6; ++k) Number(s, cx[k], 534, clock[k], 0, 0, false);
    PutCell(s, "data/image/common/Number_s_b.png", 11, 374, 534);
    PutCell(s, "data/image/common/Number_s_b.png", 11, 424, 534);
    if (versusMarks) {
        for (int y : {408, 432, 456}) {
            PutCell(s, kBlocks, 8, 360, y, false);
            PutCell(s, kBlocks, 8, 432, y, false);
        }
        PutCell(s, kBlocks, 0, 360, 456, false);
        PutCell(s, kBlocks, 0, 360, 432, false);
        PutCell(s, kBlocks, 2, 432, 456, false);
    }
    // Fall gauge in the middle state, combo bar part used.
    const char* const gauge = "data/image/game/FallGauge.png";
    PutCell(s, gauge, 2, 3, 339);
    PutStretched(s, gauge, 3, 3, 339, 19, 339 + 150, false);
    PutCell(s, gauge, 4, 3, 339);
    const char* const combo = "data/image/game/combobar.bmp";
    PutCell(s, combo, 0, 306, 339);
    PutStretched(s, combo, 1, 306, 339, 322, 595 - 90, false);
    PutCell(s, combo, 2, 306, 339);
    PutCell(s, "data/image/game/Edge.png", 0, 18, 71);
    PutCell(s, "data/image/game/Edge.png", 0, 492, 71);
}

Canvas TitleScene() {
    Canvas s(800, 600);
    s.draw(PictureCell("data/image/BG/BG008.jpg", 0), 0, 0);
    PutStretched(s, "data/image/menu/Title.png", 0, 0, 32, 800, 160);
    for (int k = 0; k < 4; ++k)
        PutCell(s, "data/image/menu/MainMenu.png", k == 0 ? 0 : k + 4, 314, 228 + 32 * k);
    return s;
}

Canvas NetworkScene() {
    Canvas s(800, 600);
    s.draw(PictureCell("data/image/BG/BG008.jpg", 0), 0, 0);
    PutStretched(s, "data/image/menu/Title.png", 0, 0, 32, 800, 160);
    const int ys[5] = {228, 260, 292, 324, 356};
    for (int k = 0; k < 4; ++k)
        PutCell(s, "data/image/menu/NetWork.png", k == 3 ? 3 : k + 4, 256, ys[k]);
    PutCell(s, "data/image/menu/Select.png", 7, 256, ys[4]);
    PutCell(s, "data/image/common/Cursor.bmp", 0, 356 + 16 * 1, 295);
    PutCell(s, "data/image/common/Cursor.bmp", 0, 356 + 16 * 4 + 16 * (4 / 3), 327);
    const int port[5] = {1, 0, 0, 0, 1};
    for (int k = 0; k < 5; ++k)
        PutCell(s, "data/image/common/Number_s_b.png", port[k], 352 + 16 * k, 301);
    const int addr[12] = {1, 9, 2, 1, 6, 8, 0, 0, 1, 0, 1, 2};
    for (int k = 0; k < 12; ++k)
        PutCell(s, "data/image/common/Number_s_b.png", addr[k], 352 + 16 * k + 16 * (k / 3), 333);
    for (int x : {400, 464, 528}) PutCell(s, "data/image/common/Number_s_b.png", 12, x, 333);
    PutCell(s, "data/image/config/Connection.png", 0, 256, 420);
    return s;
}

Canvas ConfigScene() {
    Canvas s(800, 600);
    s.draw(PictureCell("data/image/BG/BG008.jpg", 0), 0, 0);
    const char* const menu = "data/image/config/ConfigMenu.png";
    PutCell(s, menu, 0, 272, 0);
    PutCell(s, menu, 8, 144, 64 + 32 * 1);
    for (int k = 1; k <= 7; ++k) PutCell(s, menu, k, 144, 32 + 32 * k);
    PutCell(s, "data/image/config/configInformation.bmp", 0, 80, 544);
    const char* const edit = "data/image/config/ConfigEdit.png";
    PutCell(s, edit, 1, 400, 64);
    const char* const vol = "data/image/config/Volume.bmp";
    PutCell(s, vol, 3, 400, 96);
    PutStretched(s, vol, 4, 656 - 64, 96, 656, 128);
    PutCell(s, vol, 5, 400, 96);
    PutCell(s, edit, 4, 400, 128);
    PutCell(s, edit, 5, 400, 160);
    PutCell(s, edit, 4, 400, 192);
    TextStyle st;
    st.face = Face::Gothic;
    st.size = 16;
    st.outline = 1.0f;
    st.outlineColor = Rgb(0, 0, 255);
    DrawTextBox(s, "ブロック移動の感度", st, 320, 567, 300, 16, Align::Left);
    return s;
}

Canvas GameOverScene() {
    Canvas s(800, 600);
    PlayScene(s, 3, false);
    PutCell(s, "data/image/BG/Filter.bmp", 0, 0, 0);
    PutCell(s, "data/image/game/GameOver.png", 0, 272, 268);
    return s;
}

Canvas VersusScene() {
    Canvas s(800, 600);
    PlayScene(s, 5, true);
    PutCell(s, "data/image/BG/Filter.bmp", 0, 0, 0);
    PutCell(s, "data/image/game/VSResult.png", 0, 96, 138);
    PutCell(s, "data/image/game/VSResult.png", 2, 536, 138);
    return s;
}

Canvas GameClearScene() {
    Canvas s(800, 600);
    s.draw(PictureCell("data/image/BG/BG004.jpg", 0), 0, 0);
    PutCell(s, "data/image/BG/Filter.bmp", 0, 0, 0);
    PutCell(s, "data/image/game/GameClear.png", 0, 280, 268);
    const int clock[6] = {0, 3, 5, 8, 4, 1};
    const int off[6] = {0, 40, 120, 160, 240, 280};
    for (int k = 0; k < 6; ++k) Number(s, 248 + off[k], 300, clock[k], 0, 1, true);
    PutCell(s, "data/image/common/Number_b_r.png", 11, 248 + 80, 300);
    PutCell(s, "data/image/common/Number_b_r.png", 11, 248 + 200, 300);
    return s;
}

Canvas ReadyScene() {
    Canvas s(800, 600);
    PlayScene(s, 1, false);
    PutCell(s, "data/image/game/Ready.png", 7, 100, 308);
    return s;
}

// All pictures except the backgrounds, each with its name and numbered cells.
Canvas Sheet(bool backgrounds) {
    const int width = 1700;
    std::vector<std::pair<const PictureRecord*, float>> items;
    for (const PictureRecord& r : Pictures()) {
        const bool big = r.image.width() >= 800;
        if (big != backgrounds) continue;
        items.push_back({&r, big ? 0.5f : 1.0f});
    }
    // Shelf packing.
    struct Place {
        int x, y;
    };
    std::vector<Place> places;
    int x = 10, y = 10, shelf = 0;
    for (const auto& [r, scale] : items) {
        const int w = static_cast<int>(r->image.width() * scale) + 20;
        const int h = static_cast<int>(r->image.height() * scale) + 40;
        if (x + w > width) {
            x = 10;
            y += shelf + 10;
            shelf = 0;
        }
        places.push_back({x, y});
        x += w + 10;
        shelf = std::max(shelf, h);
    }
    Canvas sheet(width, y + shelf + 10, Rgb(36, 36, 44));
    TextStyle name;
    name.size = 12;
    name.top = name.bottom = Rgb(255, 255, 255);
    TextStyle num;
    num.size = 9;
    num.top = num.bottom = Rgb(255, 255, 0);
    num.outline = 1.0f;
    for (size_t k = 0; k < items.size(); ++k) {
        const PictureRecord& r = *items[k].first;
        const float scale = items[k].second;
        const int px = places[k].x, py = places[k].y;
        std::string label = r.path.substr(
            r.path.find("image/") != std::string::npos ? r.path.find("image/") + 6 : 0);
        DrawTextBox(sheet, label, name, px, py, 600, 18, Align::Left);
        const Canvas img = scale == 1.0f
                               ? r.image
                               : r.image.scaled(static_cast<int>(r.image.width() * scale),
                                                static_cast<int>(r.image.height() * scale));
        // Checker shows the transparent parts.
        for (int j = 0; j < img.height(); ++j)
            for (int i = 0; i < img.width(); ++i)
                sheet.set(px + i, py + 22 + j,
                          ((i / 8 + j / 8) & 1) ? Rgb(74, 74, 84) : Rgb(96, 96, 108));
        Put(sheet, img, px, py + 22);
        if (r.across * r.down > 1) {
            for (int c = 0; c < r.across * r.down; ++c) {
                const int cx = px + static_cast<int>((c % r.across) * r.cellW * scale);
                const int cy = py + 22 + static_cast<int>((c / r.across) * r.cellH * scale);
                sheet.strokeRect(cx, cy, static_cast<int>(r.cellW * scale),
                                 static_cast<int>(r.cellH * scale), Rgb(255, 0, 255, 140), 1);
                DrawTextBox(sheet, std::to_string(c), num, cx + 1, cy + 1, 14, 10, Align::Left);
            }
        }
    }
    return sheet;
}

}  // namespace

bool WriteContactSheets() {
    bool ok = true;
    ok &= SavePng("contact/pictures.png", OpaqueForm(Sheet(false)), false);
    ok &= SavePng("contact/backgrounds.png", OpaqueForm(Sheet(true)), false);
    ok &= SavePng("contact/scene_title.png", OpaqueForm(TitleScene()), false);
    ok &= SavePng("contact/scene_network.png", OpaqueForm(NetworkScene()), false);
    Canvas play(800, 600);
    PlayScene(play, 1, true);
    ok &= SavePng("contact/scene_play.png", OpaqueForm(play), false);
    ok &= SavePng("contact/scene_ready.png", OpaqueForm(ReadyScene()), false);
    ok &= SavePng("contact/scene_config.png", OpaqueForm(ConfigScene()), false);
    ok &= SavePng("contact/scene_gameover.png", OpaqueForm(GameOverScene()), false);
    ok &= SavePng("contact/scene_versus.png", OpaqueForm(VersusScene()), false);
    ok &= SavePng("contact/scene_gameclear.png", OpaqueForm(GameClearScene()), false);
    return ok;
}

}  // namespace assetgen
