// The software renderer against a plain reference blitter written here from the
// pixel rule: thousands of seeded random draws over every path (opaque, keyed,
// alpha, brightness, stretched, mirrored, clipped, outside, every blend mode, text
// coverage), compared pixel for pixel; and the colour packing of MakeColor.
#include <gtest/gtest.h>

#include <random>

#include "media/graphics/back_fill.h"
#include "media/graphics/draw.h"
#include "media/graphics/render.h"
#include "tests/media/graphics/graphics_fixture.h"

namespace {

using Renderer = GraphicsTest;

constexpr int kW = 72, kH = 40;

struct Picture {
    int w, h;
    bool alpha;  // else black is the colour key
    std::vector<uint32_t> px;
    uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
    // A cell: the rectangle at (x, y) of picture `parent`, sharing its pixels.
    int parent = -1, x = 0, y = 0;
};

struct Settings {
    int mode, param;
    int br[3];  // red, green, blue brightness
    int clip[4];
};

// One destination pixel by the rule, channel by channel (left alone when left out).
void Blend(uint32_t& d, uint32_t s, bool alpha, bool transparent, const Settings& st) {
    int a = 255;
    if (transparent && alpha) {
        a = static_cast<int>(s >> 24);
        if (a == 0) return;
    }
    if (transparent && !alpha && (s & 0xFFFFFF) == 0) return;
    uint32_t out = 0;
    for (int ch = 0; ch < 3; ++ch) {
        const int shift = 16 - 8 * ch;
        const int c = static_cast<int>((s >> shift) & 255) * st.br[ch] / 255;
        const int dc = static_cast<int>((d >> shift) & 255);
        int r;
        switch (st.mode) {
            case 1:
            case 2:
            case 5: {
                const int k = a * st.param / 255;
                r = st.mode == 1 ? (c * k + dc * (255 - k)) / 255 : std::min(255, dc + c * k / 255);
                break;
            }
            case 3:
                r = c * (255 - dc) / 255;
                break;
            case 4:
                r = dc * c / 255;
                break;
            case 8:
                r = dc;
                break;
            default:
                r = a == 255 ? c : (c * a + dc * (255 - a)) / 255;
        }
        out |= static_cast<uint32_t>(r) << shift;
    }
    d = out;
}

// The picture stretched over (x1, y1)-(x2, y2): every destination pixel looks up its
// source pixel on its own.
void ReferenceDraw(std::vector<uint32_t>& screen, const Picture& p, int x1, int y1, int x2, int y2,
                   bool transparent, const Settings& st) {
    const int left = std::min(x1, x2), top = std::min(y1, y2);
    const int64_t w = std::abs(int64_t{x2} - x1), h = std::abs(int64_t{y2} - y1);
    // The clip (its corners in either order) on the screen.
    const int cx = std::max(std::min(st.clip[0], st.clip[2]), 0),
              cy = std::max(std::min(st.clip[1], st.clip[3]), 0);
    for (int y = cy; y < std::min(std::max(st.clip[1], st.clip[3]), kH); ++y)
        for (int x = cx; x < std::min(std::max(st.clip[0], st.clip[2]), kW); ++x) {
            if (x < left || x >= left + w || y < top || y >= top + h) continue;
            int64_t u = ((2 * (x - left) + 1) * p.w) / (2 * w);
            int64_t v = ((2 * (y - top) + 1) * p.h) / (2 * h);
            if (x1 > x2) u = p.w - 1 - u;
            if (y1 > y2) v = p.h - 1 - v;
            Blend(screen[static_cast<size_t>(y) * kW + x],
                  p.At(static_cast<int>(u), static_cast<int>(v)), p.alpha, transparent, st);
        }
}

// Small pictures of random pixels, and wide ones whose runs of 16 columns are
// wholly left out, wholly drawn or mixed, differently in each band of 12 rows.
void Fill(std::mt19937& rng, Picture& p) {
    const uint32_t alphas[] = {0, 255, 1, 128, 254};
    std::vector<int> runs(8);
    for (int& r : runs) r = p.w > 30 ? static_cast<int>(rng() % 3) : 2;
    p.px.clear();
    for (int i = 0; i < p.w * p.h; ++i) {
        const int run = runs[static_cast<size_t>((i / p.w / 12 * 3 + (i % p.w) / 16) % 8)];
        uint32_t c = rng() & 0xFFFFFF;
        if (run == 0 || (run == 2 && rng() % 4 == 0)) c = 0;  // the colour key
        if (run == 1 && c == 0) c = 1;
        const uint32_t a = run < 2 ? 255 * run : rng() % 3 == 0 ? rng() & 255 : alphas[rng() % 5];
        p.px.push_back(c | (p.alpha ? a << 24 : 0xFF000000u));
    }
}

TEST_F(Renderer, MakeColorTheCallsOrderAndThousandsOfRandomDrawsMatchTheReference) {
    // MakeColor packs for the screen format: 16 bits 5-6-5 asked for before start-up,
    // the memory screen's 32 bits after. The drawing calls check the clip before the
    // handle; a clipped drawing over the whole screen leaves a pending clear to the rest.
    EXPECT_EQ(MakeColor(255, 8, 0x107), 0xF840u);  // the low 8 bits of each channel
    Start(kW, kH);
    EXPECT_EQ(MakeColor(255, 128, 0), 0xFFFF8000u);
    SetClipRect(10, 10, 10, 50);
    EXPECT_EQ(DrawImage(0, 0, -1, 0), 0);  // an empty clip draws nothing, whatever the handle
    SetClipRect(0, 0, kW, kH);
    EXPECT_EQ(DrawImageStretched(0, 0, 5, 5, -1, 0), -1);
    const int big = MakeGraphic(kW, kH, false, [](int, int) { return 0xFF405060u; });
    DrawImage(0, 0, big, 1);  // nothing black left for a lost clear to hide behind
    SetClipRect(1, 0, kW, kH);
    ClearScreen();
    DrawImage(0, 0, big, 1);
    EXPECT_EQ(TargetPixel(0, 0) << 24 | TargetPixel(1, 0), 0x405060u);

    // The random draws.
    std::mt19937 rng(20240611);
    std::vector<Picture> pictures;
    std::vector<int> handles;
    for (int i = 0; i < 12; ++i) {
        const bool wide = i >= 8;
        const int w = wide ? 70 + i : 1 + static_cast<int>(rng() % 30);
        pictures.push_back({w, wide ? 30 : 1 + static_cast<int>(rng() % 20), i % 2 == 1, {}});
        Fill(rng, pictures.back());
        const Picture& p = pictures.back();
        handles.push_back(MakeGraphic(p.w, p.h, p.alpha, [&](int x, int y) { return p.At(x, y); }));
    }
    // Cells of the wide pictures, like a well's cells cut from one sheet: within one
    // run of 16 columns (often wholly left out) or across runs from mid-run.
    auto cut = [&](Picture& c) {
        const Picture& from = pictures[static_cast<size_t>(c.parent)];
        c.alpha = from.alpha;
        c.px.clear();
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) c.px.push_back(from.At(c.x + x, c.y + y));
    };
    for (int i = 0; i < 8; ++i) {
        const bool inRun = i < 6;
        Picture c{inRun ? 13 : 30, inRun ? 10 : 24, false, {}, 8 + i % 4};
        c.x = inRun ? 16 * (i % 4) + 2 : 21;
        c.y = i % 3;
        cut(c);
        pictures.push_back(c);
        handles.push_back(DeriveGraphic(c.x, c.y, c.w, c.h, handles[8 + i % 4]));
    }
    std::vector<uint32_t> screen(static_cast<size_t>(kW) * kH);
    for (uint32_t& px : screen) px = rng() & 0xFFFFFF;
    const DrawSurface back = ScreenDrawState().surface;
    for (int i = 0; i < kW * kH; ++i) At(back, i % kW, i / kW) = screen[static_cast<size_t>(i)];

    // A picture larger than the screen, drawn over all of it now and then: without
    // brightness or blending it is only owed, row by row, until something needs the
    // rows; the screen is compared only after some draws, so owed rows outlive a few.
    pictures.push_back({kW + 8, kH + 5, false, {}});
    Fill(rng, pictures.back());
    handles.push_back(
        MakeGraphic(kW + 8, kH + 5, false, [&](int x, int y) { return pictures.back().At(x, y); }));
    const size_t kLarge = pictures.size() - 1;

    const int modes[] = {0, 0, 0, 1, 2, 3, 4, 5, 8, 6};
    const int params[] = {0, 255, 128, 1, 77};
    auto coordinate = [&](int size) { return static_cast<int>(rng() % (size + 60)) - 30; };
    for (int n = 0; n < 4000; ++n) {
        SCOPED_TRACE(n);
        const size_t k = rng() % pictures.size();
        const bool cover = k == kLarge && rng() % 2;
        Settings st = {modes[rng() % 10], params[rng() % 5], {255, 255, 255}, {0, 0, kW, kH}};
        if (cover && rng() % 2) st.mode = 0;
        if (rng() % 2 && !(cover && rng() % 2))
            for (int& b : st.br) b = rng() % 3 == 0 ? 255 : static_cast<int>(rng() % 256);
        if (rng() % 2 && !cover)
            for (int i = 0; i < 4; ++i) st.clip[i] = coordinate(i % 2 ? kH : kW);
        SelectBlendMode(st.mode, st.param);
        SetDrawBrightness(st.br[0], st.br[1], st.br[2]);
        SetClipRect(st.clip[0], st.clip[1], st.clip[2], st.clip[3]);
        Picture& p = pictures[k];
        if (rng() % 25 == 0 && p.parent < 0) {  // new pixels in a graphic drawn before
            Fill(rng, p);
            const DrawSurface s = GraphicSurface(GetGraphicRecord(handles[k]));
            for (int y = 0; y < p.h; ++y)
                for (int x = 0; x < p.w; ++x) At(s, x, y) = p.At(x, y);
            for (Picture& c : pictures)
                if (c.parent == static_cast<int>(k)) cut(c);
        }
        if (rng() % 40 == 0) {  // a cleared screen: black wherever the drawing does not reach
            ClearScreen();
            std::fill(screen.begin(), screen.end(), 0);
        }
        const bool transparent = rng() % 3 != 0 && !cover;
        int x1 = coordinate(kW), y1 = coordinate(kH);
        if (cover) x1 = -static_cast<int>(rng() % 9), y1 = -static_cast<int>(rng() % 6);
        if (rng() % 10 == 0) {  // text coverage: drawn as an alpha picture of one colour
            Picture c = {
                1 + static_cast<int>(rng() % 20), 1 + static_cast<int>(rng() % 20), true, {}};
            const uint32_t colour = rng() & 0xFFFFFF;
            std::vector<uint8_t> cover(static_cast<size_t>(c.w) * c.h);
            for (uint8_t& a : cover) {
                a = rng() % 3 ? static_cast<uint8_t>(rng()) : 0;
                c.px.push_back(colour | uint32_t{a} << 24);
            }
            RenderCoverage(ScreenDrawState(), cover.data(), c.w, c.w, c.h, x1, y1, colour);
            ReferenceDraw(screen, c, x1, y1, x1 + c.w, y1 + c.h, true, st);
        } else if (rng() % 2 || cover) {
            ASSERT_EQ(DrawImage(x1, y1, handles[k], transparent), 0);
            ReferenceDraw(screen, p, x1, y1, x1 + p.w, y1 + p.h, transparent, st);
        } else {
            const int x2 = coordinate(kW), y2 = coordinate(kH);
            ASSERT_EQ(DrawImageStretched(x1, y1, x2, y2, handles[k], transparent), 0);
            ReferenceDraw(screen, p, x1, y1, x2, y2, transparent, st);
        }
        if (rng() % 4 != 0 && n + 1 < 4000) continue;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                ASSERT_EQ(TargetPixel(x, y), screen[static_cast<size_t>(y) * kW + x])
                    << x << "," << y << " mode " << st.mode << " param " << st.param;
    }
}

// A graphic copied over the whole back screen every frame is owed again only where
// the last frame drew over it; it is read before its pixels change or go, so the
// flip shows it as it was drawn.
TEST_F(Renderer, ABackdropCopiedEveryFrameIsOwedWhereDrawnOverAndReadBeforeItChanges) {
    Start(kW, kH);
    const int screen = MakeScreenGraphic(kW, kH);
    auto paint = [&](int red) {
        SelectDrawTarget(screen);
        const int fill = MakeGraphic(kW, kH, false, [&](int, int) { return uint32_t(red) << 16; });
        DrawImage(0, 0, fill, 0);
        SelectDrawTarget(PAVEX_SCREEN_BACK);
    };
    paint(10);
    const int dot = MakeGraphic(3, 4, false, [](int, int) { return 0xFF000001u; });
    DrawImage(0, 0, screen, 0);
    FlipScreen();
    DrawImage(0, 0, screen, 0);
    EXPECT_EQ(BackFillOwedRows(), 0);
    DrawImage(20, 6, dot, 0);
    FlipScreen();
    EXPECT_EQ(script::LastPresented().pixels[6 * kW + 20] & 0xFFFFFF, 1u);
    DrawImage(0, 0, screen, 0);
    EXPECT_EQ(BackFillOwedRows(), 4);
    FlipScreen();
    EXPECT_EQ(script::LastPresented().pixels[9 * kW + 22] & 0xFFFFFF, 10u << 16);
    // Text writes through the draw state; a clear is paid black: neither is taken for
    // the backdrop by the next frame.
    const uint8_t cover[1] = {255};
    RenderCoverage(ScreenDrawState(), cover, 1, 1, 1, 30, 2, 0x000002);
    FlipScreen();
    ClearScreen();
    DrawImage(0, 0, screen, 0);
    EXPECT_EQ(BackFillOwedRows(), kH);
    FlipScreen();
    EXPECT_EQ(script::LastPresented().pixels[2 * kW + 30] & 0xFFFFFF, 10u << 16);
    ClearScreen();
    FlipScreen();
    DrawImage(0, 0, screen, 0);
    DrawImage(20, 6, dot, 0);
    FlipScreen();
    DrawImage(0, 0, screen, 0);
    paint(20);
    FlipScreen();
    EXPECT_EQ(script::LastPresented().pixels[kW * kH - 1] & 0xFFFFFF, 10u << 16);
    EXPECT_EQ(script::LastPresented().pixels[7 * kW + 21] & 0xFFFFFF, 10u << 16);
    DrawImage(0, 0, screen, 0);
    DeleteAllGraphics(0);
    FlipScreen();
    EXPECT_EQ(script::LastPresented().pixels[0] & 0xFFFFFF, 20u << 16);
}

}  // namespace
