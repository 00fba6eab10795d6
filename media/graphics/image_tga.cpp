// image_tga.cpp - the TGA reader: image types 1 (colour-mapped), 2 (true colour), 9
// and 10 (their run-length forms), 16-, 24- and 32-bit pixels or colour-map
// entries, both orientation bits, the version 2 footer.
//
// Owns: nothing but the base image it fills. Results: 16-bit 5-5-5 (top bit
// ignored), 24-bit, or 32-bit with alpha, top row first and left to right. A
// run-length packet that reads past the data fails the picture; a colour-map index
// outside the map gives a zero pixel.
#include <string.h>

#include "media/graphics/image_readers.h"

namespace {

constexpr size_t kHeader = 18;
constexpr size_t kFooter = 26;
constexpr int kMaxSide = 4095;
constexpr uint8_t kRightToLeft = 0x10, kTopFirst = 0x20;

struct Map {
    const uint8_t* entries;
    uint32_t first;
    uint32_t count;
    int entryBytes;
};

// Copies one pixel of `outBytes` bytes: a true-colour pixel as it is, an index
// through the colour map.
inline void PutPixel(const uint8_t* src, int indexBytes, const Map* map, int outBytes,
                     uint8_t* dst) {
    if (!map) {
        memcpy(dst, src, static_cast<size_t>(outBytes));
        return;
    }
    const uint32_t index = indexBytes == 2 ? ReadLe16(src) : src[0];
    if (index < map->first || index - map->first >= map->count)
        memset(dst, 0, static_cast<size_t>(outBytes));
    else
        memcpy(dst, map->entries + static_cast<size_t>(index - map->first) * map->entryBytes,
               static_cast<size_t>(outBytes));
}

}  // namespace

int ReadTga(const uint8_t* data, size_t size, BaseImage* out) {
    memset(out, 0, sizeof *out);
    if (size < kHeader) return -1;
    size_t end = size;
    if (size >= kHeader + kFooter && memcmp(data + size - 18, "TRUEVISION-XFILE", 16) == 0 &&
        ReadLe32(data + size - kFooter) == 0)
        end = size - kFooter;

    const uint32_t idLength = data[0], mapType = data[1], type = data[2];
    const uint32_t mapFirst = ReadLe16(data + 3), mapCount = ReadLe16(data + 5);
    const int mapBits = data[7];
    const int width = static_cast<int>(ReadLe16(data + 12));
    const int height = static_cast<int>(ReadLe16(data + 14));
    const int pixelBits = data[16], descriptor = data[17];
    const bool mapped = type == 1 || type == 9, rle = type == 9 || type == 10;
    if ((type != 1 && type != 2 && type != 9 && type != 10) || mapType > 1 ||
        (mapped && mapType != 1) || ReadLe16(data + 8) != 0 || ReadLe16(data + 10) != 0)
        return -1;
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide ||
        !ImageSizeAllowed(width, height))
        return -1;
    const int colourBits = mapped ? mapBits : pixelBits;
    if (colourBits != 16 && colourBits != 24 && colourBits != 32) return -1;
    if (mapped && pixelBits != 8 && pixelBits != 16) return -1;

    // Identification field, colour map, pixels.
    const int outBytes = colourBits / 8, inBytes = pixelBits / 8;
    const size_t mapBytes = mapType ? static_cast<size_t>(mapCount) * ((mapBits + 7) / 8) : 0;
    if (kHeader + idLength + mapBytes > end) return -1;
    const Map map = {data + kHeader + idLength, mapFirst, mapCount, (mapBits + 7) / 8};
    const Map* through = mapped ? &map : nullptr;
    const uint8_t* src = data + kHeader + idLength + mapBytes;
    const size_t available = end - (kHeader + idLength + mapBytes);
    const uint64_t pixels = static_cast<uint64_t>(width) * height;
    // A packet is a header byte and at least one pixel and gives at most 128 pixels.
    if (rle ? pixels > available * 64 : pixels * inBytes > available) return -1;
    if (AllocBaseImage(out, width, height, colourBits) != 0) return -1;
    if (colourBits == 16)
        MakeColorFormat(&out->format, 16, 0x7C00u, 0x3E0u, 0x1Fu, 0);
    else if (colourBits == 24)
        MakeColorFormat(&out->format, 24, 0xFF0000u, 0xFF00u, 0xFFu, 0);
    else
        MakeColorFormat(&out->format, 32, 0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u);

    // Pixels arrive in file order; they land top row first, left to right.
    const bool topFirst = descriptor & kTopFirst, rightToLeft = descriptor & kRightToLeft;
    const size_t step = static_cast<size_t>(inBytes);
    size_t p = 0;
    uint32_t packetLeft = 0;
    bool repeat = false;
    const uint8_t* pixel = nullptr;
    for (int y = 0; y < height; ++y) {
        uint8_t* row =
            out->pixels + static_cast<size_t>(topFirst ? y : height - 1 - y) * out->pitch;
        for (int x = 0; x < width; ++x) {
            if (!rle) {
                pixel = src + p;
                p += step;
            } else {
                if (packetLeft == 0) {
                    if (p >= available) return FreeBaseImage(out), -1;
                    repeat = src[p] & 0x80;
                    packetLeft = (src[p] & 0x7Fu) + 1;
                    ++p;
                    if (repeat) {
                        if (step > available - p) return FreeBaseImage(out), -1;
                        pixel = src + p;
                        p += step;
                    }
                }
                if (!repeat) {
                    if (step > available - p) return FreeBaseImage(out), -1;
                    pixel = src + p;
                    p += step;
                }
                --packetLeft;
            }
            PutPixel(pixel, inBytes, through, outBytes,
                     row + static_cast<size_t>(rightToLeft ? width - 1 - x : x) * outBytes);
        }
    }
    return 0;
}
