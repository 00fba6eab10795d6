// render.cpp - the software renderer (see render.h for the pixel rule).
//
// Owns: the row routines and the choice among them. A row routine is one template
// instance per (source fetch, source kind, brightness, blend operation); a drawing
// call picks its instance once from the draw state and runs it over the clipped
// rows. Touches only the destination rows it was given; never allocates, never
// logs, never calls out of this file.
#include "media/graphics/render.h"

#include <stdint.h>
#include <string.h>

#include <utility>

namespace {

// How the source pixel of a destination pixel is found.
enum Fetch { FETCH_DIRECT, FETCH_STRETCH, FETCH_COVERAGE };
// What the source's top byte means for the pixel rule.
enum Kind { KIND_OPAQUE, KIND_KEYED, KIND_ALPHA, KIND_COUNT };
// How the source meets the destination.
enum Op { OP_REPLACE, OP_BLEND, OP_ADD, OP_INVDEST, OP_MUL, OP_COUNT };

struct Params {
    uint32_t key;
    uint32_t br, bg, bb;  // brightness per channel
    uint32_t param;       // blend parameter
    uint32_t colour;      // coverage colour, brightness already applied
};

// One destination row and where its source pixels come from.
struct Span {
    uint32_t* dst;
    int count;
    const uint32_t* src;        // direct: source of dst[0]; stretched: pixel 0 of the source row
    int dir;                    // stretched: +1, or -1 when mirrored (src is the row's last pixel)
    int64_t q, r;               // stretched: source column of dst[0] and the remainder ...
    int64_t qStep, rStep, den;  // ... and how both move per destination pixel
    const uint8_t* cov;         // coverage of dst[0]
};

using RowFn = void (*)(const Span&, const Params&);

// Exact x / 255 (rounded down) for 0 <= x <= 65534.
inline uint32_t Div255(uint32_t x) {
    return (x + 1 + (x >> 8)) >> 8;
}

inline uint32_t Min255(uint32_t x) {
    return x > 255 ? 255 : x;
}

template <int K, bool B, int O>
inline void Put(uint32_t* d, uint32_t s, const Params& p) {
    uint32_t a = 255;
    if constexpr (K == KIND_KEYED) {
        if ((s & 0xFFFFFFu) == p.key) return;
    } else if constexpr (K == KIND_ALPHA) {
        a = s >> 24;
        if (a == 0) return;
    }
    if constexpr (!B && O == OP_REPLACE && K != KIND_ALPHA) {
        *d = s;
        return;
    }
    uint32_t r = (s >> 16) & 255, g = (s >> 8) & 255, b = s & 255;
    if constexpr (B) {
        r = Div255(r * p.br);
        g = Div255(g * p.bg);
        b = Div255(b * p.bb);
    }
    const uint32_t dv = *d;
    uint32_t dr = (dv >> 16) & 255, dg = (dv >> 8) & 255, db = dv & 255;
    if constexpr (O == OP_REPLACE || O == OP_BLEND) {
        if constexpr (O == OP_BLEND) a = Div255(a * p.param);
        if (a == 255) {
            *d = r << 16 | g << 8 | b;
            return;
        }
        const uint32_t ia = 255 - a;
        dr = Div255(r * a + dr * ia);
        dg = Div255(g * a + dg * ia);
        db = Div255(b * a + db * ia);
    } else if constexpr (O == OP_ADD) {
        a = Div255(a * p.param);
        dr = Min255(dr + Div255(r * a));
        dg = Min255(dg + Div255(g * a));
        db = Min255(db + Div255(b * a));
    } else if constexpr (O == OP_INVDEST) {
        dr = Div255(r * (255 - dr));
        dg = Div255(g * (255 - dg));
        db = Div255(b * (255 - db));
    } else {
        dr = Div255(dr * r);
        dg = Div255(dg * g);
        db = Div255(db * b);
    }
    *d = dr << 16 | dg << 8 | db;
}

template <int F, int K, bool B, int O>
void Row(const Span& sp, const Params& p) {
    uint32_t* d = sp.dst;
    const int n = sp.count;
    if constexpr (F == FETCH_DIRECT) {
        if constexpr (K == KIND_OPAQUE && !B && O == OP_REPLACE) {
            memcpy(d, sp.src, static_cast<size_t>(n) * 4);
        } else {
            const uint32_t* s = sp.src;
            for (int i = 0; i < n; ++i) Put<K, B, O>(d + i, s[i], p);
        }
    } else if constexpr (F == FETCH_STRETCH) {
        int64_t q = sp.q, r = sp.r;
        const uint32_t* s = sp.src;
        const int dir = sp.dir;
        for (int i = 0; i < n; ++i) {
            Put<K, B, O>(d + i, s[dir * q], p);
            q += sp.qStep;
            r += sp.rStep;
            if (r >= sp.den) {
                r -= sp.den;
                ++q;
            }
        }
    } else {
        const uint8_t* c = sp.cov;
        for (int i = 0; i < n; ++i)
            Put<KIND_ALPHA, false, O>(d + i, p.colour | uint32_t{c[i]} << 24, p);
    }
}

// The row routines of one fetch kind, indexed [kind][bright][op].
template <int F>
struct RowTable {
    RowFn fn[KIND_COUNT][2][OP_COUNT];
};

template <int F, int K, bool B, int... O>
constexpr void FillOps(RowTable<F>& t, std::integer_sequence<int, O...>) {
    ((t.fn[K][B][O] = &Row<F, K, B, O>), ...);
}

template <int F>
constexpr RowTable<F> MakeTable() {
    RowTable<F> t{};
    using Ops = std::make_integer_sequence<int, OP_COUNT>;
    FillOps<F, KIND_OPAQUE, false>(t, Ops{});
    FillOps<F, KIND_OPAQUE, true>(t, Ops{});
    FillOps<F, KIND_KEYED, false>(t, Ops{});
    FillOps<F, KIND_KEYED, true>(t, Ops{});
    FillOps<F, KIND_ALPHA, false>(t, Ops{});
    FillOps<F, KIND_ALPHA, true>(t, Ops{});
    return t;
}

constexpr RowTable<FETCH_DIRECT> kDirectRows = MakeTable<FETCH_DIRECT>();
constexpr RowTable<FETCH_STRETCH> kStretchRows = MakeTable<FETCH_STRETCH>();
constexpr RowTable<FETCH_COVERAGE> kCoverageRows = MakeTable<FETCH_COVERAGE>();

// The operation for the state's blend mode, or -1 when the mode draws nothing.
int OpOf(const DrawState& st, Params* p) {
    const uint32_t param = static_cast<uint32_t>(st.blendParam < 0     ? 0
                                                 : st.blendParam > 255 ? 255
                                                                       : st.blendParam);
    p->param = param;
    switch (st.blendMode) {
        case 1:  // at parameter 255 the alpha blend is the plain rule
            return param == 0 ? -1 : param == 255 ? OP_REPLACE : OP_BLEND;
        case 2:
        case 5:
            return param == 0 ? -1 : OP_ADD;
        case 3:
            return OP_INVDEST;
        case 4:
            return OP_MUL;
        case 8:
            return -1;
        default:
            return OP_REPLACE;
    }
}

void SetBright(const DrawState& st, Params* p) {
    p->br = (st.bright >> 16) & 255;
    p->bg = (st.bright >> 8) & 255;
    p->bb = st.bright & 255;
}

// The visible part of a destination rectangle [x1, x2) x [y1, y2): false when none.
struct Box {
    int x1, y1, x2, y2;
};
bool ClipBox(const DrawState& st, int64_t x1, int64_t y1, int64_t x2, int64_t y2, Box* out) {
    if (!st.surface.pixels || st.clipEmpty) return false;
    int64_t cx1 = st.clip.x1 < 0 ? 0 : st.clip.x1, cy1 = st.clip.y1 < 0 ? 0 : st.clip.y1;
    int64_t cx2 = st.clip.x2 > st.surface.width ? st.surface.width : st.clip.x2;
    int64_t cy2 = st.clip.y2 > st.surface.height ? st.surface.height : st.clip.y2;
    if (x1 < cx1) x1 = cx1;
    if (y1 < cy1) y1 = cy1;
    if (x2 > cx2) x2 = cx2;
    if (y2 > cy2) y2 = cy2;
    if (x1 >= x2 || y1 >= y2) return false;
    *out =
        Box{static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2), static_cast<int>(y2)};
    return true;
}

inline uint32_t* DestRow(const DrawState& st, int y) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(st.surface.pixels) +
                                       static_cast<int64_t>(y) * st.surface.pitch);
}

int KindOf(const RenderSource& src, int transparent) {
    if (!transparent) return KIND_OPAQUE;
    return src.hasAlpha ? KIND_ALPHA : KIND_KEYED;
}

}  // namespace

void RenderImage(const DrawState& st, const RenderSource& src, int x, int y, int transparent) {
    if (!src.pixels || src.width <= 0 || src.height <= 0) return;
    Params p;
    const int op = OpOf(st, &p);
    Box box;
    if (op < 0 || !ClipBox(st, x, y, static_cast<int64_t>(x) + src.width,
                           static_cast<int64_t>(y) + src.height, &box))
        return;
    SetBright(st, &p);
    p.key = src.colorKey & 0xFFFFFFu;
    const RowFn fn = kDirectRows.fn[KindOf(src, transparent)][st.bright != 0xFFFFFFu][op];
    Span sp = {};
    sp.count = box.x2 - box.x1;
    for (int row = box.y1; row < box.y2; ++row) {
        sp.dst = DestRow(st, row) + box.x1;
        sp.src = src.pixels + static_cast<int64_t>(row - y) * src.pitch + (box.x1 - x);
        fn(sp, p);
    }
}

void RenderImageStretched(const DrawState& st, const RenderSource& src, int x1, int y1, int x2,
                          int y2, int transparent) {
    if (!src.pixels || src.width <= 0 || src.height <= 0) return;
    Params p;
    const int op = OpOf(st, &p);
    const bool mirrorX = x1 > x2, mirrorY = y1 > y2;
    const int64_t left = mirrorX ? x2 : x1, top = mirrorY ? y2 : y1;
    const int64_t w = mirrorX ? int64_t{x1} - x2 : int64_t{x2} - x1;
    const int64_t h = mirrorY ? int64_t{y1} - y2 : int64_t{y2} - y1;
    Box box;
    if (op < 0 || w == 0 || h == 0 || !ClipBox(st, left, top, left + w, top + h, &box)) return;
    SetBright(st, &p);
    p.key = src.colorKey & 0xFFFFFFu;
    const RowFn fn = kStretchRows.fn[KindOf(src, transparent)][st.bright != 0xFFFFFFu][op];

    // Column i of the span shows source column (2i + 1) * width / (2w): a quotient
    // and remainder that move by a fixed step per pixel.
    Span sp = {};
    sp.count = box.x2 - box.x1;
    sp.den = 2 * w;
    const int64_t first = (2 * (box.x1 - left) + 1) * src.width;
    sp.q = first / sp.den;
    sp.r = first % sp.den;
    sp.qStep = (2 * int64_t{src.width}) / sp.den;
    sp.rStep = (2 * int64_t{src.width}) % sp.den;
    sp.dir = mirrorX ? -1 : 1;
    const int64_t startColumn = mirrorX ? src.width - 1 : 0;
    for (int row = box.y1; row < box.y2; ++row) {
        int64_t v = ((2 * (row - top) + 1) * src.height) / (2 * h);
        if (mirrorY) v = src.height - 1 - v;
        sp.dst = DestRow(st, row) + box.x1;
        sp.src = src.pixels + v * src.pitch + startColumn;
        fn(sp, p);
    }
}

void RenderCoverage(const DrawState& st, const uint8_t* coverage, int pitch, int width, int height,
                    int x, int y, uint32_t colour) {
    if (!coverage || width <= 0 || height <= 0) return;
    Params p;
    const int op = OpOf(st, &p);
    Box box;
    if (op < 0 ||
        !ClipBox(st, x, y, static_cast<int64_t>(x) + width, static_cast<int64_t>(y) + height, &box))
        return;
    SetBright(st, &p);
    p.colour = Div255(((colour >> 16) & 255) * p.br) << 16 |
               Div255(((colour >> 8) & 255) * p.bg) << 8 | Div255((colour & 255) * p.bb);
    p.key = 0;
    const RowFn fn = kCoverageRows.fn[KIND_ALPHA][0][op];
    Span sp = {};
    sp.count = box.x2 - box.x1;
    for (int row = box.y1; row < box.y2; ++row) {
        sp.dst = DestRow(st, row) + box.x1;
        sp.cov = coverage + static_cast<int64_t>(row - y) * pitch + (box.x1 - x);
        fn(sp, p);
    }
}
