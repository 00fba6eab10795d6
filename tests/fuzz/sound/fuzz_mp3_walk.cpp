// fuzz_mp3_walk.cpp - the MP3 tag and frame walk on any bytes: it never reads
// outside the input, the frames it hands on lie between the tags, and the region
// starts with a frame header that decodes.
#include <stdint.h>
#include <stdlib.h>

#include "media/sound/sound_formats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Mp3Info m;
    if (Mp3Walk(data, size, &m) != 0) return 0;
    const size_t end = m.hasTrailer ? size - 128 : size;
    if (m.audioStart < m.tagBytes || m.audioEnd > end || m.audioStart > m.audioEnd) abort();
    Mp3Frame f;
    if (m.frames < 1 || Mp3FrameHeader(data + m.audioStart, &f) != 0 || f.rate != m.rate) abort();
    if (m.maxSamples < m.frames * 384 || m.maxSamples > m.frames * 1152) abort();
    return 0;
}
