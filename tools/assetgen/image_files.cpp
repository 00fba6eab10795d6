// image_files.cpp - PNG, BMP and JPEG encoding into memory. Uses libpng and libjpeg;
// must not touch the file system except through output.h.
#include "tools/assetgen/image_files.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <png.h>

#include "tools/assetgen/output.h"

namespace assetgen {

namespace {

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp) {}

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

void JpegErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

}  // namespace

std::vector<uint8_t> EncodePng(const Canvas& c, bool withAlpha) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return out;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return out;
    }
    const int channels = withAlpha ? 4 : 3;
    std::vector<uint8_t> row(static_cast<size_t>(c.width()) * channels);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        out.clear();
        return out;
    }
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, info, c.width(), c.height(), 8,
                 withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 6);
    png_write_info(png, info);
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            const Rgba p = c.get(x, y);
            uint8_t* d = &row[static_cast<size_t>(x) * channels];
            d[0] = p.r;
            d[1] = p.g;
            d[2] = p.b;
            if (withAlpha) d[3] = p.a;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<uint8_t> EncodeBmp24(const Canvas& c) {
    const uint32_t stride = (static_cast<uint32_t>(c.width()) * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * static_cast<uint32_t>(c.height());
    std::vector<uint8_t> out;
    out.reserve(54 + imageSize);
    out.push_back('B');
    out.push_back('M');
    PutU32(out, 54 + imageSize);
    PutU32(out, 0);
    PutU32(out, 54);
    PutU32(out, 40);  // BITMAPINFOHEADER
    PutU32(out, static_cast<uint32_t>(c.width()));
    PutU32(out, static_cast<uint32_t>(c.height()));  // positive: bottom-up rows
    PutU16(out, 1);
    PutU16(out, 24);
    PutU32(out, 0);  // BI_RGB
    PutU32(out, imageSize);
    PutU32(out, 2835);
    PutU32(out, 2835);
    PutU32(out, 0);
    PutU32(out, 0);
    for (int y = c.height() - 1; y >= 0; --y) {
        size_t start = out.size();
        for (int x = 0; x < c.width(); ++x) {
            const Rgba p = c.get(x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        while (out.size() - start < stride) out.push_back(0);
    }
    return out;
}

std::vector<uint8_t> EncodeJpeg(const Canvas& c, int quality) {
    std::vector<uint8_t> result;
    jpeg_compress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegErrorExit;
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    std::vector<uint8_t> row(static_cast<size_t>(c.width()) * 3);
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(mem);
        return {};
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &mem, &memSize);
    cinfo.image_width = static_cast<JDIMENSION>(c.width());
    cinfo.image_height = static_cast<JDIMENSION>(c.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.optimize_coding = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < c.width(); ++x) {
            const Rgba p = c.get(x, y);
            row[static_cast<size_t>(x) * 3] = p.r;
            row[static_cast<size_t>(x) * 3 + 1] = p.g;
            row[static_cast<size_t>(x) * 3 + 2] = p.b;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    result.assign(mem, mem + memSize);
    std::free(mem);
    return result;
}

bool SavePng(const std::string& relativePath, const Canvas& c, bool withAlpha) {
    std::vector<uint8_t> bytes = EncodePng(c, withAlpha);
    if (bytes.empty()) {
        Fail("PNG encoding failed for " + relativePath);
        return false;
    }
    return WriteOutputFile(relativePath, bytes);
}

bool SaveBmp(const std::string& relativePath, const Canvas& c) {
    return WriteOutputFile(relativePath, EncodeBmp24(c));
}

bool SaveJpeg(const std::string& relativePath, const Canvas& c, int quality) {
    std::vector<uint8_t> bytes = EncodeJpeg(c, quality);
    if (bytes.empty()) {
        Fail("JPEG encoding failed for " + relativePath);
        return false;
    }
    return WriteOutputFile(relativePath, bytes);
}

}  // namespace assetgen
