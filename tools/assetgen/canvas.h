// canvas.h - the generator's raster surface: straight (non-premultiplied) RGBA pixels,
// anti-aliased shape filling through signed distances, compositing, and the conversion
// to the black-keyed form the game draws with transparency. Knows nothing of files.
#ifndef VORLANE_TOOLS_ASSETGEN_CANVAS_H
#define VORLANE_TOOLS_ASSETGEN_CANVAS_H

#include <cstdint>
#include <functional>
#include <vector>

namespace assetgen {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
};

constexpr Rgba Rgb(int r, int g, int b, int a = 255) {
    return Rgba{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b),
                static_cast<uint8_t>(a)};
}

Rgba Mix(Rgba a, Rgba b, float t);  // linear mix of all four channels, t in 0..1
Rgba Scale(Rgba c, float k);        // colour times k (alpha kept), clamped
Rgba WithAlpha(Rgba c, int a);

// A shader gives the colour of a point; the shape's coverage multiplies its alpha.
using Shader = std::function<Rgba(float x, float y)>;
// A signed distance: negative inside, positive outside, in pixels.
using Sdf = std::function<float(float x, float y)>;

float SdfRoundRect(float x, float y, float x0, float y0, float x1, float y1, float radius);
float SdfCircle(float x, float y, float cx, float cy, float radius);

class Canvas {
public:
    Canvas() = default;
    Canvas(int width, int height, Rgba fill = Rgba{});
    int width() const { return w_; }
    int height() const { return h_; }
    bool empty() const { return w_ == 0 || h_ == 0; }
    Rgba get(int x, int y) const;
    void set(int x, int y, Rgba c);
    // Source-over with the colour's alpha times coverage (0..1).
    void blend(int x, int y, Rgba c, float coverage = 1.0f);
    void fill(Rgba c);
    void fillRect(int x, int y, int w, int h, Rgba c);
    void fillRectShaded(int x, int y, int w, int h, const Shader& shader);
    void gradientV(int x, int y, int w, int h, Rgba top, Rgba bottom);
    void gradientH(int x, int y, int w, int h, Rgba left, Rgba right);
    void strokeRect(int x, int y, int w, int h, Rgba c, int thickness = 1);
    // Fills the pixels of the box whose centre lies inside the shape (anti-aliased edge).
    void fillSdf(int x0, int y0, int x1, int y1, const Sdf& sdf, const Shader& shader);
    void fillRoundRect(float x0, float y0, float x1, float y1, float radius, Rgba c);
    void fillCircle(float cx, float cy, float r, Rgba c);
    void fillPolygon(const std::vector<float>& xy, Rgba c);  // x0,y0,x1,y1,...; 4x4 samples
    void line(float x0, float y0, float x1, float y1, float width, Rgba c);
    // Composites src over this canvas with its top-left at (dx, dy).
    void draw(const Canvas& src, int dx, int dy, float opacity = 1.0f);
    // Nearest-free bilinear scaling of the whole canvas into a new size.
    Canvas scaled(int width, int height) const;
    Canvas crop(int x, int y, int w, int h) const;
    const std::vector<Rgba>& pixels() const { return px_; }

private:
    int w_ = 0, h_ = 0;
    std::vector<Rgba> px_;
};

// Hard-edged form for colour-key drawing: coverage below half becomes the key colour
// (0,0,0,0); everything else becomes fully opaque in its own colour, lifted so that no
// visible pixel is near-black (a near-black pixel next to the key would read as a halo).
Canvas KeyedForm(const Canvas& c);
// Alpha form for PNGs with an alpha channel: faint pixels are cut to the key, the rest
// keep their coverage as alpha and their own colour, so that drawing by key or by alpha
// both look right.
Canvas AlphaForm(const Canvas& c);
// Opaque form: composites over black (used for pictures drawn without transparency).
Canvas OpaqueForm(const Canvas& c);

// Minimum channel maximum of any visible pixel after KeyedForm / AlphaForm.
constexpr int kMinVisibleLevel = 24;

// A small deterministic generator (xorshift32) for textures and noise.
class Lcg {
public:
    explicit Lcg(uint32_t seed) : s_(seed ? seed : 0x9E3779B9u) {}
    uint32_t next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }
    float unit() { return static_cast<float>(next() >> 8) / 16777216.0f; }  // 0..1
    float signedUnit() { return unit() * 2.0f - 1.0f; }                     // -1..1

private:
    uint32_t s_;
};

}  // namespace assetgen

#endif
