// plat_decode.h - the audio decoding libraries, as the sound area needs them of the
// platform: libsndfile (WAV with any format tag), libvorbisfile (Ogg Vorbis) and
// libmpg123 (MPEG audio frames).
//
// Every decoder reads from a block of memory the caller owns and keeps alive until
// the decoder is closed; none ever opens a path. Output is always signed 16-bit,
// native-endian, interleaved frames of the source's channel count and rate. The
// caller allocates the decoder's state (ops.stateBytes, aligned for any type) and
// hands it to open; the libraries allocate their own internals.
//
// Implemented in media/platform/host/: sndfile_decode.cpp, vorbis_decode.cpp and
// mpg123_decode.cpp, one table of operations each. They touch nothing but their
// library and the memory they are given, so they may run on any thread that owns
// the decoder (the sound area calls them under the API lock).
#ifndef PAVEX_PLATFORM_DECODE_H
#define PAVEX_PLATFORM_DECODE_H

#include <stddef.h>
#include <stdint.h>

struct PlatPcmFormat {
    int channels;    // 1 or more, as the source says
    int rate;        // frames per second
    int64_t frames;  // frames the source claims, -1 when unknown (never trusted for sizes)
};

// What the MP3 decoder is told of the data it gets: the caller has walked the tags
// and frames itself and hands over exactly the frames.
struct PlatMpegHint {
    int channels;
    int rate;
};

struct PlatDecoderOps {
    size_t stateBytes;
    // Opens a decoder on data[0..size): 0 and the format, or -1. `hint` is only read
    // by the MPEG decoder (required there). On -1 nothing needs closing.
    int (*open)(void* state, const void* data, size_t size, const PlatMpegHint* hint,
                PlatPcmFormat* format);
    // Writes up to `frames` frames to `out`: the count written, 0 at the end of the
    // data, -1 on a decoding error (the caller treats it as the end).
    int (*read)(void* state, int16_t* out, int frames);
    // Positions at frame `frame` from the start (0 = the beginning): 0, or -1.
    int (*seek)(void* state, int64_t frame);
    void (*close)(void* state);
};

extern const PlatDecoderOps kPlatSndfileDecoder;
extern const PlatDecoderOps kPlatVorbisDecoder;
extern const PlatDecoderOps kPlatMpegDecoder;

#endif
