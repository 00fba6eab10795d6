// image_jpeg.cpp - JPEG pictures from memory through libjpeg (see plat_image.h).
//
// Owns: one libjpeg decompressor per call, made and destroyed here. The library's
// default error handler would end the process; it is replaced before the
// decompressor exists by one that long-jumps back into RunDecode, a frame that
// holds nothing needing a destructor. A stream that ends before the picture does is
// an error (libjpeg would only warn and fill the rest with grey), and a stream with
// an absurd number of scans is stopped while it is read.
#include <setjmp.h>
#include <stdio.h>
#include <string.h>

#include <jpeglib.h>
#include <jerror.h>

#include "media/platform/plat_image.h"

namespace {

constexpr unsigned kMaxSide = 16384;
// Every 8 x 8 block of a Huffman-coded picture costs at least one bit: a picture
// claiming far more pixels than its bytes could carry is refused before its rows
// are asked for.
constexpr uint64_t kPixelsPerByte = 512;
constexpr uint64_t kSlack = 65536;
constexpr int kMaxScans = 500;
constexpr long kMaxWorkMemory = 512L << 20;

struct JpegJob {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    jpeg_progress_mgr progress;
    bool created;
    jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
    longjmp(static_cast<JpegJob*>(cinfo->client_data)->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) OnError(cinfo);
}

void OnOutput(j_common_ptr) {}

void OnProgress(j_common_ptr cinfo) {
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        OnError(cinfo);
}

int RunDecode(JpegJob* job, const uint8_t* data, size_t size, const PlatImageSink* sink) {
    jpeg_decompress_struct* cinfo = &job->cinfo;
    if (setjmp(job->jump)) return -1;
    cinfo->err = jpeg_std_error(&job->err);
    job->err.error_exit = OnError;
    job->err.emit_message = OnMessage;
    job->err.output_message = OnOutput;
    cinfo->client_data = job;
    jpeg_create_decompress(cinfo);
    job->created = true;
    cinfo->mem->max_memory_to_use = kMaxWorkMemory;
    job->progress.progress_monitor = OnProgress;
    cinfo->progress = &job->progress;
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return -1;
    const uint64_t pixels = static_cast<uint64_t>(cinfo->image_width) * cinfo->image_height;
    if (cinfo->image_width == 0 || cinfo->image_height == 0 || cinfo->image_width > kMaxSide ||
        cinfo->image_height > kMaxSide || pixels > size * kPixelsPerByte + kSlack)
        return -1;
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    cinfo->out_color_space = JCS_EXT_BGRA;  // bytes B G R A make 0xAARRGGBB
#else
    cinfo->out_color_space = JCS_EXT_ARGB;
#endif
    jpeg_calc_output_dimensions(cinfo);
    int pitch = 0;
    uint32_t* rows = sink->begin(sink->context, static_cast<int>(cinfo->output_width),
                                 static_cast<int>(cinfo->output_height), 0, &pitch);
    if (!rows || pitch < static_cast<int>(cinfo->output_width)) return -1;
    jpeg_start_decompress(cinfo);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(
            rows + static_cast<size_t>(cinfo->output_scanline) * static_cast<size_t>(pitch));
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1) return -1;
    }
    return 0;
}

}  // namespace

int PlatIsJpeg(const void* data, size_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    return data && size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

int PlatDecodeJpeg(const void* data, size_t size, const PlatImageSink* sink) {
    if (!sink || !sink->begin || !PlatIsJpeg(data, size)) return -1;
    JpegJob job;
    memset(&job, 0, sizeof job);
    const int result = RunDecode(&job, static_cast<const uint8_t*>(data), size, sink);
    if (job.created) jpeg_destroy_decompress(&job.cinfo);
    return result;
}
