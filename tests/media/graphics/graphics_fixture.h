// graphics_fixture.h - what the graphics tests share: pixels of graphics and of the
// draw target, graphics made in memory, and the test pictures.
#ifndef VORLANE_TESTS_GRAPHICS_FIXTURE_H
#define VORLANE_TESTS_GRAPHICS_FIXTURE_H

#include <stdint.h>

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
// A test picture of images/ (made by images/make_images.py; all are 29 x 17).
inline std::string Image(const std::string& name) {
    return std::string(TEST_IMAGES) + "/" + name;
}

using GraphicsTest = LayerTest;

#endif
