// canvas.cpp - raster surface, shape filling and the keyed/alpha/opaque output forms.
// Owns pixel arithmetic only; file formats live in image_files.cpp.
#include "tools/assetgen/canvas.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

uint8_t ClampByte(float v) {
    if (v <= 0.0f) return 0;
    if (v >= 255.0f) return 255;
    return static_cast<uint8_t>(v + 0.5f);
}

}  // namespace

Rgba Mix(Rgba a, Rgba b, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return Rgba{ClampByte(a.r + (b.r - a.r) * t), ClampByte(a.g + (b.g - a.g) * t),
                ClampByte(a.b + (b.b - a.b) * t), ClampByte(a.a + (b.a - a.a) * t)};
}

Rgba Scale(Rgba c, float k) {
    return Rgba{ClampByte(c.r * k), ClampByte(c.g * k), ClampByte(c.b * k), c.a};
}

Rgba WithAlpha(Rgba c, int a) {
    c.a = static_cast<uint8_t>(std::clamp(a, 0, 255));
    return c;
}

float SdfRoundRect(float x, float y, float x0, float y0, float x1, float y1, float radius) {
    const float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    const float hx = (x1 - x0) * 0.5f - radius, hy = (y1 - y0) * 0.5f - radius;
    const float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

float SdfCircle(float x, float y, float cx, float cy, float radius) {
    return std::hypot(x - cx, y - cy) - radius;
}

Canvas::Canvas(int width, int height, Rgba fill)
    : w_(std::max(width, 0)),
      h_(std::max(height, 0)),
      px_(static_cast<size_t>(w_) * static_cast<size_t>(h_), fill) {}

Rgba Canvas::get(int x, int y) const {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return Rgba{};
    return px_[static_cast<size_t>(y) * w_ + x];
}

void Canvas::set(int x, int y, Rgba c) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    px_[static_cast<size_t>(y) * w_ + x] = c;
}

void Canvas::blend(int x, int y, Rgba c, float coverage) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    const float sa = (c.a / 255.0f) * std::clamp(coverage, 0.0f, 1.0f);
    if (sa <= 0.0f) return;
    Rgba& d = px_[static_cast<size_t>(y) * w_ + x];
    const float da = d.a / 255.0f;
    const float oa = sa + da * (1.0f - sa);
    if (oa <= 0.0f) {
        d = Rgba{};
        return;
    }
    auto ch = [&](uint8_t s, uint8_t dst) {
        return ClampByte((s * sa + dst * da * (1.0f - sa)) / oa);
    };
    d = Rgba{ch(c.r, d.r), ch(c.g, d.g), ch(c.b, d.b), ClampByte(oa * 255.0f)};
}

void Canvas::fill(Rgba c) {
    std::fill(px_.begin(), px_.end(), c);
}

void Canvas::fillRect(int x, int y, int w, int h, Rgba c) {
    for (int j = std::max(y, 0); j < std::min(y + h, h_); ++j)
        for (int i = std::max(x, 0); i < std::min(x + w, w_); ++i) blend(i, j, c);
}

void Canvas::fillRectShaded(int x, int y, int w, int h, const Shader& shader) {
    for (int j = std::max(y, 0); j < std::min(y + h, h_); ++j)
        for (int i = std::max(x, 0); i < std::min(x + w, w_); ++i)
            blend(i, j, shader(i + 0.5f, j + 0.5f));
}

void Canvas::gradientV(int x, int y, int w, int h, Rgba top, Rgba bottom) {
    fillRectShaded(x, y, w, h, [&](float, float py) {
        return Mix(top, bottom, h > 1 ? (py - y - 0.5f) / (h - 1) : 0.0f);
    });
}

void Canvas::gradientH(int x, int y, int w, int h, Rgba left, Rgba right) {
    fillRectShaded(x, y, w, h, [&](float px, float) {
        return Mix(left, right, w > 1 ? (px - x - 0.5f) / (w - 1) : 0.0f);
    });
}

void Canvas::strokeRect(int x, int y, int w, int h, Rgba c, int t) {
    fillRect(x, y, w, t, c);
    fillRect(x, y + h - t, w, t, c);
    fillRect(x, y + t, t, h - 2 * t, c);
    fillRect(x + w - t, y + t, t, h - 2 * t, c);
}

void Canvas::fillSdf(int x0, int y0, int x1, int y1, const Sdf& sdf, const Shader& shader) {
    for (int j = std::max(y0, 0); j < std::min(y1, h_); ++j) {
        for (int i = std::max(x0, 0); i < std::min(x1, w_); ++i) {
            const float px = i + 0.5f, py = j + 0.5f;
            const float cov = std::clamp(0.5f - sdf(px, py), 0.0f, 1.0f);
            if (cov > 0.0f) blend(i, j, shader(px, py), cov);
        }
    }
}

void Canvas::fillRoundRect(float x0, float y0, float x1, float y1, float radius, Rgba c) {
    fillSdf(
        static_cast<int>(std::floor(x0)) - 1, static_cast<int>(std::floor(y0)) - 1,
        static_cast<int>(std::ceil(x1)) + 1, static_cast<int>(std::ceil(y1)) + 1,
        [=](float x, float y) { return SdfRoundRect(x, y, x0, y0, x1, y1, radius); },
        [=](float, float) { return c; });
}

void Canvas::fillCircle(float cx, float cy, float r, Rgba c) {
    fillSdf(
        static_cast<int>(cx - r) - 2, static_cast<int>(cy - r) - 2, static_cast<int>(cx + r) + 2,
        static_cast<int>(cy + r) + 2, [=](float x, float y) { return SdfCircle(x, y, cx, cy, r); },
        [=](float, float) { return c; });
}

void Canvas::fillPolygon(const std::vector<float>& xy, Rgba c) {
    const size_t n = xy.size() / 2;
    if (n < 3) return;
    float minx = xy[0], maxx = xy[0], miny = xy[1], maxy = xy[1];
    for (size_t k = 0; k < n; ++k) {
        minx = std::min(minx, xy[2 * k]);
        maxx = std::max(maxx, xy[2 * k]);
        miny = std::min(miny, xy[2 * k + 1]);
        maxy = std::max(maxy, xy[2 * k + 1]);
    }
    auto inside = [&](float px, float py) {
        bool in = false;
        for (size_t a = 0, b = n - 1; a < n; b = a++) {
            const float ax = xy[2 * a], ay = xy[2 * a + 1], bx = xy[2 * b], by = xy[2 * b + 1];
            if ((ay > py) != (by > py) && px < (bx - ax) * (py - ay) / (by - ay) + ax) in = !in;
        }
        return in;
    };
    for (int j = std::max(static_cast<int>(miny) - 1, 0);
         j < std::min(static_cast<int>(maxy) + 2, h_); ++j) {
        for (int i = std::max(static_cast<int>(minx) - 1, 0);
             i < std::min(static_cast<int>(maxx) + 2, w_); ++i) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    if (inside(i + (sx + 0.5f) / 4.0f, j + (sy + 0.5f) / 4.0f)) ++hits;
            if (hits) blend(i, j, c, hits / 16.0f);
        }
    }
}

void Canvas::line(float x0, float y0, float x1, float y1, float width, Rgba c) {
    const float dx = x1 - x0, dy = y1 - y0;
    const float len2 = std::max(dx * dx + dy * dy, 1e-6f);
    const float r = width * 0.5f;
    fillSdf(
        static_cast<int>(std::min(x0, x1) - r) - 2, static_cast<int>(std::min(y0, y1) - r) - 2,
        static_cast<int>(std::max(x0, x1) + r) + 2, static_cast<int>(std::max(y0, y1) + r) + 2,
        [=](float x, float y) {
            const float t = std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0f, 1.0f);
            return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - r;
        },
        [=](float, float) { return c; });
}

void Canvas::draw(const Canvas& src, int dx, int dy, float opacity) {
    for (int j = 0; j < src.h_; ++j)
        for (int i = 0; i < src.w_; ++i) blend(dx + i, dy + j, src.get(i, j), opacity);
}

Canvas Canvas::scaled(int width, int height) const {
    Canvas out(width, height);
    if (empty() || out.empty()) return out;
    for (int j = 0; j < height; ++j) {
        const float sy = std::clamp((j + 0.5f) * h_ / height - 0.5f, 0.0f, h_ - 1.0f);
        const int y0 = static_cast<int>(sy), y1 = std::min(y0 + 1, h_ - 1);
        const float fy = sy - y0;
        for (int i = 0; i < width; ++i) {
            const float sx = std::clamp((i + 0.5f) * w_ / width - 0.5f, 0.0f, w_ - 1.0f);
            const int x0 = static_cast<int>(sx), x1 = std::min(x0 + 1, w_ - 1);
            const float fx = sx - x0;
            // Weight the colour by alpha so transparent neighbours do not darken edges.
            float acc[4] = {0, 0, 0, 0};
            const Rgba p[4] = {get(x0, y0), get(x1, y0), get(x0, y1), get(x1, y1)};
            const float wgt[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
            for (int k = 0; k < 4; ++k) {
                const float wa = wgt[k] * p[k].a;
                acc[0] += p[k].r * wa;
                acc[1] += p[k].g * wa;
                acc[2] += p[k].b * wa;
                acc[3] += wa;
            }
            if (acc[3] > 0.0f)
                out.set(i, j,
                        Rgba{ClampByte(acc[0] / acc[3]), ClampByte(acc[1] / acc[3]),
                             ClampByte(acc[2] / acc[3]), ClampByte(acc[3])});
        }
    }
    return out;
}

Canvas Canvas::crop(int x, int y, int w, int h) const {
    Canvas out(w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) out.set(i, j, get(x + i, y + j));
    return out;
}

namespace {

Rgba Lift(Rgba c) {
    const int m = std::max({c.r, c.g, c.b});
    if (m >= kMinVisibleLevel) return c;
    if (m == 0) return Rgb(kMinVisibleLevel, kMinVisibleLevel, kMinVisibleLevel, c.a);
    const float k = static_cast<float>(kMinVisibleLevel) / m;
    Rgba o = Scale(c, k);
    o.a = c.a;
    // Rounding may leave the maximum one step short.
    if (std::max({o.r, o.g, o.b}) < kMinVisibleLevel) return Rgb(o.r + 1, o.g + 1, o.b + 1, c.a);
    return o;
}

}  // namespace

Canvas KeyedForm(const Canvas& c) {
    Canvas out(c.width(), c.height());
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const Rgba p = c.get(x, y);
            if (p.a >= 128) out.set(x, y, WithAlpha(Lift(p), 255));
        }
    return out;
}

Canvas AlphaForm(const Canvas& c) {
    Canvas out(c.width(), c.height());
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const Rgba p = c.get(x, y);
            if (p.a >= 96) out.set(x, y, Lift(p));
        }
    return out;
}

Canvas OpaqueForm(const Canvas& c) {
    Canvas out(c.width(), c.height(), Rgb(0, 0, 0));
    out.draw(c, 0, 0);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) out.set(x, y, WithAlpha(out.get(x, y), 255));
    return out;
}

}  // namespace assetgen
