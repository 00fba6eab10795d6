// image_readers.cpp - the reader chain, the base image and its conversion to the
// pixels of a graphic, and the small readers: raw BGRA, DDS, and JPEG and PNG
// through the platform decoders (see image_readers.h).
//
// Owns: the pixel cap and the base-image helpers the other reader units share.
// Reads only the bytes it is given; never touches files, handles or the screen.
#include "media/graphics/image_readers.h"

#include <string.h>

#include "media/core/tracked_alloc.h"
#include "media/graphics/graphics.h"
#include "media/platform/plat_image.h"

namespace {

int64_t g_pixelCap = kGraphicMaxPixels;

int LowestBit(uint32_t mask) {
    return mask ? __builtin_ctz(mask) : 0;
}
int BitLength(uint32_t value) {
    return value ? 32 - __builtin_clz(value) : 0;
}

// The sink of the platform decoders: a 32-bit base image of the announced size.
uint32_t* BeginDecoded(void* context, int width, int height, int hasAlpha, int* pitchPixels) {
    BaseImage* out = static_cast<BaseImage*>(context);
    if (out->pixels || AllocBaseImage(out, width, height, 32) != 0) return nullptr;
    MakeColorFormat(&out->format, 32, 0xFF0000u, 0xFF00u, 0xFFu, hasAlpha ? 0xFF000000u : 0);
    *pitchPixels = width;
    return reinterpret_cast<uint32_t*>(out->pixels);
}

int ReadThroughPlatform(int (*decode)(const void*, size_t, const PlatImageSink*),
                        const uint8_t* data, size_t size, BaseImage* out) {
    memset(out, 0, sizeof *out);
    PlatImageSink sink = {out, BeginDecoded};
    if (decode(data, size, &sink) == 0 && out->pixels) return 0;
    FreeBaseImage(out);
    return -1;
}

}  // namespace

// ---- shared helpers ----

void MakeColorFormat(ColorFormat* f, int bits, uint32_t red, uint32_t green, uint32_t blue,
                     uint32_t alpha) {
    memset(f, 0, sizeof *f);
    f->colorBits = static_cast<uint16_t>(bits);
    f->bytesPerPixel = static_cast<uint16_t>((bits + 7) / 8);
    f->redMask = red;
    f->greenMask = green;
    f->blueMask = blue;
    f->alphaMask = alpha;
    f->redShift = static_cast<uint8_t>(LowestBit(red));
    f->greenShift = static_cast<uint8_t>(LowestBit(green));
    f->blueShift = static_cast<uint8_t>(LowestBit(blue));
    f->alphaShift = static_cast<uint8_t>(LowestBit(alpha));
    f->redWidth = static_cast<uint8_t>(BitLength(red >> f->redShift));
    f->greenWidth = static_cast<uint8_t>(BitLength(green >> f->greenShift));
    f->blueWidth = static_cast<uint8_t>(BitLength(blue >> f->blueShift));
    f->alphaWidth = static_cast<uint8_t>(BitLength(alpha >> f->alphaShift));
    const uint32_t all = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    f->noneMask = bits > 8 ? all & ~(red | green | blue | alpha) : 0;
}

int ImageSizeAllowed(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kGraphicMaxSide && height <= kGraphicMaxSide &&
           width * height <= g_pixelCap;
}

int AllocBaseImage(BaseImage* out, int width, int height, int bits) {
    if (!ImageSizeAllowed(width, height)) return -1;
    const int64_t pitch = bits == 32 ? int64_t{width} * 4 : (int64_t{width} * (bits / 8) + 3) & ~3;
    const size_t bytes = static_cast<size_t>(pitch) * static_cast<size_t>(height);
    // 32-bit pictures are written whole by their decoder; the others may leave
    // pixels out (run-length skips) that must read as 0.
    out->pixels = static_cast<uint8_t*>(bits == 32 ? PAVEX_ALLOC(bytes) : PAVEX_ALLOC_ZERO(bytes));
    if (!out->pixels) return -1;
    out->width = width;
    out->height = height;
    out->pitch = static_cast<int>(pitch);
    return 0;
}

void MakeChannelScale(ChannelScale* s, uint32_t mask) {
    s->mask = mask;
    s->shift = LowestBit(mask);
    s->largest = mask >> s->shift;
    if (s->largest > 255) return;
    for (uint32_t v = 0; v <= s->largest; ++v)
        s->table[v] = static_cast<uint8_t>(s->largest ? v * 255 / s->largest : 0);
}

void PackedRowTo24(const uint8_t* src, int bytesPerPixel, int width, const ChannelScale rgb[3],
                   uint8_t* dst) {
    for (int x = 0; x < width; ++x, src += bytesPerPixel, dst += 3) {
        uint32_t p = 0;
        for (int i = 0; i < bytesPerPixel; ++i) p |= static_cast<uint32_t>(src[i]) << (8 * i);
        dst[0] = static_cast<uint8_t>(ScaleChannel(rgb[2], p));
        dst[1] = static_cast<uint8_t>(ScaleChannel(rgb[1], p));
        dst[2] = static_cast<uint8_t>(ScaleChannel(rgb[0], p));
    }
}

void FreeBaseImage(BaseImage* image) {
    TrackedFree(image->pixels);
    image->pixels = nullptr;
}

void ImageReadersSetPixelCap(int64_t pixels) {
    g_pixelCap = pixels > kGraphicMaxPixels ? kGraphicMaxPixels : pixels;
}

int64_t ImageReadersPixelCap() {
    return g_pixelCap;
}

// ---- the chain ----

int ReadImage(const uint8_t* data, size_t size, BaseImage* out) {
    static int (*const kReaders[])(const uint8_t*, size_t, BaseImage*) = {
        ReadBmp, ReadJpeg, ReadPng, ReadRawBgra, ReadTga, ReadDds};
    if (!data) return -1;
    for (auto reader : kReaders)
        if (reader(data, size, out) == 0) return 0;
    return -1;
}

int IsStandardArgb(const BaseImage& image) {
    const ColorFormat& f = image.format;
    return f.colorBits == 32 && f.redMask == 0xFF0000u && f.greenMask == 0xFF00u &&
           f.blueMask == 0xFFu && (f.alphaMask == 0xFF000000u || f.alphaMask == 0) &&
           image.pitch == image.width * 4;
}

void ConvertToArgb(const BaseImage& image, uint32_t* dst, int pitch) {
    const ColorFormat& f = image.format;
    const bool standard = f.redMask == 0xFF0000u && f.greenMask == 0xFF00u && f.blueMask == 0xFFu &&
                          (f.alphaMask == 0xFF000000u || f.alphaMask == 0);
    const uint32_t opaque = f.alphaMask ? 0 : 0xFF000000u;
    uint32_t palette[256];
    ChannelScale r = {}, g = {}, b = {}, a = {};
    if (f.colorBits <= 8) {
        for (int i = 0; i < 256; ++i)
            palette[i] = 0xFF000000u | uint32_t{image.palette[i][2]} << 16 |
                         uint32_t{image.palette[i][1]} << 8 | image.palette[i][0];
    } else if (f.colorBits == 16 || (f.colorBits == 32 && !standard)) {
        MakeChannelScale(&r, f.redMask);
        MakeChannelScale(&g, f.greenMask);
        MakeChannelScale(&b, f.blueMask);
        MakeChannelScale(&a, f.alphaMask);
    }
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* s = image.pixels + static_cast<size_t>(y) * image.pitch;
        uint32_t* d = dst + static_cast<size_t>(y) * pitch;
        if (f.colorBits <= 8) {
            for (int x = 0; x < image.width; ++x) d[x] = palette[s[x]];
        } else if (f.colorBits == 16) {
            for (int x = 0; x < image.width; ++x) {
                const uint32_t p = ReadLe16(s + 2 * x);
                d[x] = 0xFF000000u | ScaleChannel(r, p) << 16 | ScaleChannel(g, p) << 8 |
                       ScaleChannel(b, p);
            }
        } else if (f.colorBits == 24) {
            for (int x = 0; x < image.width; ++x)
                d[x] = 0xFF000000u | uint32_t{s[3 * x + 2]} << 16 | uint32_t{s[3 * x + 1]} << 8 |
                       s[3 * x];
        } else if (standard) {
            const uint32_t* p = reinterpret_cast<const uint32_t*>(s);
            for (int x = 0; x < image.width; ++x) d[x] = p[x] | opaque;
        } else {
            for (int x = 0; x < image.width; ++x) {
                const uint32_t p = ReadLe32(s + 4 * x);
                d[x] = (f.alphaMask ? ScaleChannel(a, p) << 24 : opaque) |
                       ScaleChannel(r, p) << 16 | ScaleChannel(g, p) << 8 | ScaleChannel(b, p);
            }
        }
    }
}

// ---- JPEG and PNG (the platform decodes) ----

int ReadJpeg(const uint8_t* data, size_t size, BaseImage* out) {
    return ReadThroughPlatform(PlatDecodeJpeg, data, size, out);
}

int ReadPng(const uint8_t* data, size_t size, BaseImage* out) {
    return ReadThroughPlatform(PlatDecodePng, data, size, out);
}

// ---- raw BGRA: "BGRA", channel-size code, width, height, then the pixels ----

int ReadRawBgra(const uint8_t* data, size_t size, BaseImage* out) {
    memset(out, 0, sizeof *out);
    if (size < 16 || memcmp(data, "BGRA", 4) != 0) return -1;
    const uint32_t code = ReadLe32(data + 4);
    const int channelBytes = code == 0x08080808u ? 1 : code == 0x10101010u ? 2 : 0;
    const int64_t width = static_cast<int32_t>(ReadLe32(data + 8));
    const int64_t height = static_cast<int32_t>(ReadLe32(data + 12));
    if (channelBytes == 0 || !ImageSizeAllowed(width, height)) return -1;
    const uint64_t need = static_cast<uint64_t>(width * height) * 4u * channelBytes;
    if (need > size - 16) return -1;
    if (AllocBaseImage(out, static_cast<int>(width), static_cast<int>(height), 32) != 0) return -1;
    MakeColorFormat(&out->format, 32, 0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u);
    const uint8_t* s = data + 16 + (channelBytes - 1);  // the high byte of a 16-bit value
    uint8_t* d = out->pixels;
    for (int64_t i = 0; i < width * height * 4; ++i, s += channelBytes) *d++ = *s;
    return 0;
}

// ---- DDS: uncompressed RGB without alpha ----

int ReadDds(const uint8_t* data, size_t size, BaseImage* out) {
    memset(out, 0, sizeof *out);
    constexpr size_t kHeader = 128;
    constexpr uint32_t kAlphaPixels = 0x1, kFourCc = 0x4, kRgb = 0x40;
    if (size < kHeader || memcmp(data, "DDS ", 4) != 0 || ReadLe32(data + 4) != 124) return -1;
    const int64_t height = ReadLe32(data + 12), width = ReadLe32(data + 16);
    const uint32_t flags = ReadLe32(data + 80), bits = ReadLe32(data + 88);
    if (!(flags & kRgb) || (flags & (kFourCc | kAlphaPixels))) return -1;
    if ((bits != 16 && bits != 24 && bits != 32) || !ImageSizeAllowed(width, height)) return -1;
    ChannelScale rgb[3];
    for (int i = 0; i < 3; ++i) MakeChannelScale(&rgb[i], ReadLe32(data + 92 + 4 * i));
    const int64_t rowBytes = width * (bits / 8);
    if (static_cast<uint64_t>(rowBytes * height) > size - kHeader) return -1;
    if (AllocBaseImage(out, static_cast<int>(width), static_cast<int>(height), 24) != 0) return -1;
    MakeColorFormat(&out->format, 24, 0xFF0000u, 0xFF00u, 0xFFu, 0);
    for (int64_t y = 0; y < height; ++y)
        PackedRowTo24(data + kHeader + y * rowBytes, static_cast<int>(bits / 8),
                      static_cast<int>(width), rgb, out->pixels + y * out->pitch);
    return 0;
}
