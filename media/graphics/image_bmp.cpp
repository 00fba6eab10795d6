// image_bmp.cpp - the BMP reader: 1, 4, 8, 16, 24 and 32 bits per pixel, bit fields,
// both run-length kinds, rows bottom-up or top-down.
//
// Owns: nothing but the base image it fills. Result formats: an 8-bit palette image
// for 1-, 4- and 8-bit files (one byte per pixel), 24-bit for the rest; the base
// image is always top row first. Run-length data that moves or runs past the
// picture is cut at its edge, and the decoding stops where the data ends; pixels
// never written stay index 0.
#include <string.h>

#include "media/graphics/image_readers.h"

namespace {

constexpr size_t kFileHeader = 14;
constexpr uint32_t kInfoHeader = 40;
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
// A run-length picture may claim at most this many pixels per byte of its data
// (legitimate files stay far below), so a tiny file cannot ask for a huge picture.
constexpr uint64_t kRlePixelsPerByte = 1024;
constexpr uint64_t kRleSlack = 65536;

struct Target {
    BaseImage* image;
    bool topDown;
    uint8_t* Row(int64_t fileRow) const {
        const int64_t row = topDown ? fileRow : image->height - 1 - fileRow;
        return image->pixels + row * image->pitch;
    }
};

bool CompressionFits(uint32_t compression, int bits) {
    switch (compression) {
        case kRgb:
            return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
        case kRle8:
            return bits == 8;
        case kRle4:
            return bits == 4;
        case kBitFields:
        case kAlphaBitFields:
            return bits == 16 || bits == 32;
        default:
            return false;
    }
}

void DecodeRle(const uint8_t* src, size_t size, bool fourBit, const Target& t) {
    const int width = t.image->width, height = t.image->height;
    int x = 0, y = 0;
    size_t p = 0;
    while (p + 2 <= size) {
        const int n = src[p], v = src[p + 1];
        p += 2;
        if (n > 0) {  // a run of n pixels, cut at the end of the row
            const int count = n < width - x ? n : width - x;
            uint8_t* row = t.Row(y) + x;
            if (!fourBit || (v >> 4) == (v & 15))
                memset(row, fourBit ? v & 15 : v, static_cast<size_t>(count));
            else
                for (int i = 0; i < count; ++i)
                    row[i] = static_cast<uint8_t>((i & 1) ? v & 15 : v >> 4);
            x += count;
            continue;
        }
        if (v == 0) {  // end of the row
            x = 0;
            if (++y >= height) return;
        } else if (v == 1) {  // end of the picture
            return;
        } else if (v == 2) {  // move right and down
            if (p + 2 > size) return;
            x += src[p];
            y += src[p + 1];
            p += 2;
            if (y >= height) return;
            if (x > width) x = width;
        } else {  // v literal pixels, padded to a whole number of 16-bit words
            const size_t bytes = fourBit ? static_cast<size_t>(v + 1) / 2 : static_cast<size_t>(v);
            if (p + bytes > size) return;
            const int count = v < width - x ? v : width - x;
            const uint8_t* in = src + p;
            uint8_t* row = t.Row(y) + x;
            if (!fourBit)
                memcpy(row, in, static_cast<size_t>(count));
            else
                for (int i = 0; i < count; ++i)
                    row[i] = static_cast<uint8_t>((i & 1) ? in[i / 2] & 15 : in[i / 2] >> 4);
            x += count;
            p += bytes + (bytes & 1);
        }
    }
}

void DecodeIndexed(const uint8_t* src, int64_t rowBytes, int bits, const Target& t) {
    const int width = t.image->width;
    for (int y = 0; y < t.image->height; ++y) {
        const uint8_t* s = src + y * rowBytes;
        uint8_t* d = t.Row(y);
        if (bits == 8) {
            memcpy(d, s, static_cast<size_t>(width));
        } else if (bits == 4) {
            for (int x = 0; x < width; ++x) d[x] = (x & 1) ? s[x / 2] & 15 : s[x / 2] >> 4;
        } else {
            for (int x = 0; x < width; ++x) d[x] = (s[x / 8] >> (7 - (x & 7))) & 1;
        }
    }
}

void DecodePacked(const uint8_t* src, int64_t rowBytes, int bits, const uint32_t masks[3],
                  const Target& t) {
    ChannelScale rgb[3];
    for (int i = 0; i < 3; ++i) MakeChannelScale(&rgb[i], masks[i]);
    for (int64_t y = 0; y < t.image->height; ++y) {
        if (bits == 24)
            memcpy(t.Row(y), src + y * rowBytes, static_cast<size_t>(t.image->width) * 3);
        else
            PackedRowTo24(src + y * rowBytes, bits / 8, t.image->width, rgb, t.Row(y));
    }
}

}  // namespace

int ReadBmp(const uint8_t* data, size_t size, BaseImage* out) {
    memset(out, 0, sizeof *out);
    if (size < kFileHeader + kInfoHeader || data[0] != 'B' || data[1] != 'M') return -1;
    const uint32_t pixelOffset = ReadLe32(data + 10);
    const uint32_t headerSize = ReadLe32(data + 14);
    const int64_t width = static_cast<int32_t>(ReadLe32(data + 18));
    const int64_t rawHeight = static_cast<int32_t>(ReadLe32(data + 22));
    const int bits = static_cast<int>(ReadLe16(data + 28));
    const uint32_t compression = ReadLe32(data + 30);
    const uint32_t coloursUsed = ReadLe32(data + 46);
    const int64_t height = rawHeight < 0 ? -rawHeight : rawHeight;
    if (headerSize < kInfoHeader || headerSize > size - kFileHeader || pixelOffset > size ||
        !CompressionFits(compression, bits) || !ImageSizeAllowed(width, height))
        return -1;

    // The palette follows the information header, whatever its version's size.
    if (bits <= 8) {
        const uint32_t entries = 1u << bits;
        const uint32_t used = coloursUsed > 0 && coloursUsed < entries ? coloursUsed : entries;
        const size_t at = kFileHeader + headerSize;
        if (used * 4 > size - at) return -1;
        for (uint32_t i = 0; i < used; ++i) {
            memcpy(out->palette[i], data + at + 4 * i, 3);
            out->palette[i][3] = 0;
        }
    }
    uint32_t masks[3] = {0xFF0000u, 0xFF00u, 0xFFu};
    if (compression == kBitFields || compression == kAlphaBitFields) {
        if (kFileHeader + kInfoHeader + 12 > size) return -1;
        for (int i = 0; i < 3; ++i) masks[i] = ReadLe32(data + kFileHeader + kInfoHeader + 4 * i);
    } else if (bits == 16) {
        masks[0] = 0x7C00u;
        masks[1] = 0x3E0u;
        masks[2] = 0x1Fu;
    }

    const uint8_t* src = data + pixelOffset;
    const size_t available = size - pixelOffset;
    const int64_t rowBytes = ((bits * width + 31) / 32) * 4;
    const bool rle = compression == kRle8 || compression == kRle4;
    if (rle ? static_cast<uint64_t>(width * height) > available * kRlePixelsPerByte + kRleSlack
            : static_cast<uint64_t>(rowBytes * height) > available)
        return -1;
    const int outBits = bits <= 8 ? 8 : 24;
    if (AllocBaseImage(out, static_cast<int>(width), static_cast<int>(height), outBits) != 0)
        return -1;
    if (outBits == 8)
        MakeColorFormat(&out->format, 8, 0, 0, 0, 0);
    else
        MakeColorFormat(&out->format, 24, 0xFF0000u, 0xFF00u, 0xFFu, 0);
    const Target target = {out, rawHeight < 0};
    if (rle)
        DecodeRle(src, available, compression == kRle4, target);
    else if (bits <= 8)
        DecodeIndexed(src, rowBytes, bits, target);
    else
        DecodePacked(src, rowBytes, bits, masks, target);
    return 0;
}
