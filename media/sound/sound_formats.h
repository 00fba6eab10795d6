// sound_formats.h - the sound area's own readers of outside data: the RIFF WAVE
// chunk walk and the MP3 tag and frame walk. Both read from memory, check every
// size against what the input holds, allocate nothing and know nothing of the rest
// of the library, so the fuzz targets reach them exactly as LoadSound does.
#ifndef PAVEX_SOUND_SOUND_FORMATS_H
#define PAVEX_SOUND_SOUND_FORMATS_H

#include <stddef.h>
#include <stdint.h>

constexpr int kWavFormatPcm = 1;

struct WavInfo {
    int formatTag;
    int channels;
    int rate;
    int averageBytesPerSecond;
    int blockAlign;
    int bitsPerSample;  // from the chunk, or 8 x block align / channels for a 16-byte chunk
    int extraSize;
    size_t dataOffset;  // first byte of the "data" chunk's contents
    size_t dataBytes;   // its size (within the input)
};

// The chunk walk: "RIFF" (size not checked), "WAVE", then the "fmt " chunk, which
// must come first, then chunks (odd sizes padded to even) up to "data". 0 and `info`,
// or -1 when the walk fails (also for a data size past the end of the input).
int WavWalk(const uint8_t* data, size_t size, WavInfo* info);

struct Mp3Info {
    size_t tagBytes;     // the ID3v2 tag at the start, header (and v4 footer) included
    int hasTrailer;      // a 128-byte ID3v1 tag ("TAG") ends the data
    size_t audioStart;   // first byte of the first frame
    size_t audioEnd;     // one past the last whole frame of the walk
    int64_t frames;      // frames walked
    int64_t maxSamples;  // samples per channel the frames can hold at most
    int version;         // 1 MPEG-1, 2 MPEG-2 (of the first frame)
    int layer;           // 1..3
    int channels;        // 1 when the mode bits are 11, else 2
    int rate;
    int bitRate;  // kbit/s of the first frame
    int averageBytesPerSecond;
    int blockBytes;  // length of the first frame
};

struct Mp3Frame {
    int version, layer, channels, rate, bitRate, bytes, samples;
};
// Decodes a 4-byte frame header: 0, or -1 (no sync, MPEG 2.5, reserved layer, free
// or bad bit rate, reserved sample rate).
int Mp3FrameHeader(const uint8_t* header, Mp3Frame* frame);

// The tag and frame walk: 0 and `info`, or -1 when no whole frame is found.
int Mp3Walk(const uint8_t* data, size_t size, Mp3Info* info);

#endif
