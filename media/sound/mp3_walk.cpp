// mp3_walk.cpp - the MP3 tag and frame walk (see sound_formats.h): the ID3v2 tag at
// the start (with the version-4 footer), the ID3v1 trailer, the first frame sync
// after the tag and the walk over whole frames, so that the decoder is given exactly
// the frames between the tags.
//
// Owns: nothing but the walk and the MPEG audio header tables.
#include <string.h>

#include "media/sound/sound_formats.h"

namespace {

constexpr size_t kId3v1Bytes = 128;
constexpr size_t kId3v2HeaderBytes = 10;

// Bit rates in kbit/s by [MPEG-1 0 / MPEG-2 1][layer-1][index]; index 0 (free format)
// and 15 are refused before the table is read.
constexpr int kBitRates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
};
constexpr int kRates[2][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}};

// The size of an ID3v2 tag at the start, 0 when there is none. The four size bytes
// are 7-bit (their high bits must be clear).
size_t Id3v2Bytes(const uint8_t* data, size_t size) {
    if (size < kId3v2HeaderBytes || memcmp(data, "ID3", 3) != 0) return 0;
    const uint8_t* s = data + 6;
    if ((s[0] | s[1] | s[2] | s[3]) & 0x80) return 0;
    size_t bytes =
        (static_cast<size_t>(s[0]) << 21 | s[1] << 14 | s[2] << 7 | s[3]) + kId3v2HeaderBytes;
    if (data[3] == 4 && (data[5] & 0x10)) bytes += 10;  // version 4 with its footer
    return bytes;
}

}  // namespace

int Mp3FrameHeader(const uint8_t* h, Mp3Frame* frame) {
    if (h[0] != 0xFF || (h[1] & 0xF0) != 0xF0) return -1;  // also refuses MPEG 2.5
    const int mpeg1 = (h[1] >> 3) & 1;
    const int layerBits = (h[1] >> 1) & 3;
    const int rateIndex = h[2] >> 4;
    const int freqIndex = (h[2] >> 2) & 3;
    if (layerBits == 0 || rateIndex == 0 || rateIndex == 15 || freqIndex == 3) return -1;
    const int layer = 4 - layerBits;
    const int v = mpeg1 ? 0 : 1;
    Mp3Frame f;
    f.version = mpeg1 ? 1 : 2;
    f.layer = layer;
    f.channels = (h[3] >> 6) == 3 ? 1 : 2;
    f.rate = kRates[v][freqIndex];
    f.bitRate = kBitRates[v][layer - 1][rateIndex];
    const int pad = (h[2] >> 1) & 1;
    const long bits = static_cast<long>(f.bitRate) * 1000;
    if (layer == 1) {
        f.bytes = static_cast<int>((12 * bits / f.rate + pad) * 4);
        f.samples = 384;
    } else if (layer == 3 && !mpeg1) {
        f.bytes = static_cast<int>(72 * bits / f.rate + pad);
        f.samples = 576;
    } else {
        f.bytes = static_cast<int>(144 * bits / f.rate + pad);
        f.samples = 1152;
    }
    *frame = f;
    return 0;
}

int Mp3Walk(const uint8_t* data, size_t size, Mp3Info* info) {
    if (!data) return -1;
    Mp3Info m = {};
    m.tagBytes = Id3v2Bytes(data, size);
    size_t end = size;
    if (size > kId3v1Bytes && memcmp(data + size - kId3v1Bytes, "TAG", 3) == 0) {
        end -= kId3v1Bytes;
        m.hasTrailer = 1;
    }
    if (m.tagBytes >= end) return -1;
    // The first sync whose header decodes and whose frame fits.
    Mp3Frame first = {};
    size_t pos = m.tagBytes;
    for (;; ++pos) {
        if (end - pos < 4) return -1;
        if (Mp3FrameHeader(data + pos, &first) == 0 &&
            static_cast<size_t>(first.bytes) <= end - pos)
            break;
    }
    m.audioStart = pos;
    m.version = first.version;
    m.layer = first.layer;
    m.channels = first.channels;
    m.rate = first.rate;
    m.bitRate = first.bitRate;
    m.averageBytesPerSecond = first.bitRate * 1000 / 8;
    m.blockBytes = first.bytes;
    // Whole frames from there; the walk ends at the end of the audio data or at the
    // first place that is not a whole frame.
    Mp3Frame f;
    while (end - pos >= 4 && Mp3FrameHeader(data + pos, &f) == 0 &&
           static_cast<size_t>(f.bytes) <= end - pos) {
        pos += static_cast<size_t>(f.bytes);
        ++m.frames;
        m.maxSamples += f.samples;
    }
    m.audioEnd = pos;
    *info = m;
    return 0;
}
