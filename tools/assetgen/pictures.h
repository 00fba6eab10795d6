// pictures.h - the picture families of the data tree and the shared art direction
// (palette, block tiles, menu bars), plus the registry of every picture written in this
// run, which the contact sheet and the scene mock-ups read back.
#ifndef VORLANE_TOOLS_ASSETGEN_PICTURES_H
#define VORLANE_TOOLS_ASSETGEN_PICTURES_H

#include <string>
#include <vector>

#include "tools/assetgen/canvas.h"
#include "tools/assetgen/text.h"

namespace assetgen {

// How a picture is stored. Keyed forms use black as the transparent colour.
enum class Store { PngAlpha, PngOpaque, BmpKeyed, BmpOpaque, Jpeg };

struct PictureRecord {
    std::string path;  // relative to the output root, e.g. "data/image/game/block2.bmp"
    Canvas image;      // the pixels as written (after the store's conversion)
    int across = 1, down = 1, cellW = 0, cellH = 0;  // whole pictures: 1 x 1 of full size
    Store store = Store::PngAlpha;
};

// Converts art for the store, writes it and records it. Cells of w x h; across x down
// of them must match the art's size (checked: a mismatch is a generator fault).
bool EmitPicture(const std::string& path, const Canvas& art, Store store, int across = 1,
                 int down = 1);
const std::vector<PictureRecord>& Pictures();
const PictureRecord* FindPicture(const std::string& path);
Canvas PictureCell(const std::string& path, int cell);  // one cell, empty when unknown

// Shared palette.
Rgba PieceColor(int kind);  // kind 0..6; 7 is the garbage grey
extern const Rgba kInk;     // dark navy outline of all text
extern const Rgba kAccent;  // the highlight colour of menus (gold)
extern const Rgba kSteel;   // frames and gauges

// A bevelled block tile of size s at (x, y); kind 7 draws the garbage block.
void DrawBlockTile(Canvas& c, int x, int y, int s, int kind);
// The rotation-0 shape of a piece kind: 4 x 2 box rows as strings of 'X' and '.'.
const char* PieceRow(int kind, int row);
// Draws a piece centred in the box (x, y, w, h) with blocks of size s.
void DrawPiece(Canvas& c, int kind, int x, int y, int w, int h, int s);

// Menu item of 256 x 32 (or other width): highlighted items sit on a glowing bar.
void DrawMenuItem(Canvas& c, int x, int y, int w, int h, const std::string& label, bool highlighted,
                  Align align = Align::Center, int size = 19);
TextStyle LabelStyle(int size);

void GeneratePlayPictures();       // game/ folder
void GenerateMenuPictures();       // menu/ and config/ folders
void GenerateCommonPictures();     // common/ digits, cursor, BG/Filter.bmp
void GenerateBackgrounds();        // BG/BG001..BG008.jpg
Canvas BackgroundArt(int number);  // 1..8, the art before JPEG coding

}  // namespace assetgen

#endif
