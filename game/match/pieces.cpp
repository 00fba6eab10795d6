// pieces.cpp - the shape table of the seven kinds and the direction mapping.
//
// Owns the constant shapes (a block cell holds kind + 1) and the translation of pad
// bits into one direction code. It must not move pieces or read the well.
#include "match/pieces.h"

#include <string.h>

namespace {

// Each rotation is written as four rows of four characters, 'X' for a block. Rotation
// r + 1 is rotation r turned a quarter turn counter-clockwise.
// clang-format off
constexpr const char* kShapeRows[kKindCount][4][kBoxSize] = {
    // kind 0: the long bar
    {{"....", "XXXX", "....", "...."},
     {"..X.", "..X.", "..X.", "..X."},
     {"....", "XXXX", "....", "...."},
     {"..X.", "..X.", "..X.", "..X."}},
    // kind 1
    {{"....", "XXX.", "X...", "...."},
     {".X..", ".X..", ".XX.", "...."},
     {"....", "..X.", "XXX.", "...."},
     {"XX..", ".X..", ".X..", "...."}},
    // kind 2
    {{"....", "XXX.", "..X.", "...."},
     {".XX.", ".X..", ".X..", "...."},
     {"....", "X...", "XXX.", "...."},
     {".X..", ".X..", "XX..", "...."}},
    // kind 3
    {{"....", "XXX.", ".X..", "...."},
     {".X..", ".XX.", ".X..", "...."},
     {"....", ".X..", "XXX.", "...."},
     {".X..", "XX..", ".X..", "...."}},
    // kind 4
    {{"....", "XX..", ".XX.", "...."},
     {"..X.", ".XX.", ".X..", "...."},
     {"....", "XX..", ".XX.", "...."},
     {"..X.", ".XX.", ".X..", "...."}},
    // kind 5
    {{"....", ".XX.", "XX..", "...."},
     {"X...", "XX..", ".X..", "...."},
     {"....", ".XX.", "XX..", "...."},
     {"X...", "XX..", ".X..", "...."}},
    // kind 6: the square
    {{"....", ".XX.", ".XX.", "...."},
     {"....", ".XX.", ".XX.", "...."},
     {"....", ".XX.", ".XX.", "...."},
     {"....", ".XX.", ".XX.", "...."}},
};
// clang-format on

struct ShapeTable {
    int32_t cells[kKindCount][4][kBoxSize][kBoxSize];
};

constexpr ShapeTable MakeShapeTable() {
    ShapeTable table = {};
    for (int kind = 0; kind < kKindCount; ++kind) {
        for (int rot = 0; rot < 4; ++rot) {
            for (int r = 0; r < kBoxSize; ++r) {
                for (int c = 0; c < kBoxSize; ++c) {
                    table.cells[kind][rot][r][c] =
                        kShapeRows[kind][rot][r][c] == 'X' ? kind + 1 : 0;
                }
            }
        }
    }
    return table;
}

constexpr ShapeTable kShapeTable = MakeShapeTable();

}  // namespace

int LoadShape(PieceMatrix& matrix, int step, int kind, int rotation) {
    int next = rotation & 3;
    if (step == kShapePrevious) next = (next + 3) & 3;
    if (step == kShapeNext) next = (next + 1) & 3;
    if (kind < 0 || kind >= kKindCount) {
        memset(matrix, 0, sizeof(PieceMatrix));
        return next;
    }
    memcpy(matrix, kShapeTable.cells[kind][next], sizeof(PieceMatrix));
    return next;
}

int MapDirection(int pad) {
    if ((pad & 0xF0000) == 0) return pad & 0xF;
    const int g = (pad >> 16) & 15;
    switch (g) {
        case 1:
            return kDirUp;
        case 2:
            return kDirRight;
        case 4:
            return kDirDown;
        case 6:
            return kDirRight;
        case 8:
            return kDirLeft;
        case 12:
            return kDirLeft;
        default:
            return g;
    }
}
