// vorbis_decode.cpp - Ogg Vorbis decoded by libvorbisfile over read, seek, tell and
// close callbacks on a block of memory, to 16-bit signed little-endian samples.
//
// Owns: the decoder state below. Touches nothing but libvorbisfile and the memory
// it is given (see plat_decode.h).
#include <stdio.h>
#include <string.h>
#include <vorbis/vorbisfile.h>

#include <new>

#include "media/platform/plat_decode.h"

namespace {

constexpr int kReadBlockBytes = 4096;

struct VorbisState {
    const unsigned char* data;
    size_t size;
    size_t pos;
    OggVorbis_File file;
    int open;
    int channels;
    int rate;
    int section;
};

size_t ReadCb(void* out, size_t size, size_t count, void* user) {
    VorbisState* s = static_cast<VorbisState*>(user);
    if (size == 0 || s->pos >= s->size) return 0;
    size_t items = (s->size - s->pos) / size;
    if (items > count) items = count;
    memcpy(out, s->data + s->pos, items * size);
    s->pos += items * size;
    return items;
}

int SeekCb(void* user, ogg_int64_t offset, int whence) {
    VorbisState* s = static_cast<VorbisState*>(user);
    ogg_int64_t base = whence == SEEK_SET   ? 0
                       : whence == SEEK_CUR ? static_cast<ogg_int64_t>(s->pos)
                                            : static_cast<ogg_int64_t>(s->size);
    ogg_int64_t to = base + offset;
    if (offset < -base || to > static_cast<ogg_int64_t>(s->size)) return -1;
    s->pos = static_cast<size_t>(to);
    return 0;
}

long TellCb(void* user) {
    return static_cast<long>(static_cast<VorbisState*>(user)->pos);
}

int CloseCb(void*) {
    return 0;
}

int Open(void* state, const void* data, size_t size, const PlatMpegHint*, PlatPcmFormat* format) {
    VorbisState* s = new (state) VorbisState();
    s->data = static_cast<const unsigned char*>(data);
    s->size = size;
    ov_callbacks cb = {ReadCb, SeekCb, CloseCb, TellCb};
    if (ov_open_callbacks(s, &s->file, nullptr, 0, cb) != 0) return -1;
    s->open = 1;
    vorbis_info* info = ov_info(&s->file, -1);
    if (!info || info->channels <= 0 || info->rate <= 0) {
        ov_clear(&s->file);
        s->open = 0;
        return -1;
    }
    s->channels = info->channels;
    s->rate = static_cast<int>(info->rate);
    s->section = -1;
    format->channels = s->channels;
    format->rate = s->rate;
    ogg_int64_t total = ov_pcm_total(&s->file, -1);
    format->frames = total >= 0 ? total : -1;
    return 0;
}

int ReadFrames(void* state, int16_t* out, int frames) {
    VorbisState* s = static_cast<VorbisState*>(state);
    if (!s->open || frames <= 0) return 0;
    const int frameBytes = s->channels * 2;
    char* dst = reinterpret_cast<char*>(out);
    int want = frames * frameBytes, done = 0;
    while (done < want) {
        int ask = want - done < kReadBlockBytes ? want - done : kReadBlockBytes;
        int section = 0;
        long got = ov_read(&s->file, dst + done, ask, 0, 2, 1, &section);
        if (got == OV_HOLE) continue;  // a gap in the pages: the next read goes on
        if (got < 0) return done ? done / frameBytes : -1;
        if (got == 0) break;
        // A chained stream whose later links change the format ends here: the ring
        // and the samples keep the first link's format.
        vorbis_info* info = ov_info(&s->file, section);
        if (!info || info->channels != s->channels || info->rate != s->rate) break;
        done += static_cast<int>(got);
    }
    return done / frameBytes;
}

int SeekFrame(void* state, int64_t frame) {
    VorbisState* s = static_cast<VorbisState*>(state);
    if (!s->open) return -1;
    return ov_pcm_seek(&s->file, frame) == 0 ? 0 : -1;
}

void Close(void* state) {
    VorbisState* s = static_cast<VorbisState*>(state);
    if (s->open) ov_clear(&s->file);
    s->open = 0;
}

}  // namespace

const PlatDecoderOps kPlatVorbisDecoder = {sizeof(VorbisState), Open, ReadFrames, SeekFrame, Close};
