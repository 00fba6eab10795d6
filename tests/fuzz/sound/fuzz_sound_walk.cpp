// fuzz_sound_walk.cpp - the sound area's own readers on any bytes: the first byte
// picks the RIFF WAVE chunk walk (even) or the MP3 tag and frame walk (odd) over the
// rest. Neither reads outside the input; the WAV data it accepts lies inside the
// input; the MP3 frames it hands on lie between the tags, and the region starts with
// a frame header that decodes.
#include <stdint.h>
#include <stdlib.h>

#include "media/sound/sound_formats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t length) {
    if (length < 1) return 0;
    const uint8_t* data = bytes + 1;
    const size_t size = length - 1;
    if ((bytes[0] & 1) == 0) {
        WavInfo w;
        if (WavWalk(data, size, &w) == 0 &&
            (w.dataOffset > size || w.dataBytes > size - w.dataOffset))
            abort();
        return 0;
    }
    Mp3Info m;
    if (Mp3Walk(data, size, &m) != 0) return 0;
    const size_t end = m.hasTrailer ? size - 128 : size;
    if (m.audioStart < m.tagBytes || m.audioEnd > end || m.audioStart > m.audioEnd) abort();
    Mp3Frame f;
    if (m.frames < 1 || Mp3FrameHeader(data + m.audioStart, &f) != 0 || f.rate != m.rate) abort();
    if (m.maxSamples < m.frames * 384 || m.maxSamples > m.frames * 1152) abort();
    return 0;
}
