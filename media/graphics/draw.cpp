// draw.cpp - DrawImage, DrawImageStretched, MakeColor and the blend mode.
//
// Owns: the public drawing calls: each validates its handle, fetches the draw state
// once and hands the graphic to the software renderer (render.cpp), which clips and
// picks the row routine. A graphic copied whole over the back screen is only owed
// (back_fill.h); a drawing on the back screen first pays the rows it draws on.
// Never touches pixels itself.
#include "media/graphics/draw.h"

#include "media/core/api_lock.h"
#include "media/core/frame.h"
#include "media/graphics/back_fill.h"
#include "media/graphics/graphics.h"
#include "media/graphics/movie.h"
#include "media/graphics/render.h"
#include "media/graphics/screen.h"
#include "pavex.h"

namespace {

// The graphic to draw for `handle` after the checks every drawing call makes first,
// or null: *result is 0 when the clip rectangle is empty, -1 for a bad handle.
const GraphicRecord* Prepare(int handle, int* result) {
    *result = 0;
    if (ScreenClipEmpty()) return nullptr;
    const GraphicRecord* record = GetGraphicRecord(handle);
    if (!record) {
        *result = -1;
        return nullptr;
    }
    FrameWaitWhileInactive();
    if (record->movie != -1) MovieUpdateGraphic(handle);
    return GetGraphicRecord(handle);  // the wait pumps messages: look again
}

// The graphic as the renderer reads it. A graphic drawn onto its own pixels
// changes them while they are read, so its block map is left aside.
RenderSource SourceOf(const GraphicRecord* record, const DrawState& state, int transparent) {
    RenderSource src = GraphicSource(record, transparent);
    if (src.blocks && state.target >= 0) {
        const GraphicRecord* target = GetGraphicRecord(state.target);
        if (target && target->imageData == record->imageData) {
            src.blocks = nullptr;
            src.allSolid = 0;
        }
    }
    return src;
}

// Before a drawing over left..right-1 by top..bottom-1. On the back screen, a plain
// copy of a graphic over all of it (not stretched, no brightness, no blend; the
// graphic's top-left pixel at (left, top)) is owed instead of drawn: true. Otherwise
// what the drawing reaches is paid (back_fill.h), or nothing is owed any more when it
// replaces every pixel.
bool SettleBack(const DrawState& state, const GraphicRecord* record, const RenderSource& src,
                int64_t left, int64_t top, int64_t right, int64_t bottom, int transparent,
                bool stretched) {
    if (state.target != PAVEX_SCREEN_BACK) return false;
    if (!RenderOverwritesTarget(state, src, left, top, right, bottom, transparent)) {
        BackFillPay(left, top, right, bottom);
        return false;
    }
    if (stretched || state.bright != 0xFFFFFFu) {
        BackFillForget();
        return false;
    }
    BackFillOweCopy(state.surface, record->imageData, src.pixels - top * src.pitch - left,
                    src.pitch);
    return true;
}

int DrawImageInternal(int x, int y, int handle, int transparent) {
    int result = 0;
    const GraphicRecord* record = Prepare(handle, &result);
    if (!record) return result;
    const DrawState state = ScreenDrawStateUnsettled();
    // A picture transparency leaves out wholly draws nothing; a pending clear of
    // the back screen stays pending.
    if (transparent && GraphicWhollyClear(record)) {
        ScreenShowFrontIfTarget(state);
        return 0;
    }
    const RenderSource src = SourceOf(record, state, transparent);
    if (SettleBack(state, record, src, x, y, int64_t{x} + src.width, int64_t{y} + src.height,
                   transparent, false))
        return 0;
    RenderImage(state, src, x, y, transparent);
    ScreenShowFrontIfTarget(state);
    return 0;
}

int DrawImageStretchedInternal(int x1, int y1, int x2, int y2, int handle, int transparent) {
    int result = 0;
    const GraphicRecord* record = Prepare(handle, &result);
    if (!record) return result;
    const DrawState state = ScreenDrawStateUnsettled();
    const RenderSource src = SourceOf(record, state, transparent);
    SettleBack(state, record, src, x1 < x2 ? x1 : x2, y1 < y2 ? y1 : y2, x1 < x2 ? x2 : x1,
               y1 < y2 ? y2 : y1, transparent, true);
    RenderImageStretched(state, src, x1, y1, x2, y2, transparent);
    ScreenShowFrontIfTarget(state);
    return 0;
}

}  // namespace

int SelectBlendMode(int mode, int param) {
    ScreenSetBlend(mode, param < 0 ? 0 : param > 255 ? 255 : param);
    return 0;
}

ColorFormat ScreenColourFormat() {
    ColorFormat f;
    if (ScreenColourBits() == 32)
        MakeColorFormat(&f, 32, 0xFF0000u, 0xFF00u, 0xFFu, 0);
    else
        MakeColorFormat(&f, 16, 0xF800u, 0x7E0u, 0x1Fu, 0);
    return f;
}

uint32_t PackColour(const ColorFormat& f, int red, int green, int blue) {
    auto channel = [](int value, int width, int shift) {
        return (static_cast<uint32_t>(value & 255) >> (8 - width)) << shift;
    };
    return channel(red, f.redWidth, f.redShift) + channel(green, f.greenWidth, f.greenShift) +
           channel(blue, f.blueWidth, f.blueShift) + f.noneMask;
}

int DrawImage(int x, int y, int handle, int transparent) {
    ApiScope lock;
    return DrawImageInternal(x, y, handle, transparent);
}

int DrawImageStretched(int x1, int y1, int x2, int y2, int handle, int transparent) {
    ApiScope lock;
    return DrawImageStretchedInternal(x1, y1, x2, y2, handle, transparent);
}

uint32_t MakeColor(int red, int green, int blue) {
    ApiScope lock;
    return PackColour(ScreenColourFormat(), red, green, blue);
}
