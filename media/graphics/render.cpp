// render.cpp - the software renderer (see render.h for the pixel rule).
//
// Owns: the row routines, the choice among them and two static scratch rows for
// stretching. A row routine is one template instance per (source kind, brightness,
// blend operation); a drawing call picks its instance once from the draw state and
// runs it over the clipped rows, skipping or copying the runs of pixels the
// source's block map (see render.h) shows wholly left out or wholly drawn. A
// stretched drawing first gathers each row's source pixels, then runs the same
// routine. Touches only the destination rows it was given; never allocates, never
// logs, never calls out of this file.
#include "media/graphics/render.h"

#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// What the source's top byte means for the pixel rule.
enum Kind { KIND_OPAQUE, KIND_KEYED, KIND_ALPHA, KIND_COUNT };
// How the source meets the destination.
enum Op { OP_REPLACE, OP_BLEND, OP_ADD, OP_INVDEST, OP_MUL, OP_COUNT };

// The widest span a row routine is given (the largest draw target).
constexpr int kMaxSpan = 16384;
constexpr int kPrefetchRows = 16;

struct Params {
    uint32_t key;
    uint32_t br, bg, bb;  // brightness per channel
    uint32_t param;       // blend parameter
    uint32_t colour;      // coverage colour, brightness already applied
};

// A row routine: n destination pixels from n source pixels.
using RowFn = void (*)(uint32_t* d, const uint32_t* s, int n, const Params& p);
// A coverage row: n destination pixels from n coverage bytes.
using CoverageFn = void (*)(uint32_t* d, const uint8_t* c, int n, const Params& p);

// Scratch rows of a stretched drawing: the source column of each destination
// column, and one gathered source row. Static, so no drawing ever allocates; the
// API lock keeps them to one drawing at a time.
int32_t g_columns[kMaxSpan];
uint32_t g_gathered[kMaxSpan];

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

#if defined(__SSE2__)
// The plain rule (blend mode 0) four pixels at a time with SSE2 (every x86-64 has
// it; other processors take Put alone). Channels are widened to 16 bits, where
// c * a + d * (255 - a) fits, and the exact division by 255 works lane by lane, so
// the result is Put's: alpha 0 leaves the pixel, alpha 255 replaces it.
inline __m128i Div255(__m128i x) {
    const __m128i one = _mm_set1_epi16(1);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, one), _mm_srli_epi16(x, 8)), 8);
}

// Two pixels widened to 16-bit channels, by the plain rule.
template <int K, bool B>
inline __m128i Replace2(__m128i s, __m128i d, __m128i bright) {
    if constexpr (B) s = Div255(_mm_mullo_epi16(s, bright));
    if constexpr (K != KIND_ALPHA) {
        return s;
    } else {
        const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
        const __m128i ia = _mm_sub_epi16(_mm_set1_epi16(255), a);
        return Div255(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, ia)));
    }
}

// Returns how many pixels it did (a multiple of four); Put does the rest.
template <int K, bool B>
int ReplaceRow4(uint32_t* d, const uint32_t* s, int n, const Params& p) {
    const __m128i bright = _mm_setr_epi16(
        static_cast<int16_t>(p.bb), static_cast<int16_t>(p.bg), static_cast<int16_t>(p.br), 255,
        static_cast<int16_t>(p.bb), static_cast<int16_t>(p.bg), static_cast<int16_t>(p.br), 255);
    const __m128i rgb = _mm_set1_epi32(0xFFFFFF);
    const __m128i key = _mm_set1_epi32(static_cast<int>(p.key));
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        __m128i out = sv;
        if constexpr (K == KIND_ALPHA) {
            // Pictures with alpha are mostly wholly clear or wholly solid: four clear
            // pixels leave the destination, four solid ones (without brightness) are
            // a copy.
            const __m128i alpha = _mm_and_si128(sv, alphaMask);
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, zero)) == 0xFFFF) continue;
            if (!B && _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, alphaMask)) == 0xFFFF) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), sv);
                continue;
            }
        }
        if constexpr (K == KIND_ALPHA || B) {
            const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
            out = _mm_packus_epi16(
                Replace2<K, B>(_mm_unpacklo_epi8(sv, zero), _mm_unpacklo_epi8(dv, zero), bright),
                Replace2<K, B>(_mm_unpackhi_epi8(sv, zero), _mm_unpackhi_epi8(dv, zero), bright));
        }
        if constexpr (K == KIND_KEYED) {
            // Without branches: in small keyed pictures kept, drawn and mixed groups
            // alternate too irregularly to be predicted.
            const __m128i keep = _mm_cmpeq_epi32(_mm_and_si128(sv, rgb), key);
            const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
            out = _mm_or_si128(_mm_and_si128(keep, dv), _mm_andnot_si128(keep, out));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), out);
    }
    return i;
}
#endif

#if defined(__SSE2__)
// A short row copied without a library call (cells are 24 pixels wide): every
// source pixel is read before the first is written, as a screen graphic may be
// drawn onto itself. The groups are named registers, not an array: an array is
// copied in and out with `rep movs`, whose start-up costs more than the row.
constexpr int kShortRow = 32;
inline void CopyShortRow(uint32_t* d, const uint32_t* s, int n) {
    const int count = n >> 2, rest = n & 3;
    auto load = [&](int g) {
        return g < count ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * g))
                         : _mm_setzero_si128();
    };
    auto store = [&](int g, __m128i v) {
        if (g < count) _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * g), v);
    };
    const __m128i g0 = load(0), g1 = load(1), g2 = load(2), g3 = load(3);
    const __m128i g4 = load(4), g5 = load(5), g6 = load(6), g7 = load(7);
    const uint32_t* tail = s + 4 * count;
    const uint32_t t0 = rest > 0 ? tail[0] : 0, t1 = rest > 1 ? tail[1] : 0,
                   t2 = rest > 2 ? tail[2] : 0;
    store(0, g0);
    store(1, g1);
    store(2, g2);
    store(3, g3);
    store(4, g4);
    store(5, g5);
    store(6, g6);
    store(7, g7);
    uint32_t* out = d + 4 * count;
    if (rest > 0) out[0] = t0;
    if (rest > 1) out[1] = t1;
    if (rest > 2) out[2] = t2;
}
#endif

// Inlined where it is called by name: a block run or a cell row is mostly set-up.
template <int K, bool B, int O>
[[gnu::always_inline]] inline void DirectRow(uint32_t* d, const uint32_t* s, int n,
                                             const Params& p) {
    int i = 0;
    if constexpr (K == KIND_OPAQUE && !B && O == OP_REPLACE) {
#if defined(__SSE2__)
        if (n <= kShortRow) return CopyShortRow(d, s, n);
#endif
        // memmove: a screen graphic may be drawn onto itself.
        memmove(d, s, static_cast<size_t>(n) * 4);
        return;
    }
#if defined(__SSE2__)
    if constexpr (O == OP_REPLACE) i = ReplaceRow4<K, B>(d, s, n, p);
#endif
    for (; i < n; ++i) Put<K, B, O>(d + i, s[i], p);
}

// A rectangle of rows, the row routine inlined so that its set-up is done once and
// no row costs a call: small pictures (cells, digits) are mostly set-up. The target's
// rows, far apart, are asked for kPrefetchRows rows before they are drawn.
template <int K, bool B, int O>
void DirectRect(uint32_t* d, int64_t dPitch, const uint32_t* s, int64_t sPitch, int n, int rows,
                const Params& p) {
    auto prefetch = [&](int row) {
        const char* line = reinterpret_cast<const char*>(d + row * dPitch);
        __builtin_prefetch(line, 1);
        __builtin_prefetch(line + static_cast<size_t>(n) * 4 - 1, 1);
    };
    const int ahead = rows < kPrefetchRows ? rows : kPrefetchRows;
    for (int row = 0; row < ahead; ++row) prefetch(row);
    for (int row = 0; row < rows; ++row) {
        if (row + kPrefetchRows < rows) prefetch(row + kPrefetchRows);
        DirectRow<K, B, O>(d + row * dPitch, s + row * sPitch, n, p);
    }
}

// A rectangle of RenderImage through the source's block map: runs of blocks that
// transparency leaves out are skipped without reading them, runs it draws wholly
// are copied, and only mixed runs take the row routine; all of it inlined, as a
// picture's runs are short. A drawn run asks for its source and target pixels
// kPrefetchRows rows ahead (rows of a picture tend to be drawn in the same places):
// a large picture's rows are far apart in both. `col` is the first pixel's column
// in the map; the map rows are `mapPitch` bytes apart.
template <int K, bool B, int O>
void BlockRect(uint32_t* d, int64_t dPitch, const uint32_t* s, int64_t sPitch,
               const uint8_t* classes, const uint8_t* runs, int64_t mapPitch, int col, int n,
               int rows, const Params& p) {
    const int end = col + n;
    for (int row = 0; row < rows; ++row) {
        const bool ahead = row + kPrefetchRows < rows;
        uint32_t* dr = d + row * dPitch;
        const uint32_t* sr = s + row * sPitch;
        const uint8_t* rowClasses = classes + row * mapPitch;
        const uint8_t* rowRuns = runs + row * mapPitch;
        for (int c = col; c < end;) {
            const int block = c / kRenderBlock;
            const int stop = std::min((block + rowRuns[block]) * kRenderBlock, end);
            const int len = stop - c;
            const uint8_t cls = rowClasses[block];
            if (cls != BLOCK_CLEAR) {
                if (ahead) {
                    __builtin_prefetch(dr + kPrefetchRows * dPitch, 1);
                    __builtin_prefetch(dr + kPrefetchRows * dPitch + len - 1, 1);
                    __builtin_prefetch(sr + kPrefetchRows * sPitch);
                    __builtin_prefetch(sr + kPrefetchRows * sPitch + len - 1);
                }
                if (cls == BLOCK_MIXED)
                    DirectRow<K, B, O>(dr, sr, len, p);
                else
                    DirectRow<KIND_OPAQUE, B, O>(dr, sr, len, p);
            }
            dr += len;
            sr += len;
            c = stop;
        }
    }
}

template <int O>
void CoverageRow(uint32_t* d, const uint8_t* c, int n, const Params& p) {
    for (int i = 0; i < n; ++i)
        Put<KIND_ALPHA, false, O>(d + i, p.colour | uint32_t{c[i]} << 24, p);
}

using RectFn = void (*)(uint32_t* d, int64_t dPitch, const uint32_t* s, int64_t sPitch, int n,
                        int rows, const Params& p);
using BlockFn = void (*)(uint32_t* d, int64_t dPitch, const uint32_t* s, int64_t sPitch,
                         const uint8_t* classes, const uint8_t* runs, int64_t mapPitch, int col,
                         int n, int rows, const Params& p);

// The row and rectangle routines, indexed [kind][bright][op].
struct RowTable {
    RowFn fn[KIND_COUNT][2][OP_COUNT];
    RectFn rect[KIND_COUNT][2][OP_COUNT];
    BlockFn blocks[KIND_COUNT][2][OP_COUNT];
};

template <int K, bool B, int... O>
constexpr void FillOps(RowTable& t, std::integer_sequence<int, O...>) {
    ((t.fn[K][B][O] = &DirectRow<K, B, O>), ...);
    ((t.rect[K][B][O] = &DirectRect<K, B, O>), ...);
    ((t.blocks[K][B][O] = &BlockRect<K, B, O>), ...);
}

constexpr RowTable MakeTable() {
    RowTable t{};
    using Ops = std::make_integer_sequence<int, OP_COUNT>;
    FillOps<KIND_OPAQUE, false>(t, Ops{});
    FillOps<KIND_OPAQUE, true>(t, Ops{});
    FillOps<KIND_KEYED, false>(t, Ops{});
    FillOps<KIND_KEYED, true>(t, Ops{});
    FillOps<KIND_ALPHA, false>(t, Ops{});
    FillOps<KIND_ALPHA, true>(t, Ops{});
    return t;
}

constexpr RowTable kRows = MakeTable();
constexpr CoverageFn kCoverageRows[OP_COUNT] = {CoverageRow<OP_REPLACE>, CoverageRow<OP_BLEND>,
                                                CoverageRow<OP_ADD>, CoverageRow<OP_INVDEST>,
                                                CoverageRow<OP_MUL>};

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
    if (!transparent || src.allSolid) return KIND_OPAQUE;
    return src.hasAlpha ? KIND_ALPHA : KIND_KEYED;
}

}  // namespace

bool RenderOverwritesTarget(const DrawState& st, const RenderSource& src, int64_t left, int64_t top,
                            int64_t right, int64_t bottom, int transparent) {
    Params p;
    const DrawSurface& s = st.surface;
    return s.pixels && !st.clipEmpty && src.pixels && src.width > 0 && src.height > 0 &&
           OpOf(st, &p) == OP_REPLACE && KindOf(src, transparent) == KIND_OPAQUE &&
           st.clip.x1 <= 0 && st.clip.y1 <= 0 && st.clip.x2 >= s.width && st.clip.y2 >= s.height &&
           left <= 0 && top <= 0 && right >= s.width && bottom >= s.height;
}

RenderBlockClass RenderClassify(const uint32_t* pixels, int n, int hasAlpha, uint32_t colorKey) {
    int clear = 0;
    for (int i = 0; i < n; ++i) {
        if (hasAlpha) {
            const uint32_t a = pixels[i] >> 24;
            if (a != 0 && a != 255) return BLOCK_MIXED;
            clear += a == 0;
        } else {
            clear += (pixels[i] & 0xFFFFFFu) == (colorKey & 0xFFFFFFu);
        }
    }
    return clear == n ? BLOCK_CLEAR : clear == 0 ? BLOCK_SOLID : BLOCK_MIXED;
}

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
    const int kind = KindOf(src, transparent);
    const int bright = st.bright != 0xFFFFFFu;
    // Rows shorter than this (well cells, digits) are quicker without the map.
    constexpr int kMapMinWidth = 64;
    const int n = box.x2 - box.x1, rows = box.y2 - box.y1;
    uint32_t* d = DestRow(st, box.y1) + box.x1;
    const int64_t dPitch = st.surface.pitch / 4;
    const uint32_t* s = src.pixels + static_cast<int64_t>(box.y1 - y) * src.pitch + (box.x1 - x);
    if (!src.blocks || kind == KIND_OPAQUE || n < kMapMinWidth)
        return kRows.rect[kind][bright][op](d, dPitch, s, src.pitch, n, rows, p);
    const int64_t map = static_cast<int64_t>(box.y1 - y) * src.blockPitch;
    kRows.blocks[kind][bright][op](d, dPitch, s, src.pitch, src.blocks + map, src.blockRuns + map,
                                   src.blockPitch, src.blockX + box.x1 - x, n, rows, p);
}

void RenderImageStretched(const DrawState& st, const RenderSource& src, int x1, int y1, int x2,
                          int y2, int transparent) {
    if (!src.pixels || src.width <= 0 || src.height <= 0) return;
    // A stretch to the picture's own size shows source pixel i at pixel i.
    if (x2 - int64_t{x1} == src.width && y2 - int64_t{y1} == src.height)
        return RenderImage(st, src, x1, y1, transparent);
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
    const int kind = KindOf(src, transparent);
    const bool bright = st.bright != 0xFFFFFFu;
    const RowFn fn = kRows.fn[kind][bright][op];
    const int n = box.x2 - box.x1;
    if (n > kMaxSpan) return;

    // Column i of the span shows source column (2i + 1) * width / (2w): a quotient
    // and a remainder that move by a fixed step, worked out once for every row.
    const int64_t den = 2 * w, qStep = (2 * int64_t{src.width}) / den;
    const int64_t rStep = (2 * int64_t{src.width}) % den;
    int64_t first = (2 * (box.x1 - left) + 1) * src.width;
    int64_t q = first / den, r = first % den;
    for (int i = 0; i < n; ++i) {
        g_columns[i] = static_cast<int32_t>(mirrorX ? src.width - 1 - q : q);
        q += qStep;
        r += rStep;
        if (r >= den) {
            r -= den;
            ++q;
        }
    }
    // A row that only depends on its source row repeats the row above when both
    // show the same source row.
    const bool sourceOnly = kind == KIND_OPAQUE && op == OP_REPLACE;
    int64_t previous = -1;
    for (int row = box.y1; row < box.y2; ++row) {
        int64_t v = ((2 * (row - top) + 1) * src.height) / (2 * h);
        if (mirrorY) v = src.height - 1 - v;
        uint32_t* d = DestRow(st, row) + box.x1;
        if (sourceOnly && v == previous) {
            memcpy(d, DestRow(st, row - 1) + box.x1, static_cast<size_t>(n) * 4);
            continue;
        }
        previous = v;
        const uint32_t* s = src.pixels + v * src.pitch;
        uint32_t* gathered = sourceOnly && !bright ? d : g_gathered;
        for (int i = 0; i < n; ++i) gathered[i] = s[g_columns[i]];
        if (gathered != d) fn(d, gathered, n, p);
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
    const CoverageFn fn = kCoverageRows[op];
    const int n = box.x2 - box.x1;
    for (int row = box.y1; row < box.y2; ++row)
        fn(DestRow(st, row) + box.x1,
           coverage + static_cast<int64_t>(row - y) * pitch + (box.x1 - x), n, p);
}
