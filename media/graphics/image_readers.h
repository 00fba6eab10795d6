// image_readers.h - the image readers: BMP, JPEG, PNG, raw BGRA, TGA and DDS bytes in
// memory turned into a base image, and a base image turned into the 32-bit pixels of
// a graphic. Implemented in image_readers.cpp (the chain, conversion, raw BGRA, DDS,
// JPEG and PNG through the platform), image_bmp.cpp and image_tga.cpp.
//
// Every reader treats its input as hostile: each length, offset, count and index is
// checked before use, and a size a header claims is checked against what the input
// can hold and against the pixel cap before anything is allocated. A reader that
// refuses the data returns -1 having allocated nothing that is still alive.
#ifndef PAVEX_GRAPHICS_IMAGE_READERS_H
#define PAVEX_GRAPHICS_IMAGE_READERS_H

#include <stddef.h>
#include <stdint.h>

// The colour format of a base image: depth, bytes per pixel, and for red, green,
// blue and alpha a width in bits, a shift and a mask; the bits of no channel.
struct ColorFormat {
    uint16_t colorBits;
    uint16_t bytesPerPixel;
    uint8_t redWidth, greenWidth, blueWidth, alphaWidth;
    uint8_t redShift, greenShift, blueShift, alphaShift;
    uint32_t redMask, greenMask, blueMask, alphaMask;
    uint32_t noneMask;
};

// What a reader hands to graphic creation. Formats: 8-bit palette (one byte per
// pixel), 16-bit 5-5-5 with the top bit unused, 24-bit B G R bytes, 32-bit
// 0xAARRGGBB (alpha mask 0 when the picture has none).
struct BaseImage {
    ColorFormat format;
    uint8_t palette[256][4];  // blue, green, red, 0
    int width;
    int height;
    int pitch;        // bytes per row, top row first
    uint8_t* pixels;  // tracking allocator; owned
};

// The reader chain in its order (BMP, JPEG, PNG, raw BGRA, TGA, DDS): 0 with `out`
// filled by the first reader that accepts the data, or -1.
int ReadImage(const uint8_t* data, size_t size, BaseImage* out);
void FreeBaseImage(BaseImage* image);

// The single readers, as the chain calls them (also for the fuzz targets).
int ReadBmp(const uint8_t* data, size_t size, BaseImage* out);
int ReadJpeg(const uint8_t* data, size_t size, BaseImage* out);
int ReadPng(const uint8_t* data, size_t size, BaseImage* out);
int ReadRawBgra(const uint8_t* data, size_t size, BaseImage* out);
int ReadTga(const uint8_t* data, size_t size, BaseImage* out);
int ReadDds(const uint8_t* data, size_t size, BaseImage* out);

// Writes the picture as 0xAARRGGBB into `dst` (`pitch` pixels apart); alpha is 0xFF
// where the format has none.
void ConvertToArgb(const BaseImage& image, uint32_t* dst, int pitch);
// 1 when the pixels already are 0xAARRGGBB rows without gaps (they can be taken over).
int IsStandardArgb(const BaseImage& image);

// The largest picture a reader accepts, in pixels (each side at most 16384). The
// fuzz targets lower it so that each input stays cheap.
void ImageReadersSetPixelCap(int64_t pixels);
int64_t ImageReadersPixelCap();

// ---- shared by the readers ----

// Fills `format` for the masks (0 masks give a channel of width 0).
void MakeColorFormat(ColorFormat* format, int bits, uint32_t red, uint32_t green, uint32_t blue,
                     uint32_t alpha);
// 1 when width x height is a picture the readers may allocate.
int ImageSizeAllowed(int64_t width, int64_t height);
// Allocates the pixels of `out` for the format (rows padded to 4 bytes), zeroed; 0 or -1.
int AllocBaseImage(BaseImage* out, int width, int height, int bits);
// One channel of packed pixels scaled to 0..255: value * 255 / largest value (0 for
// an empty mask), by table when the channel has at most 8 bits.
struct ChannelScale {
    uint32_t mask;
    int shift;
    uint32_t largest;
    uint8_t table[256];
};
void MakeChannelScale(ChannelScale* scale, uint32_t mask);
inline uint32_t ScaleChannel(const ChannelScale& s, uint32_t pixel) {
    const uint32_t v = (pixel & s.mask) >> s.shift;
    return s.largest <= 255 ? s.table[v] : static_cast<uint32_t>(uint64_t{v} * 255 / s.largest);
}
// Packed pixels (1 to 4 bytes, little-endian) to 24-bit B G R bytes, with the red,
// green and blue scales.
void PackedRowTo24(const uint8_t* src, int bytesPerPixel, int width, const ChannelScale rgb[3],
                   uint8_t* dst);

inline uint32_t ReadLe16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
}
inline uint32_t ReadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

#endif
