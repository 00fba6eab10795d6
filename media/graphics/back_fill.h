// back_fill.h - what the back screen still owes: the rows that a clear, or a copy of
// a graphic over the whole back screen, has not written yet. Implemented in
// back_fill.cpp; callers hold the API lock.
//
// The rule: a clear or a whole-screen copy of the back screen is only recorded;
// each row is written the first time something needs it. A drawing pays the rows
// it is about to draw on, so it finds them fresh in the cache; everything else that
// uses the back screen's pixels (the flip, a capture, text, the draw state fetched
// settled) pays every row first. A graphic owed from is paid in full before its
// pixels change or go. Every row is written exactly once, as the clear or the copy
// would have written it.
#ifndef PAVEX_GRAPHICS_BACK_FILL_H
#define PAVEX_GRAPHICS_BACK_FILL_H

#include <stdint.h>

#include "media/graphics/screen.h"

struct ImageData;

// Every row of `back` owed black.
void BackFillOweClear(const DrawSurface& back);
// Every row y of `back` owed the `back.width` pixels at source + y * pitch (pitch in
// pixels), the pixels of `data`.
void BackFillOweCopy(const DrawSurface& back, const ImageData* data, const uint32_t* source,
                     int pitch);
// Nothing owed any more: a drawing replaces every pixel, or the surfaces go.
void BackFillForget();
// Rows top..bottom-1 (clamped to the back screen) written now.
void BackFillPay(int64_t top, int64_t bottom);
void BackFillPayAll();
// Before the pixels of `data` change or are freed.
void BackFillBeforeChange(const ImageData* data);
// How many rows are owed (for tests).
int BackFillOwedRows();

#endif
