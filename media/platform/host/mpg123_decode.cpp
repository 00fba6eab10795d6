// mpg123_decode.cpp - MPEG audio frames decoded by libmpg123 from a block of memory
// through its reader callbacks, to 16-bit signed samples.
//
// Owns: the decoder state below and the one-time library set-up. The caller has
// already walked the tags and frames and hands over exactly the frames, so the
// library never sees a tag byte. Gapless decoding is on: an encoder's delay and
// padding, announced in the first (Info) frame, are cut, so a looped track joins
// without a gap. Touches nothing but libmpg123 and the memory it is given.
#include <mpg123.h>
#include <string.h>
#include <sys/types.h>

#include <mutex>
#include <new>

#include "media/platform/plat_decode.h"

namespace {

struct MpegState {
    const unsigned char* data;
    size_t size;
    size_t pos;
    mpg123_handle* handle;
    int channels;
    int rate;
    int ended;
};

int LibraryReady() {
    static std::once_flag once;
    static int result = MPG123_ERR;
    std::call_once(once, [] { result = mpg123_init(); });
    return result == MPG123_OK;
}

ssize_t ReadCb(void* user, void* out, size_t count) {
    MpegState* s = static_cast<MpegState*>(user);
    size_t left = s->size - s->pos;
    if (count > left) count = left;
    memcpy(out, s->data + s->pos, count);
    s->pos += count;
    return static_cast<ssize_t>(count);
}

off_t SeekCb(void* user, off_t offset, int whence) {
    MpegState* s = static_cast<MpegState*>(user);
    off_t base = whence == SEEK_SET   ? 0
                 : whence == SEEK_CUR ? static_cast<off_t>(s->pos)
                                      : static_cast<off_t>(s->size);
    if (offset < -base || offset > static_cast<off_t>(s->size) - base) return -1;
    s->pos = static_cast<size_t>(base + offset);
    return static_cast<off_t>(s->pos);
}

void Drop(MpegState* s) {
    if (s->handle) {
        mpg123_close(s->handle);
        mpg123_delete(s->handle);
    }
    s->handle = nullptr;
}

int Open(void* state, const void* data, size_t size, const PlatMpegHint* hint,
         PlatPcmFormat* format) {
    MpegState* s = new (state) MpegState();
    s->data = static_cast<const unsigned char*>(data);
    s->size = size;
    if (!hint || hint->channels < 1 || hint->channels > 2 || hint->rate <= 0 || !LibraryReady())
        return -1;
    s->channels = hint->channels;
    s->rate = hint->rate;
    int error = MPG123_OK;
    s->handle = mpg123_new(nullptr, &error);
    if (!s->handle) return -1;
    mpg123_param(s->handle, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    mpg123_param(s->handle, MPG123_RESYNC_LIMIT, 4096, 0.0);
    // Only the first frame's format is accepted: a stream that changes it ends there.
    if (mpg123_format_none(s->handle) != MPG123_OK ||
        mpg123_format(s->handle, s->rate, s->channels, MPG123_ENC_SIGNED_16) != MPG123_OK ||
        mpg123_replace_reader_handle(s->handle, ReadCb, SeekCb, nullptr) != MPG123_OK ||
        mpg123_open_handle(s->handle, s) != MPG123_OK) {
        Drop(s);
        return -1;
    }
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(s->handle, &rate, &channels, &encoding) != MPG123_OK || rate != s->rate ||
        channels != s->channels) {
        Drop(s);
        return -1;
    }
    format->channels = s->channels;
    format->rate = s->rate;
    off_t length = mpg123_length(s->handle);
    format->frames = length >= 0 ? static_cast<int64_t>(length) : -1;
    return 0;
}

int ReadFrames(void* state, int16_t* out, int frames) {
    MpegState* s = static_cast<MpegState*>(state);
    if (!s->handle || s->ended || frames <= 0) return 0;
    const size_t frameBytes = static_cast<size_t>(s->channels) * 2;
    unsigned char* dst = reinterpret_cast<unsigned char*>(out);
    size_t want = static_cast<size_t>(frames) * frameBytes, done = 0;
    while (done < want) {
        size_t got = 0;
        int r = mpg123_read(s->handle, dst + done, want - done, &got);
        done += got;
        if (r == MPG123_OK) continue;
        if (r == MPG123_DONE || r == MPG123_NEW_FORMAT) {
            s->ended = 1;
            break;
        }
        if (r == MPG123_NEED_MORE) {  // only at the end of the memory
            s->ended = 1;
            break;
        }
        if (done == 0) return -1;
        s->ended = 1;
        break;
    }
    return static_cast<int>(done / frameBytes);
}

int SeekFrame(void* state, int64_t frame) {
    MpegState* s = static_cast<MpegState*>(state);
    if (!s->handle) return -1;
    if (mpg123_seek(s->handle, static_cast<off_t>(frame), SEEK_SET) < 0) return -1;
    s->ended = 0;
    return 0;
}

void Close(void* state) {
    Drop(static_cast<MpegState*>(state));
}

}  // namespace

const PlatDecoderOps kPlatMpegDecoder = {sizeof(MpegState), Open, ReadFrames, SeekFrame, Close};
