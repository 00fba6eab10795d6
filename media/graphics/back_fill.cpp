// back_fill.cpp - the rows the back screen still owes (see back_fill.h for the rule).
//
// Owns: one record of what is owed (black or one source), a flag per row and the
// count of flagged rows. Writes only the back screen's rows it was given; never
// allocates, never logs.
#include "media/graphics/back_fill.h"

#include <string.h>

namespace {

constexpr int kMaxRows = 16384;  // the tallest screen

struct Owed {
    DrawSurface back;
    const ImageData* data;   // the graphic the rows are owed from; null: black
    const uint32_t* source;  // its pixel for row 0, column 0 of the back screen
    int pitch;
    int count;  // rows flagged below
    uint8_t row[kMaxRows];
} g_owed = {};

void Owe(const DrawSurface& back, const ImageData* data, const uint32_t* source, int pitch) {
    if (!back.pixels || back.height <= 0 || back.height > kMaxRows) {
        BackFillForget();
        return;
    }
    g_owed.back = back;
    g_owed.data = data;
    g_owed.source = source;
    g_owed.pitch = pitch;
    g_owed.count = back.height;
    memset(g_owed.row, 1, static_cast<size_t>(back.height));
}

void PayRow(int y) {
    g_owed.row[y] = 0;
    g_owed.count -= 1;
    uint8_t* to = reinterpret_cast<uint8_t*>(g_owed.back.pixels) + int64_t{y} * g_owed.back.pitch;
    const size_t bytes = static_cast<size_t>(g_owed.back.width) * 4;
    if (g_owed.data)
        memcpy(to, g_owed.source + int64_t{y} * g_owed.pitch, bytes);
    else
        memset(to, 0, bytes);
}

}  // namespace

void BackFillOweClear(const DrawSurface& back) {
    Owe(back, nullptr, nullptr, 0);
}

void BackFillOweCopy(const DrawSurface& back, const ImageData* data, const uint32_t* source,
                     int pitch) {
    Owe(back, data, source, pitch);
}

void BackFillForget() {
    g_owed.count = 0;
    g_owed.data = nullptr;
}

void BackFillPay(int64_t top, int64_t bottom) {
    if (g_owed.count == 0) return;
    const int64_t height = g_owed.back.height;
    const int y1 = static_cast<int>(top < 0 ? 0 : top > height ? height : top);
    const int y2 = static_cast<int>(bottom > height ? height : bottom < y1 ? y1 : bottom);
    for (int y = y1; y < y2 && g_owed.count > 0; ++y)
        if (g_owed.row[y]) PayRow(y);
    if (g_owed.count == 0) g_owed.data = nullptr;
}

void BackFillPayAll() {
    BackFillPay(0, g_owed.back.height);
}

void BackFillBeforeChange(const ImageData* data) {
    if (g_owed.count > 0 && data == g_owed.data) BackFillPayAll();
}

int BackFillOwedRows() {
    return g_owed.count;
}
