// plat_movie.h - the movie decoder, as movie graphics need it: a container read
// through the caller's read and seek callbacks (never a path), its first video
// stream decoded frame by frame and converted into 32-bit pixels.
//
// Implemented once in media/platform/host/movie_decode.cpp (libavformat,
// libavcodec, libswscale). The caller allocates the decoder's state
// (kPlatMovieStateBytes, aligned for any type) and keeps it and the source behind
// the callbacks alive until PlatMovieClose; the libraries allocate their own
// internals. The sound track is never decoded; nothing is printed; no other file
// or network address is ever opened on behalf of the input.
#ifndef PAVEX_PLATFORM_MOVIE_H
#define PAVEX_PLATFORM_MOVIE_H

#include <stddef.h>
#include <stdint.h>

extern const size_t kPlatMovieStateBytes;

// Larger frames are refused before anything of their size is allocated.
constexpr int kPlatMovieMaxSide = 4096;

struct PlatMovieSource {
    void* context;
    // Up to `size` bytes into `buffer`: the count, 0 at the end, -1 on failure.
    int (*read)(void* context, uint8_t* buffer, int size);
    // Moves to `offset` from the start: 0, or -1.
    int (*seek)(void* context, int64_t offset);
    int64_t size;  // bytes of the source
};

// Results of PlatMovieOpen.
constexpr int kPlatMovieOk = 0;
constexpr int kPlatMovieNotMovie = -1;  // not a container it knows, damaged, or cut short
constexpr int kPlatMovieNoVideo = -2;   // a container without a video stream it can decode

// Opens the source and decodes its first frame: kPlatMovieOk with the frame size,
// or one of the failures above (nothing then needs closing).
int PlatMovieOpen(void* state, const PlatMovieSource* source, int* width, int* height);
// Brings the frame shown up to `ms` milliseconds into the movie (the last frame
// whose time is not later; the last frame of the movie stays once it ends) and,
// when it changed since the last call with the same pixels, converts it into
// `pixels` (width x height 0xFFRRGGBB, `pitch` pixels apart; the decoded frame is
// scaled when its size differs). 1 when the pixels were written, 0 when they
// already show that frame, -1 when the conversion failed.
int PlatMovieShow(void* state, int64_t ms, uint32_t* pixels, int pitch, int width, int height);
void PlatMovieClose(void* state);

#endif
