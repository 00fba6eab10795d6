// image_png.cpp - PNG pictures from memory through libpng (see plat_image.h).
//
// Owns: one libpng read structure per call, made and destroyed here. libpng reports
// errors by a long jump; the only frame that jump lands in is RunDecode below, which
// holds nothing that needs a destructor (everything lives in the PngJob of the
// caller), so no C++ frame is ever jumped over. Never touches the caller's block
// except to write rows into it.
#include <png.h>
#include <setjmp.h>
#include <string.h>

#include "media/platform/plat_image.h"

namespace {

constexpr png_uint_32 kMaxSide = 16384;
// Deflate turns one byte into at most 1032: a picture whose raw rows are larger than
// that allows for its whole file cannot be complete, so it is refused before any row
// memory is asked for.
constexpr uint64_t kDeflateRatio = 1032;
constexpr uint64_t kSlack = 65536;
constexpr png_alloc_size_t kChunkMax = 8u << 20;  // text, profiles and other chunks

struct PngJob {
    const uint8_t* data;
    size_t size;
    size_t pos;
    const PlatImageSink* sink;
    png_structp png;
    png_infop info;
    jmp_buf jump;
};

[[noreturn]] void OnError(png_structp png, png_const_charp) {
    PngJob* job = static_cast<PngJob*>(png_get_error_ptr(png));
    longjmp(job->jump, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep out, size_t count) {
    PngJob* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (count > job->size - job->pos) png_error(png, "cut short");
    memcpy(out, job->data + job->pos, count);
    job->pos += count;
}

// Everything libpng may jump out of happens here. Returns 0 or -1.
int RunDecode(PngJob* job) {
    if (setjmp(job->jump)) return -1;
    job->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, OnError, OnWarning);
    if (!job->png) return -1;
    png_structp png = job->png;
    job->info = png_create_info_struct(png);
    if (!job->info) return -1;
    png_infop info = job->info;
    png_set_read_fn(png, job, OnRead);
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_set_chunk_malloc_max(png, kChunkMax);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Mutated inputs would almost never pass a checksum; the fuzzers want the decoder.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colourType, &interlace, nullptr, nullptr);
    const uint64_t rawBytes = (static_cast<uint64_t>(png_get_rowbytes(png, info)) + 1) * height;
    if (width == 0 || height == 0 || rawBytes > job->size * kDeflateRatio + kSlack) return -1;

    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    const bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || transparency;
    if (depth == 16) png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (transparency) png_set_tRNS_to_alpha(png);
    if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    png_set_bgr(png);  // bytes B G R A make 0xAARRGGBB
    if (!alpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
#else
    if (alpha) png_set_swap_alpha(png);  // bytes A R G B make 0xAARRGGBB
    if (!alpha) png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
#endif
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) return -1;

    int pitch = 0;
    uint32_t* rows = job->sink->begin(job->sink->context, static_cast<int>(width),
                                      static_cast<int>(height), alpha ? 1 : 0, &pitch);
    if (!rows || pitch < static_cast<int>(width)) return -1;
    // An interlaced picture comes in passes over the same rows; each pass fills in
    // the pixels it carries and keeps the others.
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, reinterpret_cast<png_bytep>(rows + static_cast<size_t>(y) * pitch),
                         nullptr);
    png_read_end(png, nullptr);  // a file cut short after its pixels is still cut short
    return 0;
}

}  // namespace

int PlatIsPng(const void* data, size_t size) {
    return data && size >= 8 && png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) == 0;
}

int PlatDecodePng(const void* data, size_t size, const PlatImageSink* sink) {
    if (!sink || !sink->begin || !PlatIsPng(data, size)) return -1;
    PngJob job;
    memset(&job, 0, sizeof job);
    job.data = static_cast<const uint8_t*>(data);
    job.size = size;
    job.sink = sink;
    const int result = RunDecode(&job);
    if (job.png) png_destroy_read_struct(&job.png, job.info ? &job.info : nullptr, nullptr);
    return result;
}
