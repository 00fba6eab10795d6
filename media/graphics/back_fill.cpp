// back_fill.cpp - the segments the back screen still owes, and those that hold the
// last copied source (see back_fill.h for the rule).
//
// Owns: one record of what is owed (black or one source) and, per row, two masks of
// its 16 segments: owed, and holding the source as it was when copied. Writes only
// the back screen's pixels it was given; never allocates, never logs.
#include "media/graphics/back_fill.h"

#include <string.h>

#include "media/graphics/graphics.h"

namespace {

constexpr int kMaxRows = 16384;  // the tallest screen
constexpr int kBands = 16;
constexpr uint16_t kAllBands = 0xFFFF;

struct Fill {
    DrawSurface back;
    int band;               // pixels per segment (the last one may be narrower)
    bool owedCopy;          // owed segments are owed the source; false: black
    const ImageData* data;  // the source; null: none
    uint32_t changes;       // its pixels' change count when copied
    const uint32_t* source;
    int pitch;
    int owedRows;  // rows with an owed segment
    bool held;     // some segment may hold the source
    uint16_t owed[kMaxRows];
    uint16_t holds[kMaxRows];
} g = {};

bool SameSurface(const DrawSurface& back) {
    return back.pixels == g.back.pixels && back.pitch == g.back.pitch &&
           back.width == g.back.width && back.height == g.back.height;
}

void ForgetHeld() {
    if (g.held) memset(g.holds, 0, sizeof(uint16_t) * static_cast<size_t>(g.back.height));
    g.held = false;
}

// Takes `back` as the surface; false (nothing owed) when it cannot be one.
bool UseSurface(const DrawSurface& back) {
    if (SameSurface(back)) return true;
    BackFillReset();
    if (!back.pixels || back.width <= 0 || back.height <= 0 || back.height > kMaxRows) return false;
    g.back = back;
    g.band = (back.width + kBands - 1) / kBands;
    return true;
}

void OweAll(bool copy) {
    g.owedCopy = copy;
    g.owedRows = 0;
    for (int y = 0; y < g.back.height; ++y) {
        g.owed[y] = copy ? static_cast<uint16_t>(kAllBands & ~g.holds[y]) : kAllBands;
        g.owedRows += g.owed[y] != 0;
    }
}

// Writes the owed segments of row y among `bands`, a run of consecutive ones at a
// time.
void PayRow(int y, uint16_t bands) {
    const uint32_t due = g.owed[y] & bands;
    if (!due) return;
    g.owed[y] = static_cast<uint16_t>(g.owed[y] & ~due);
    g.owedRows -= g.owed[y] == 0;
    if (g.owedCopy) {
        g.holds[y] = static_cast<uint16_t>(g.holds[y] | due);
        g.held = true;
    } else {
        g.holds[y] = static_cast<uint16_t>(g.holds[y] & ~due);
    }
    uint32_t* row = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(g.back.pixels) +
                                                int64_t{y} * g.back.pitch);
    const uint32_t* from = g.owedCopy ? g.source + int64_t{y} * g.pitch : nullptr;
    for (uint32_t rest = due; rest;) {
        const int first = __builtin_ctz(rest);
        const int end = first + __builtin_ctz(~(rest >> first));
        rest &= ~0u << end;
        const int x1 = first * g.band;
        const int x2 = end * g.band < g.back.width ? end * g.band : g.back.width;
        if (x1 >= x2) continue;
        const size_t bytes = static_cast<size_t>(x2 - x1) * 4;
        if (g.owedCopy)
            memcpy(row + x1, from + x1, bytes);
        else
            memset(row + x1, 0, bytes);
    }
}

}  // namespace

void BackFillOweClear(const DrawSurface& back) {
    if (UseSurface(back)) OweAll(false);
}

void BackFillOweCopy(const DrawSurface& back, const ImageData* data, const uint32_t* source,
                     int pitch) {
    if (!UseSurface(back)) return;
    if (data != g.data || data->changes != g.changes || source != g.source || pitch != g.pitch) {
        ForgetHeld();
        g.data = data;
        g.changes = data->changes;
        g.source = source;
        g.pitch = pitch;
    }
    OweAll(true);
}

void BackFillForget() {
    if (g.owedRows) memset(g.owed, 0, sizeof(uint16_t) * static_cast<size_t>(g.back.height));
    g.owedRows = 0;
    ForgetHeld();
}

void BackFillReset() {
    BackFillForget();
    g.data = nullptr;
    g.source = nullptr;
    g.back = DrawSurface{nullptr, 0, 0, 0};
}

void BackFillPay(int64_t left, int64_t top, int64_t right, int64_t bottom) {
    if (!g.owedRows && !g.held) return;
    const int64_t width = g.back.width, height = g.back.height;
    const int64_t x1 = left < 0 ? 0 : left, x2 = right > width ? width : right;
    const int64_t y1 = top < 0 ? 0 : top, y2 = bottom > height ? height : bottom;
    if (x1 >= x2 || y1 >= y2) return;
    const int b1 = static_cast<int>(x1 / g.band), b2 = static_cast<int>((x2 - 1) / g.band);
    const uint16_t bands = static_cast<uint16_t>((kAllBands >> (kBands - 1 - b2 + b1)) << b1);
    for (int y = static_cast<int>(y1); y < y2; ++y) {
        if (g.owed[y] & bands) PayRow(y, kAllBands);
        g.holds[y] = static_cast<uint16_t>(g.holds[y] & ~bands);
    }
}

void BackFillFinish() {
    for (int y = 0; y < g.back.height && g.owedRows; ++y) PayRow(y, kAllBands);
}

void BackFillPayAll() {
    BackFillFinish();
    ForgetHeld();
}

void BackFillBeforeChange(const ImageData* data) {
    if (!data || data != g.data) return;
    BackFillPayAll();
    g.data = nullptr;
}

int BackFillOwedRows() {
    return g.owedRows;
}
