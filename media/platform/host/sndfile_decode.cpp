// sndfile_decode.cpp - WAV files of any format tag (ADPCM, u-law, A-law, GSM, float
// ...) decoded by libsndfile through its virtual I/O over a block of memory.
//
// Owns: the decoder state below. Touches nothing but libsndfile and the memory it
// is given (see plat_decode.h).
#include <sndfile.h>
#include <math.h>
#include <string.h>

#include <new>

#include "media/platform/plat_decode.h"

namespace {

// Samples are read as normalised floats and scaled here: libsndfile's own float
// to short path truncates float data to -1..1, or scales it by the file's peak.
constexpr int kBlockFrames = 1024;

struct SndState {
    const unsigned char* data;
    sf_count_t size;
    sf_count_t pos;
    SNDFILE* file;
    int channels;
    float block[kBlockFrames * 2];
};

sf_count_t Length(void* user) {
    return static_cast<SndState*>(user)->size;
}

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    SndState* s = static_cast<SndState*>(user);
    sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? s->pos : s->size;
    if (offset < -base || offset > s->size - base) return -1;
    s->pos = base + offset;
    return s->pos;
}

sf_count_t Read(void* out, sf_count_t count, void* user) {
    SndState* s = static_cast<SndState*>(user);
    if (count <= 0 || s->pos >= s->size) return 0;
    if (count > s->size - s->pos) count = s->size - s->pos;
    memcpy(out, s->data + s->pos, static_cast<size_t>(count));
    s->pos += count;
    return count;
}

sf_count_t Write(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t Tell(void* user) {
    return static_cast<SndState*>(user)->pos;
}

int Open(void* state, const void* data, size_t size, const PlatMpegHint*, PlatPcmFormat* format) {
    SndState* s = new (state) SndState{
        static_cast<const unsigned char*>(data), static_cast<sf_count_t>(size), 0, nullptr, 0, {}};
    SF_VIRTUAL_IO io = {Length, Seek, Read, Write, Tell};
    SF_INFO info;
    memset(&info, 0, sizeof info);
    s->file = sf_open_virtual(&io, SFM_READ, &info, s);
    if (!s->file) return -1;
    if (info.channels <= 0 || info.samplerate <= 0) {
        sf_close(s->file);
        s->file = nullptr;
        return -1;
    }
    s->channels = info.channels;
    format->channels = info.channels;
    format->rate = info.samplerate;
    format->frames = info.frames >= 0 ? info.frames : -1;
    return 0;
}

int ReadFrames(void* state, int16_t* out, int frames) {
    SndState* s = static_cast<SndState*>(state);
    if (!s->file || frames <= 0 || s->channels > 2) return 0;
    int done = 0;
    while (done < frames) {
        int ask = frames - done < kBlockFrames ? frames - done : kBlockFrames;
        sf_count_t got = sf_readf_float(s->file, s->block, ask);
        if (got <= 0) {
            if (done == 0 && sf_error(s->file) != SF_ERR_NO_ERROR) return -1;
            break;
        }
        for (sf_count_t k = 0; k < got * s->channels; ++k) {
            float v = s->block[k] * 32768.0f;
            out[static_cast<size_t>(done) * s->channels + k] =
                static_cast<int16_t>(v >= 32767.0f    ? 32767
                                     : v <= -32768.0f ? -32768
                                                      : lrintf(v));
        }
        done += static_cast<int>(got);
        if (got < ask) break;
    }
    return done;
}

int SeekFrame(void* state, int64_t frame) {
    SndState* s = static_cast<SndState*>(state);
    if (!s->file) return -1;
    return sf_seek(s->file, frame, SEEK_SET) == frame ? 0 : -1;
}

void Close(void* state) {
    SndState* s = static_cast<SndState*>(state);
    if (s->file) sf_close(s->file);
    s->file = nullptr;
}

}  // namespace

const PlatDecoderOps kPlatSndfileDecoder = {sizeof(SndState), Open, ReadFrames, SeekFrame, Close};
