// plat_image.h - decoding PNG and JPEG pictures held in memory, as the image readers
// of the graphics area need it.
//
// Implemented once in media/platform/host (image_png.cpp with libpng, image_jpeg.cpp
// with libjpeg). The decoders never read files and never allocate the picture: once
// the header is read and the size passes the format's own plausibility rule (the
// picture cannot be larger than its compressed bytes could ever expand to), they ask
// the caller's sink for the rows and write them there. Decoder errors are caught
// inside the decoder (no long jump ever crosses the caller's frames) and nothing
// is printed.
#ifndef PAVEX_PLATFORM_IMAGE_H
#define PAVEX_PLATFORM_IMAGE_H

#include <stddef.h>
#include <stdint.h>

// Where a decoder writes: 32-bit pixels 0xAARRGGBB (native byte order), alpha 0xFF
// for pictures without an alpha channel.
struct PlatImageSink {
    void* context;
    // Called at most once, with the picture's size and whether it carries alpha.
    // Returns the top-left pixel of a block of height rows, *pitchPixels pixels
    // apart, or null to refuse the picture. The block stays the caller's: on failure
    // the caller frees it.
    uint32_t* (*begin)(void* context, int width, int height, int hasAlpha, int* pitchPixels);
};

// 1 when the bytes start as a PNG / a JPEG stream does.
int PlatIsPng(const void* data, size_t size);
int PlatIsJpeg(const void* data, size_t size);

// 0 when the whole picture was decoded into the sink; -1 when the data is not of
// this kind, is damaged or cut short, claims a size its bytes cannot hold, or the
// sink refused it. Palette, grey, 16-bit and interlaced PNGs are converted; a PNG
// transparency chunk becomes alpha.
int PlatDecodePng(const void* data, size_t size, const PlatImageSink* sink);
int PlatDecodeJpeg(const void* data, size_t size, const PlatImageSink* sink);

#endif
