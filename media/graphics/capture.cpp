// capture.cpp - SaveScreenToBmp: a rectangle of the draw screen written as a 24-bit
// bottom-up BMP file.
//
// Owns: the file layout (14-byte file header, 40-byte information header, rows
// padded to 4 bytes, the bottom row first) and the row buffer while it is built.
// Reads the draw target through the draw state only; the file is written whole or
// not at all through plat_save.h.
#include <string.h>

#include "media/core/api_lock.h"
#include "media/core/frame.h"
#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
#include "media/graphics/screen.h"
#include "media/platform/plat_save.h"
#include "pavex.h"

namespace {

constexpr int kHeaderBytes = 54;

void PutLe16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void PutLe32(uint8_t* p, uint32_t v) {
    PutLe16(p, v);
    PutLe16(p + 2, v >> 16);
}

int Clamp(int v, int lo, int hi) {
    return v < lo ? lo : v > hi ? hi : v;
}

int SaveScreenToBmpInternal(int x1, int y1, int x2, int y2, const char* fileName) {
    if (!ScreenStarted()) return -1;
    FrameWaitWhileInactive();
    const DrawState state = ScreenDrawState();
    if (x2 < x1) x2 = x1;
    if (y2 < y1) y2 = y1;
    x1 = Clamp(x1, state.clip.x1, state.clip.x2);
    x2 = Clamp(x2, state.clip.x1, state.clip.x2);
    y1 = Clamp(y1, state.clip.y1, state.clip.y2);
    y2 = Clamp(y2, state.clip.y1, state.clip.y2);
    const int w = x2 - x1, h = y2 - y1;
    if (w <= 0 || h <= 0) return -1;
    const DrawSurface& s = state.surface;
    if (!s.pixels || x2 > s.width || y2 > s.height) {
        LogString("作業用サーフェスのロックに失敗しました\n");
        return -1;
    }

    const size_t rowBytes = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
    const size_t pixelBytes = rowBytes * static_cast<size_t>(h);
    uint8_t header[kHeaderBytes] = {'B', 'M'};
    PutLe32(header + 2, static_cast<uint32_t>(kHeaderBytes + pixelBytes));
    PutLe32(header + 10, kHeaderBytes);
    PutLe32(header + 14, 40);
    PutLe32(header + 18, static_cast<uint32_t>(w));
    PutLe32(header + 22, static_cast<uint32_t>(h));
    PutLe16(header + 26, 1);
    PutLe16(header + 28, 24);
    uint8_t* rows = static_cast<uint8_t*>(PAVEX_ALLOC_ZERO(pixelBytes));
    if (!rows) {
        LogString("グラフィック保存用メモリの確保に失敗しました\n");
        return 0;
    }
    for (int row = 0; row < h; ++row) {
        const uint32_t* src =
            reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(s.pixels) +
                                              static_cast<size_t>(y2 - 1 - row) * s.pitch) +
            x1;
        uint8_t* dst = rows + static_cast<size_t>(row) * rowBytes;
        for (int x = 0; x < w; ++x) {
            dst[3 * x] = static_cast<uint8_t>(src[x]);
            dst[3 * x + 1] = static_cast<uint8_t>(src[x] >> 8);
            dst[3 * x + 2] = static_cast<uint8_t>(src[x] >> 16);
        }
    }
    const PlatSavePart parts[2] = {{header, sizeof header}, {rows, pixelBytes}};
    if (!fileName || PlatSaveFile(fileName, parts, 2) != 0)
        LogString("ＢＭＰセーブ用ファイルのオープンに失敗しました\n");
    TrackedFree(rows);
    return 0;
}

}  // namespace

int SaveScreenToBmp(int x1, int y1, int x2, int y2, const char* fileName) {
    ApiScope lock;
    return SaveScreenToBmpInternal(x1, y1, x2, y2, fileName);
}
