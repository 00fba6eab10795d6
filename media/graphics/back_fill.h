// back_fill.h - what the back screen still owes: the parts that a clear, or a copy
// of a graphic over the whole back screen, has not written yet. Implemented in
// back_fill.cpp; callers hold the API lock.
//
// The rule: a clear or a whole-screen copy of the back screen is only recorded.
// The screen is cut into segments (a row split in 16 bands), and each owed segment
// is written the first time something needs it: a drawing first pays the rows it is
// about to draw on that owe something under it (all their owed segments at once), so
// it finds them fresh in the cache; the flip pays the rest; any other use of the
// back screen's pixels pays everything first. A segment that still
// holds the source's pixels from the last copy, untouched since, is not owed again
// by the next copy of the same, unchanged source: a game that copies its backdrop
// every frame writes only what the last frame drew over. A source is paid in full
// before its pixels change or go, and never trusted again after that.
#ifndef PAVEX_GRAPHICS_BACK_FILL_H
#define PAVEX_GRAPHICS_BACK_FILL_H

#include <stdint.h>

#include "media/graphics/screen.h"

struct ImageData;

// Every segment of `back` owed black.
void BackFillOweClear(const DrawSurface& back);
// Every segment of `back` owed the source: row y is the `back.width` pixels at
// source + y * pitch (pitch in pixels), pixels of `data`.
void BackFillOweCopy(const DrawSurface& back, const ImageData* data, const uint32_t* source,
                     int pitch);
// A drawing replaces every pixel: nothing is owed and nothing holds the source.
void BackFillForget();
// The surfaces go or are made again: as BackFillForget, and the source is forgotten.
void BackFillReset();
// Before a drawing over left..right-1 by top..bottom-1 (clamped to the screen): each
// of its rows that owes a segment it reaches is paid, and no segment it reaches holds
// the source any more.
void BackFillPay(int64_t left, int64_t top, int64_t right, int64_t bottom);
// Before the pixels are read (the flip): every owed segment written.
void BackFillFinish();
// Before the pixels may be written by anyone: every owed segment written, and none
// holds the source any more.
void BackFillPayAll();
// Before the pixels of `data` change or are freed.
void BackFillBeforeChange(const ImageData* data);
// How many rows owe a segment (for tests).
int BackFillOwedRows();

#endif
