// fuzz_wav_walk.cpp - the RIFF WAVE chunk walk on any bytes: it never reads outside
// the input, and what it accepts lies inside the input.
#include <stdint.h>
#include <stdlib.h>

#include "media/sound/sound_formats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WavInfo w;
    if (WavWalk(data, size, &w) != 0) return 0;
    if (w.dataOffset > size || w.dataBytes > size - w.dataOffset) abort();
    // Every byte the decoder would read must be readable.
    unsigned sum = 0;
    for (size_t i = 0; i < w.dataBytes; i += 61) sum += data[w.dataOffset + i];
    return static_cast<int>(sum & 0);
}
