// wav_reader.cpp - the RIFF WAVE chunk walk (see sound_formats.h).
//
// Owns: nothing but the walk. Reads only the bytes it has checked are there; a size
// a header claims is compared with the bytes that remain before it is used.
#include <string.h>

#include "media/sound/sound_formats.h"

namespace {

uint32_t U32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
int U16(const uint8_t* p) {
    return p[0] | p[1] << 8;
}

}  // namespace

int WavWalk(const uint8_t* data, size_t size, WavInfo* info) {
    if (!data || size < 20 || memcmp(data, "RIFF", 4) != 0 || memcmp(data + 8, "WAVE", 4) != 0 ||
        memcmp(data + 12, "fmt ", 4) != 0)
        return -1;
    const size_t fmtSize = U32(data + 16);
    size_t pos = 20;
    if (fmtSize < 16 || fmtSize > size - pos) return -1;
    const uint8_t* f = data + pos;
    WavInfo w = {};
    w.formatTag = U16(f);
    w.channels = U16(f + 2);
    w.rate = static_cast<int>(U32(f + 4) & 0x7FFFFFFF);
    w.averageBytesPerSecond = static_cast<int>(U32(f + 8) & 0x7FFFFFFF);
    w.blockAlign = U16(f + 12);
    if (fmtSize == 16) {
        w.bitsPerSample = w.channels ? 8 * w.blockAlign / w.channels : 0;
        w.extraSize = 0;
    } else {
        w.bitsPerSample = U16(f + 14);
        w.extraSize = fmtSize >= 18 ? U16(f + 16) : 0;
    }
    pos += fmtSize + (fmtSize & 1);
    // Walk to "data": every header must fit, every skip must stay inside the input.
    while (pos <= size && size - pos >= 8) {
        const uint8_t* chunk = data + pos;
        const size_t chunkSize = U32(chunk + 4);
        pos += 8;
        if (memcmp(chunk, "data", 4) == 0) {
            if (chunkSize > size - pos) return -1;
            w.dataOffset = pos;
            w.dataBytes = chunkSize;
            *info = w;
            return 0;
        }
        const size_t skip = chunkSize + (chunkSize & 1);
        if (skip > size - pos) return -1;
        pos += skip;
    }
    return -1;
}
