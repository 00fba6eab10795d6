// graphics_fixture.h - what the graphics tests share: a started layer with a small
// screen, pixels of graphics and of the draw target, and pictures written as files.
#ifndef VORLANE_TESTS_GRAPHICS_FIXTURE_H
#define VORLANE_TESTS_GRAPHICS_FIXTURE_H

#include <stdint.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "media/graphics/graphics.h"
#include "tests/support/layer_fixture.h"

// Helpers shared by the graphics tests (free functions, so helpers of a test file
// can use them too).
inline uint32_t& At(const DrawSurface& s, int x, int y) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(s.pixels) + y * s.pitch)[x];
}
// A graphic's pixel (0xAARRGGBB) and the draw target's pixel (0x00RRGGBB).
inline uint32_t GraphicPixel(int handle, int x, int y) {
    return At(GraphicSurface(GetGraphicRecord(handle)), x, y);
}
inline uint32_t TargetPixel(int x, int y) {
    return At(ScreenDrawState().surface, x, y) & 0xFFFFFF;
}
// A graphic filled by `pixel`.
inline int MakeGraphic(int w, int h, bool alpha, const std::function<uint32_t(int, int)>& pixel) {
    const int handle = AddGraphic(w, h, alpha ? 1 : 0, 0);
    const DrawSurface s = GraphicSurface(GetGraphicRecord(handle));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) At(s, x, y) = pixel(x, y);
    return handle;
}
// A 24-bit bottom-up BMP file of `pixel` (0x00RRGGBB).
inline void WriteBmp(const std::string& path, int w, int h,
                     const std::function<uint32_t(int, int)>& pixel) {
    const int pitch = (w * 3 + 3) & ~3;
    std::vector<uint8_t> f(54 + static_cast<size_t>(pitch) * h);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) f[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, static_cast<uint32_t>(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(h));
    f[26] = 1;
    f[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = pixel(x, y);
            uint8_t* d = &f[54 + static_cast<size_t>(h - 1 - y) * pitch + 3 * x];
            d[0] = static_cast<uint8_t>(p);
            d[1] = static_cast<uint8_t>(p >> 8);
            d[2] = static_cast<uint8_t>(p >> 16);
        }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(f.data()), static_cast<std::streamsize>(f.size()));
}

using GraphicsTest = LayerTest;

#endif
