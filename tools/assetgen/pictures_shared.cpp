// pictures_shared.cpp - palette, block tiles, piece drawing, menu items and the picture
// registry. The families call these so the whole game keeps one look.
#include "tools/assetgen/pictures.h"

#include <algorithm>
#include <cmath>

#include "tools/assetgen/image_files.h"
#include "tools/assetgen/output.h"

namespace assetgen {

namespace {

std::vector<PictureRecord> REGISTRY;

const char* const kShapes[7][2] = {
    {"XXXX", "...."}, {"XXX.", "X..."}, {"XXX.", "..X."}, {"XXX.", ".X.."},
    {"XX..", ".XX."}, {".XX.", "XX.."}, {".XX.", ".XX."},
};

}  // namespace

const Rgba kInk = Rgb(12, 16, 44);
const Rgba kAccent = Rgb(255, 196, 40);
const Rgba kSteel = Rgb(104, 122, 160);

bool EmitPicture(const std::string& path, const Canvas& art, Store store, int across, int down) {
    if (across <= 0 || down <= 0 || art.width() % across != 0 || art.height() % down != 0) {
        Fail("picture " + path + " does not divide into its cells");
        return false;
    }
    PictureRecord rec;
    rec.path = path;
    rec.across = across;
    rec.down = down;
    rec.cellW = art.width() / across;
    rec.cellH = art.height() / down;
    rec.store = store;
    bool ok = false;
    switch (store) {
        case Store::PngAlpha:
            rec.image = AlphaForm(art);
            ok = SavePng(path, rec.image, true);
            break;
        case Store::PngOpaque:
            rec.image = OpaqueForm(art);
            ok = SavePng(path, rec.image, false);
            break;
        case Store::BmpKeyed:
            rec.image = KeyedForm(art);
            ok = SaveBmp(path, rec.image);
            break;
        case Store::BmpOpaque:
            rec.image = OpaqueForm(art);
            ok = SaveBmp(path, rec.image);
            break;
        case Store::Jpeg:
            rec.image = OpaqueForm(art);
            ok = SaveJpeg(path, rec.image, 88);
            break;
    }
    REGISTRY.push_back(std::move(rec));
    return ok;
}

const std::vector<PictureRecord>& Pictures() {
    return REGISTRY;
}

const PictureRecord* FindPicture(const std::string& path) {
    for (const PictureRecord& r : REGISTRY)
        if (r.path == path) return &r;
    return nullptr;
}

Canvas PictureCell(const std::string& path, int cell) {
    const PictureRecord* r = FindPicture(path);
    if (!r || cell < 0 || cell >= r->across * r->down) return Canvas();
    return r->image.crop((cell % r->across) * r->cellW, (cell / r->across) * r->cellH, r->cellW,
                         r->cellH);
}

Rgba PieceColor(int kind) {
    static const Rgba colors[8] = {
        Rgb(40, 200, 235),   // long bar: cyan
        Rgb(250, 146, 30),   // orange
        Rgb(58, 104, 240),   // blue
        Rgb(176, 72, 226),   // purple
        Rgb(236, 52, 64),    // red
        Rgb(64, 204, 84),    // green
        Rgb(246, 214, 40),   // yellow square
        Rgb(132, 136, 150),  // garbage grey
    };
    return colors[std::clamp(kind, 0, 7)];
}

void DrawBlockTile(Canvas& c, int x, int y, int s, int kind) {
    const Rgba base = PieceColor(kind);
    const Rgba light = Mix(base, Rgb(255, 255, 255), 0.55f);
    const Rgba dark = Scale(base, 0.45f);
    const Rgba rim = Scale(base, 0.28f);
    const int bevel = std::max(1, s / 10);
    // Rim, then the two bevel triangles, then the face.
    c.fillRect(x, y, s, s, rim);
    for (int j = 1; j < s - 1; ++j) {
        for (int i = 1; i < s - 1; ++i) {
            const bool topLeft = (i < 1 + bevel) || (j < 1 + bevel);
            const bool bottomRight = (i >= s - 1 - bevel) || (j >= s - 1 - bevel);
            Rgba col = base;
            if (topLeft && !(bottomRight && i + j > s - 1))
                col = light;
            else if (bottomRight)
                col = dark;
            else {
                const float t = static_cast<float>(j) / s;
                col = Mix(Mix(base, Rgb(255, 255, 255), 0.12f), Scale(base, 0.82f), t);
            }
            c.set(x + i, y + j, col);
        }
    }
    if (kind == 7) {
        // Garbage: a riveted plate with diagonal scoring, so it never reads as a piece.
        // The scoring is drawn on its own tile so it cannot spill into a neighbour.
        Canvas plate(s, s);
        const Rgba score = Scale(base, 0.7f);
        for (int k = -s; k < s; k += std::max(3, s / 4))
            plate.line(1 + bevel + k, s - 1 - bevel, s - 1 - bevel + k, 1 + bevel, 1.0f, score);
        c.draw(plate.crop(0, 0, s, s), x, y);
        c.fillRect(x, y, s, 1, rim);
        c.fillRect(x, y + s - 1, s, 1, rim);
        c.fillRect(x, y, 1, s, rim);
        c.fillRect(x + s - 1, y, 1, s, rim);
        for (int k = 0; k < bevel; ++k) {
            c.fillRect(x + 1, y + 1 + k, s - 2 - k, 1, light);
            c.fillRect(x + 1 + k, y + 1, 1, s - 2 - k, light);
            c.fillRect(x + 1 + k, y + s - 2 - k, s - 2 - k, 1, dark);
            c.fillRect(x + s - 2 - k, y + 1 + k, 1, s - 2 - k, dark);
        }
        const float r = std::max(1.0f, s / 12.0f);
        for (int cy = 0; cy < 2; ++cy)
            for (int cx = 0; cx < 2; ++cx)
                c.fillCircle(x + s * (0.3f + 0.4f * cx), y + s * (0.3f + 0.4f * cy), r,
                             Mix(base, Rgb(255, 255, 255), 0.4f));
    } else if (s >= 12) {
        // Gloss: a soft highlight in the upper left of the face.
        const float g0 = 1.0f + bevel, g1 = s * 0.55f;
        c.fillRoundRect(x + g0 + 1, y + g0 + 1, x + g1 + 2, y + g0 + s * 0.22f, s * 0.1f,
                        Rgb(255, 255, 255, 110));
    }
}

const char* PieceRow(int kind, int row) {
    return kShapes[std::clamp(kind, 0, 6)][std::clamp(row, 0, 1)];
}

void DrawPiece(Canvas& c, int kind, int x, int y, int w, int h, int s) {
    int minCol = 4, maxCol = -1, minRow = 2, maxRow = -1;
    for (int r = 0; r < 2; ++r)
        for (int col = 0; col < 4; ++col)
            if (PieceRow(kind, r)[col] == 'X') {
                minCol = std::min(minCol, col);
                maxCol = std::max(maxCol, col);
                minRow = std::min(minRow, r);
                maxRow = std::max(maxRow, r);
            }
    const int pw = (maxCol - minCol + 1) * s, ph = (maxRow - minRow + 1) * s;
    const int ox = x + (w - pw) / 2, oy = y + (h - ph) / 2;
    for (int r = 0; r < 2; ++r)
        for (int col = 0; col < 4; ++col)
            if (PieceRow(kind, r)[col] == 'X')
                DrawBlockTile(c, ox + (col - minCol) * s, oy + (r - minRow) * s, s, kind);
}

TextStyle LabelStyle(int size) {
    TextStyle st;
    st.size = size;
    st.top = Rgb(255, 255, 255);
    st.bottom = Rgb(150, 200, 255);
    st.outline = size >= 18 ? 2.0f : 1.5f;
    st.outlineColor = kInk;
    return st;
}

void DrawMenuItem(Canvas& c, int x, int y, int w, int h, const std::string& label, bool highlighted,
                  Align align, int size) {
    TextStyle st = LabelStyle(size);
    if (highlighted) {
        // A gold bar with a bright rim and two arrow marks: unmistakable at a glance.
        c.fillRoundRect(x + 2, y + 2, x + w - 2, y + h - 2, h * 0.3f, Rgb(120, 70, 10));
        c.fillSdf(
            x, y, x + w, y + h,
            [=](float px, float py) {
                return SdfRoundRect(px, py, x + 3.5f, y + 3.5f, x + w - 3.5f, y + h - 3.5f,
                                    h * 0.26f);
            },
            [=](float, float py) {
                const float t = (py - y) / h;
                return t < 0.5f ? Mix(Rgb(255, 236, 150), Rgb(255, 180, 30), t * 2.0f)
                                : Mix(Rgb(236, 140, 10), Rgb(255, 200, 60), (t - 0.5f) * 2.0f);
            });
        st.top = Rgb(255, 255, 255);
        st.bottom = Rgb(255, 250, 220);
        st.outlineColor = Rgb(110, 40, 0);
        const float cy = y + h * 0.5f, a = h * 0.2f;
        c.fillPolygon({x + 8.0f, cy - a, x + 8.0f + a * 1.4f, cy, x + 8.0f, cy + a},
                      Rgb(110, 40, 0));
        c.fillPolygon({x + w - 8.0f, cy - a, x + w - 8.0f - a * 1.4f, cy, x + w - 8.0f, cy + a},
                      Rgb(110, 40, 0));
    } else {
        st.top = Rgb(176, 190, 220);
        st.bottom = Rgb(110, 126, 170);
        st.outlineColor = Rgb(28, 34, 70);
    }
    const int pad = align == Align::Center ? 0 : 24;
    DrawTextBox(c, label, st, x + pad, y, w - 2 * pad, h, align);
}

}  // namespace assetgen
