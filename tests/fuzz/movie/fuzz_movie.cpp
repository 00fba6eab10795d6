// fuzz_movie - hostile bytes as a movie file, read from memory through the decoder's
// read and seek callbacks as the file layer feeds it: opened, then shown at three
// times into pixels of its frame size. Frames larger than a small picture are opened
// but not converted, so one input stays cheap.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "media/platform/plat_movie.h"

namespace {

struct Memory {
    const uint8_t* data;
    int64_t size;
    int64_t at;
};

int Read(void* context, uint8_t* buffer, int size) {
    Memory* m = static_cast<Memory*>(context);
    const int64_t left = m->size - m->at;
    const int n = static_cast<int>(left < size ? left : size);
    memcpy(buffer, m->data + m->at, static_cast<size_t>(n));
    m->at += n;
    return n;
}

int Seek(void* context, int64_t offset) {
    Memory* m = static_cast<Memory*>(context);
    if (offset < 0 || offset > m->size) return -1;
    m->at = offset;
    return 0;
}

alignas(max_align_t) unsigned char g_state[4096];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (kPlatMovieStateBytes > sizeof g_state) abort();
    Memory memory = {data, static_cast<int64_t>(size), 0};
    const PlatMovieSource source = {&memory, Read, Seek, memory.size};
    int width = 0, height = 0;
    if (PlatMovieOpen(g_state, &source, &width, &height) != kPlatMovieOk) return 0;
    if (width <= 0 || height <= 0 || width > kPlatMovieMaxSide || height > kPlatMovieMaxSide)
        abort();
    if (int64_t{width} * height <= 256 * 256) {
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
        for (int64_t ms : {0, 500, 100000})
            PlatMovieShow(g_state, ms, pixels.data(), width, width, height);
    }
    PlatMovieClose(g_state);
    return 0;
}
