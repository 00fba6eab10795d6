// movie_decode.cpp - the movie decoder behind plat_movie.h: libavformat reads the
// container through the caller's callbacks, libavcodec decodes the first video
// stream, libswscale converts frames into the caller's pixels.
//
// Owns: the FFmpeg objects of one open movie (in the caller's state block) and the
// two frames it holds (the one shown and the next one decoded). Must not touch:
// anything but its state, the callbacks and the pixels it is handed. Hostile input
// is bounded: demuxers are limited to video containers, nested opens (playlists,
// references to other files) are refused, frames above kPlatMovieMaxSide are
// refused, every decoding loop has a packet budget, and decoding runs on this
// thread only.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include <errno.h>
#include <stdio.h>

#include <new>
#include <utility>

#include "media/platform/plat_movie.h"

namespace {

constexpr int kIoBufferBytes = 32768;
// Packets read in search of one frame before the stream is taken as ended: far more
// than any real stream interleaves, few enough that damaged input cannot spin.
constexpr int kPacketBudget = 4096;
// Frames one call may step over to catch up with the clock.
constexpr int kStepBudget = 2000;
constexpr const char* kContainers = "avi,mov,mp4,matroska,webm,mpeg,mpegts,asf,flv,ogg";

struct MovieState {
    PlatMovieSource source;
    int64_t position;  // read position in the source
    AVIOContext* io;
    AVFormatContext* format;
    AVCodecContext* codec;
    SwsContext* scale;
    AVPacket* packet;
    AVFrame* current;  // the frame shown
    AVFrame* ahead;    // decoded, not yet due
    int stream;
    AVRational timeBase;
    int64_t startTime;
    int64_t frameMs;  // spacing for frames without a time stamp
    int64_t framesDecoded;
    int64_t currentMs;
    int64_t aheadMs;
    int haveAhead;
    int drained;  // the decoder was told the input ended
    int ended;
    int converted;  // `current` was written to the pixels last handed in
    const uint32_t* convertedTo;
};

int ReadPacket(void* opaque, uint8_t* buffer, int size) {
    MovieState* m = static_cast<MovieState*>(opaque);
    const int n = m->source.read(m->source.context, buffer, size);
    if (n < 0) return AVERROR(EIO);
    if (n == 0) return AVERROR_EOF;
    m->position += n;
    return n;
}

int64_t SeekPacket(void* opaque, int64_t offset, int whence) {
    MovieState* m = static_cast<MovieState*>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE) return m->source.size;
    int64_t target;
    if (whence == SEEK_SET)
        target = offset;
    else if (whence == SEEK_CUR)
        target = m->position + offset;
    else if (whence == SEEK_END)
        target = m->source.size + offset;
    else
        return AVERROR(EINVAL);
    if (target < 0 || target > m->source.size || m->source.seek(m->source.context, target) != 0)
        return AVERROR(EIO);
    m->position = target;
    return target;
}

int RefuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
    return AVERROR(EPERM);
}

void Release(MovieState* m) {
    sws_freeContext(m->scale);
    av_frame_free(&m->current);
    av_frame_free(&m->ahead);
    av_packet_free(&m->packet);
    avcodec_free_context(&m->codec);
    if (m->format) avformat_close_input(&m->format);  // a custom reader stays open
    if (m->io) {
        av_freep(&m->io->buffer);
        avio_context_free(&m->io);
    }
    *m = MovieState{};
}

int64_t TimeOf(MovieState* m, const AVFrame* frame) {
    int64_t ts = frame->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE) return m->framesDecoded * m->frameMs;
    if (m->startTime != AV_NOPTS_VALUE) ts -= m->startTime;
    return av_rescale_q(ts, m->timeBase, AVRational{1, 1000});
}

// The next frame of the stream into `out`: 0, or -1 at the end (or when the
// budget ran out on input that yields no frame).
int DecodeNext(MovieState* m, AVFrame* out) {
    for (int budget = 0; budget < kPacketBudget; ++budget) {
        const int received = avcodec_receive_frame(m->codec, out);
        if (received == 0) {
            if (out->width <= 0 || out->height <= 0 || out->format < 0) continue;
            ++m->framesDecoded;
            return 0;
        }
        if (received == AVERROR_EOF || (m->drained && received == AVERROR(EAGAIN))) return -1;
        if (received != AVERROR(EAGAIN)) continue;  // a damaged frame is left out
        if (av_read_frame(m->format, m->packet) < 0) {
            avcodec_send_packet(m->codec, nullptr);
            m->drained = 1;
            continue;
        }
        if (m->packet->stream_index == m->stream) avcodec_send_packet(m->codec, m->packet);
        av_packet_unref(m->packet);
    }
    return -1;
}

int OpenStream(MovieState* m, int* width, int* height) {
    uint8_t* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferBytes));
    if (!buffer) return kPlatMovieNotMovie;
    m->io = avio_alloc_context(buffer, kIoBufferBytes, 0, m, ReadPacket, nullptr, SeekPacket);
    m->format = avformat_alloc_context();
    if (!m->io || !m->format) {
        if (!m->io) av_free(buffer);
        return kPlatMovieNotMovie;
    }
    m->format->pb = m->io;
    m->format->flags |= AVFMT_FLAG_CUSTOM_IO;
    m->format->io_open = RefuseNestedOpen;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "format_whitelist", kContainers, 0);
    const int opened = avformat_open_input(&m->format, "", nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) return kPlatMovieNotMovie;  // the context is gone, the reader stays
    if (avformat_find_stream_info(m->format, nullptr) < 0) return kPlatMovieNotMovie;
    const AVCodec* decoder = nullptr;
    m->stream = av_find_best_stream(m->format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (m->stream < 0 || !decoder) return kPlatMovieNoVideo;
    for (unsigned i = 0; i < m->format->nb_streams; ++i)
        if (static_cast<int>(i) != m->stream) m->format->streams[i]->discard = AVDISCARD_ALL;
    const AVStream* stream = m->format->streams[m->stream];
    m->codec = avcodec_alloc_context3(decoder);
    if (!m->codec || avcodec_parameters_to_context(m->codec, stream->codecpar) < 0)
        return kPlatMovieNoVideo;
    m->codec->thread_count = 1;
    m->codec->max_pixels = int64_t{kPlatMovieMaxSide} * kPlatMovieMaxSide;
    if (avcodec_open2(m->codec, decoder, nullptr) < 0) return kPlatMovieNoVideo;
    m->timeBase = stream->time_base;
    m->startTime = stream->start_time;
    const AVRational rate = stream->avg_frame_rate;
    m->frameMs = rate.num > 0 && rate.den > 0 ? av_rescale(1000, rate.den, rate.num) : 40;
    m->packet = av_packet_alloc();
    m->current = av_frame_alloc();
    m->ahead = av_frame_alloc();
    if (!m->packet || !m->current || !m->ahead || DecodeNext(m, m->current) != 0)
        return kPlatMovieNotMovie;
    const AVFrame* first = m->current;
    if (first->width > kPlatMovieMaxSide || first->height > kPlatMovieMaxSide)
        return kPlatMovieNotMovie;
    m->currentMs = TimeOf(m, first);
    *width = first->width;
    *height = first->height;
    return kPlatMovieOk;
}

}  // namespace

const size_t kPlatMovieStateBytes = sizeof(MovieState);

int PlatMovieOpen(void* state, const PlatMovieSource* source, int* width, int* height) {
    if (!state || !source || !source->read || !source->seek || source->size < 0 || !width ||
        !height)
        return kPlatMovieNotMovie;
    av_log_set_level(AV_LOG_QUIET);
    MovieState* m = new (state) MovieState{};
    m->source = *source;
    const int result = OpenStream(m, width, height);
    if (result != kPlatMovieOk) Release(m);
    return result;
}

int PlatMovieShow(void* state, int64_t ms, uint32_t* pixels, int pitch, int width, int height) {
    MovieState* m = static_cast<MovieState*>(state);
    if (!m || !m->current || !pixels || width <= 0 || height <= 0 || pitch < width) return -1;
    bool changed = !m->converted || m->convertedTo != pixels;
    for (int step = 0; step < kStepBudget && !m->ended; ++step) {
        if (!m->haveAhead) {
            if (DecodeNext(m, m->ahead) != 0) {
                m->ended = 1;
                break;
            }
            m->haveAhead = 1;
            m->aheadMs = TimeOf(m, m->ahead);
        }
        if (m->aheadMs > ms) break;
        std::swap(m->current, m->ahead);
        m->currentMs = m->aheadMs;
        m->haveAhead = 0;
        changed = true;
    }
    if (!changed) return 0;
    const AVFrame* frame = m->current;
    m->scale = sws_getCachedContext(m->scale, frame->width, frame->height,
                                    static_cast<AVPixelFormat>(frame->format), width, height,
                                    AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!m->scale) return -1;
    uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(pixels), nullptr, nullptr, nullptr};
    const int strides[4] = {pitch * 4, 0, 0, 0};
    if (sws_scale(m->scale, frame->data, frame->linesize, 0, frame->height, planes, strides) !=
        height)
        return -1;
    m->converted = 1;
    m->convertedTo = pixels;
    return 1;
}

void PlatMovieClose(void* state) {
    if (state) Release(static_cast<MovieState*>(state));
}
