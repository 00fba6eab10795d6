// backgrounds.cpp - the eight 800 x 600 backgrounds. One mood per level band, from a
// calm night sky at the start to a blazing finale, and a menu backdrop. Every play
// background is darkened where the two wells and the centre panel sit, so the pieces
// and numbers always stand out.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/assetgen/pictures.h"

namespace assetgen {

namespace {

constexpr int W = 800, H = 600;

float Hash(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777215.0f;
}

float ValueNoise(float x, float y, uint32_t seed) {
    const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    const float fx = x - xi, fy = y - yi;
    const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const float a = Hash(xi, yi, seed), b = Hash(xi + 1, yi, seed);
    const float c = Hash(xi, yi + 1, seed), d = Hash(xi + 1, yi + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

float Fbm(float x, float y, uint32_t seed, int octaves = 5) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += ValueNoise(x, y, seed + o * 17) * amp;
        norm += amp;
        x *= 2.03f;
        y *= 2.03f;
        amp *= 0.5f;
    }
    return sum / norm;
}

Rgba Add(Rgba a, Rgba b, float k) {
    auto ch = [&](int x, int y) { return std::min(255, static_cast<int>(x + y * k)); };
    return Rgb(ch(a.r, b.r), ch(a.g, b.g), ch(a.b, b.b));
}

void Stars(Canvas& c, uint32_t seed, int count, float maxY) {
    Lcg rng(seed);
    for (int k = 0; k < count; ++k) {
        const float x = rng.unit() * W, y = rng.unit() * maxY;
        const float size = 0.6f + rng.unit() * rng.unit() * 1.8f;
        const int bright = 120 + static_cast<int>(rng.unit() * 135);
        c.fillCircle(x, y, size, Rgb(bright, bright, std::min(255, bright + 30), 220));
    }
}

void Sky(Canvas& c) {  // level 1-4: calm night with an aurora
    c.fillRectShaded(0, 0, W, H, [](float x, float y) {
        Rgba col = Mix(Rgb(6, 10, 34), Rgb(18, 30, 80), y / H);
        const float band = std::exp(-std::pow((y - 180 - 60 * std::sin(x * 0.008f)) / 70.0f, 2.0f));
        const float curtain = Fbm(x * 0.02f, y * 0.004f, 11, 4);
        return Add(col, Rgb(40, 200, 160), band * curtain * 0.9f);
    });
    Stars(c, 101, 260, H);
}

void Ocean(Canvas& c) {  // level 5-9: deep water with light shafts
    c.fillRectShaded(0, 0, W, H, [](float x, float y) {
        Rgba col = Mix(Rgb(10, 70, 110), Rgb(4, 16, 40), y / H);
        const float ray = std::pow(std::max(0.0f, std::sin((x + y * 0.45f) * 0.018f)), 12.0f);
        const float caustic = Fbm(x * 0.015f, y * 0.015f, 23, 4);
        return Add(col, Rgb(80, 200, 220), ray * (1.0f - y / H) * 0.5f + caustic * 0.12f);
    });
    Lcg rng(202);
    for (int k = 0; k < 70; ++k) {
        const float x = rng.unit() * W, y = rng.unit() * H, r = 1.5f + rng.unit() * 5.0f;
        c.fillCircle(x, y, r, Rgb(150, 230, 255, 60));
        c.fillCircle(x - r * 0.3f, y - r * 0.3f, r * 0.3f, Rgb(230, 250, 255, 120));
    }
}

void Dusk(Canvas& c) {  // level 10-14: neon dusk with a grid horizon
    const float horizon = 390;
    c.fillRectShaded(0, 0, W, H, [=](float x, float y) {
        if (y < horizon) return Mix(Rgb(20, 6, 50), Rgb(150, 40, 120), std::pow(y / horizon, 1.6f));
        const float d = (y - horizon) / (H - horizon);
        Rgba col = Mix(Rgb(40, 6, 60), Rgb(12, 2, 24), d);
        const float z = 40.0f / std::max(d, 0.02f);
        const float gz = std::fabs(std::fmod(z, 40.0f) - 20.0f) < 1.6f / d * 0.2f ? 1.0f : 0.0f;
        const float px = (x - W / 2) / std::max(d, 0.02f);
        const float gx =
            std::fabs(std::fmod(std::fabs(px), 160.0f) - 80.0f) < 2.5f / d ? 1.0f : 0.0f;
        return Add(col, Rgb(255, 60, 200), std::max(gx, gz) * (0.35f + 0.5f * d));
    });
    // The setting sun, cut by stripes.
    c.fillSdf(
        250, 180, 550, 392, [](float x, float y) { return SdfCircle(x, y, 400, 330, 130); },
        [](float x, float y) {
            (void)x;
            const bool gap = y > 300 && std::fmod(y, 14.0f) < (y - 300) / 14.0f;
            return gap ? Rgb(0, 0, 0, 0)
                       : Mix(Rgb(255, 230, 90), Rgb(255, 70, 140), (y - 200) / 190.0f);
        });
    Stars(c, 303, 90, 250);
}

void Circuit(Canvas& c) {  // level 15-19 and the clear round: a glowing circuit board
    c.fillRectShaded(0, 0, W, H, [](float x, float y) {
        Rgba col = Mix(Rgb(4, 30, 30), Rgb(2, 14, 22), y / H);
        const float n = Fbm(x * 0.01f, y * 0.01f, 41, 3);
        return Add(col, Rgb(0, 60, 50), n * 0.5f);
    });
    Lcg rng(404);
    for (int k = 0; k < 90; ++k) {
        float x = std::floor(rng.unit() * 40) * 20, y = std::floor(rng.unit() * 30) * 20;
        const Rgba trace = rng.unit() < 0.5f ? Rgb(40, 220, 170, 150) : Rgb(60, 160, 255, 130);
        for (int seg = 0; seg < 4; ++seg) {
            const int dir = static_cast<int>(rng.unit() * 4);
            const float len = 20 + std::floor(rng.unit() * 5) * 20;
            const float nx = x + (dir == 0 ? len : dir == 1 ? -len : 0);
            const float ny = y + (dir == 2 ? len : dir == 3 ? -len : 0);
            c.line(x, y, nx, ny, 2.0f, trace);
            x = nx;
            y = ny;
        }
        c.fillCircle(x, y, 4, trace);
        c.fillCircle(x, y, 2, Rgb(220, 255, 240));
    }
}

void Nebula(Canvas& c) {  // level 20-24 and network rounds: a burning nebula
    c.fillRectShaded(0, 0, W, H, [](float x, float y) {
        const float n = Fbm(x * 0.004f, y * 0.005f, 51, 6);
        const float m = Fbm(x * 0.008f + 10, y * 0.008f, 57, 5);
        Rgba col =
            Mix(Rgb(20, 4, 20), Rgb(160, 30, 40), std::clamp((n - 0.35f) * 2.2f, 0.0f, 1.0f));
        return Add(col, Rgb(255, 140, 40), std::clamp((m - 0.55f) * 2.5f, 0.0f, 1.0f) * 0.8f);
    });
    Stars(c, 505, 200, H);
}

void Volcano(Canvas& c) {  // level 25-29: cracked lava under a black sky
    c.fillRectShaded(0, 0, W, H, [](float x, float y) {
        const float ridge = 1.0f - std::fabs(Fbm(x * 0.006f, y * 0.006f, 61, 5) * 2.0f - 1.0f);
        const float glow = std::pow(ridge, 8.0f);
        Rgba col = Mix(Rgb(16, 6, 8), Rgb(40, 10, 8), y / H);
        return Add(Add(col, Rgb(255, 80, 10), glow * 0.9f), Rgb(255, 220, 80),
                   std::pow(ridge, 20.0f));
    });
    Lcg rng(606);
    for (int k = 0; k < 120; ++k) {
        const float x = rng.unit() * W, y = rng.unit() * H;
        const float len = 3 + rng.unit() * 8;
        c.line(x, y, x + len * 0.3f, y - len, 1.2f, Rgb(255, 180, 60, 200));
    }
}

void Radiance(Canvas& c) {  // level 30: the finale, golden rays from the centre
    c.fillRectShaded(0, 0, W, H, [](float x, float y) {
        const float dx = x - W / 2, dy = y - H / 2;
        const float r = std::hypot(dx, dy) / 500.0f;
        const float ang = std::atan2(dy, dx);
        const float rays = std::pow(0.5f + 0.5f * std::cos(ang * 18.0f), 3.0f);
        Rgba col = Mix(Rgb(255, 210, 120), Rgb(40, 20, 60), std::min(1.0f, r * 1.4f));
        return Add(col, Rgb(255, 240, 180), rays * (1.0f - std::min(1.0f, r)) * 0.5f);
    });
}

void MenuBackdrop(Canvas& c) {  // menus: deep navy, tumbling block silhouettes, light streaks
    c.fillRectShaded(0, 0, W, H, [](float x, float y) {
        Rgba col = Mix(Rgb(8, 14, 44), Rgb(2, 4, 16), std::hypot(x - 400, y - 260) / 600.0f);
        const float streak = std::pow(std::max(0.0f, std::sin((x - y * 0.6f) * 0.012f)), 30.0f);
        return Add(col, Rgb(60, 110, 220), streak * 0.25f);
    });
    Lcg rng(808);
    for (int k = 0; k < 26; ++k) {
        const int kind = static_cast<int>(rng.unit() * 7);
        const float x = rng.unit() * W, y = rng.unit() * H;
        const int s = 14 + static_cast<int>(rng.unit() * 22);
        Canvas piece(4 * s + 4, 2 * s + 4);
        DrawPiece(piece, kind, 2, 2, 4 * s, 2 * s, s);
        const bool nearItems = x > 200 && x < 600 && y > 160 && y < 400;
        c.draw(piece, static_cast<int>(x) - 2 * s, static_cast<int>(y) - s,
               nearItems ? 0.07f : 0.22f);
    }
    // Floor glow under the menu.
    c.fillRectShaded(0, 440, W, 160, [](float x, float y) {
        (void)x;
        return Rgb(40, 90, 200, static_cast<int>(60 * (y - 440) / 160.0f));
    });
}

// Dark glass behind the wells and the panel.
void DarkenPlayAreas(Canvas& c) {
    auto panel = [&](float x0, float y0, float x1, float y1, int alpha) {
        c.fillSdf(
            static_cast<int>(x0) - 12, static_cast<int>(y0) - 12, static_cast<int>(x1) + 12,
            static_cast<int>(y1) + 12,
            [=](float x, float y) { return SdfRoundRect(x, y, x0, y0, x1, y1, 6) / 8.0f; },
            [=](float, float) { return Rgb(2, 4, 14, alpha); });
    };
    panel(42, 71, 282, 575, 215);
    panel(516, 71, 756, 575, 215);
    panel(310, 66, 488, 296, 150);
    panel(330, 500, 480, 556, 150);
}

}  // namespace

Canvas BackgroundArt(int number) {
    Canvas c(W, H, Rgb(0, 0, 0));
    switch (number) {
        case 1:
            Sky(c);
            break;
        case 2:
            Ocean(c);
            break;
        case 3:
            Dusk(c);
            break;
        case 4:
            Circuit(c);
            break;
        case 5:
            Nebula(c);
            break;
        case 6:
            Volcano(c);
            break;
        case 7:
            Radiance(c);
            break;
        default:
            MenuBackdrop(c);
            break;
    }
    if (number >= 1 && number <= 7) DarkenPlayAreas(c);
    return c;
}

void GenerateBackgrounds() {
    for (int n = 1; n <= 8; ++n) {
        char path[64];
        std::snprintf(path, sizeof path, "data/image/BG/BG%03d.jpg", n);
        EmitPicture(path, BackgroundArt(n), Store::Jpeg);
    }
}

}  // namespace assetgen
