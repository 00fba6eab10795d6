// fuzz_image - one image reader (FUZZ_READER, chosen by the build) on hostile bytes.
//
// The input goes to the reader as it would come out of the file layer; a picture it
// accepts is converted to a graphic's pixels. Every block the reader allocated must be
// freed again. The pixel cap is lowered so that one input never costs more than a
// small picture.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "media/core/tracked_alloc.h"
#include "media/graphics/image_readers.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ImageReadersSetPixelCap(int64_t{1} << 10);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BaseImage image;
    if (FUZZ_READER(data, size, &image) == 0) {
        if (image.width <= 0 || image.height <= 0 || !image.pixels) abort();
        uint32_t* pixels = static_cast<uint32_t*>(
            TrackedAlloc(static_cast<size_t>(image.width) * image.height * 4, nullptr, 0));
        ConvertToArgb(image, pixels, image.width);
        TrackedFree(pixels);
        FreeBaseImage(&image);
    }
    if (TrackedBlockCount() != 0) abort();
    return 0;
}
