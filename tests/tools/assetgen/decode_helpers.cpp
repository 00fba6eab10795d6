// decode_helpers.cpp - test-side decoders for PNG, JPEG, BMP, WAV and MP3.
#include "tests/tools/assetgen/decode_helpers.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <mpg123.h>
#include <png.h>

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::vector<uint8_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

Picture ReadPng(const std::string& path) {
    Picture p;
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str())) return p;
    p.hasAlpha = (img.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    img.format = PNG_FORMAT_RGBA;
    p.width = static_cast<int>(img.width);
    p.height = static_cast<int>(img.height);
    p.rgba.resize(PNG_IMAGE_SIZE(img));
    if (!png_image_finish_read(&img, nullptr, p.rgba.data(), 0, nullptr)) {
        png_image_free(&img);
        return Picture();
    }
    p.ok = true;
    return p;
}

namespace {
struct JpegErr {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};
void JpegFail(j_common_ptr c) {
    std::longjmp(reinterpret_cast<JpegErr*>(c->err)->jump, 1);
}
}  // namespace

Picture ReadJpeg(const std::string& path) {
    Picture p;
    const std::vector<uint8_t> bytes = ReadAll(path);
    if (bytes.empty()) return p;
    jpeg_decompress_struct cinfo;
    JpegErr err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegFail;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return Picture();
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    p.width = static_cast<int>(cinfo.output_width);
    p.height = static_cast<int>(cinfo.output_height);
    p.rgba.assign(static_cast<size_t>(p.width) * p.height * 4, 255);
    std::vector<uint8_t> row(static_cast<size_t>(p.width) * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&cinfo, rows, 1);
        for (int x = 0; x < p.width; ++x)
            for (int c = 0; c < 3; ++c)
                p.rgba[(static_cast<size_t>(y) * p.width + x) * 4 + c] = row[x * 3 + c];
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    p.ok = true;
    return p;
}

namespace {
uint32_t U32(const std::vector<uint8_t>& b, size_t o) {
    return b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (static_cast<uint32_t>(b[o + 3]) << 24);
}
uint16_t U16(const std::vector<uint8_t>& b, size_t o) {
    return static_cast<uint16_t>(b[o] | (b[o + 1] << 8));
}
}  // namespace

Picture ReadBmp(const std::string& path) {
    Picture p;
    const std::vector<uint8_t> b = ReadAll(path);
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || U32(b, 14) < 40) return p;
    const int w = static_cast<int32_t>(U32(b, 18));
    const int h = static_cast<int32_t>(U32(b, 22));
    if (U16(b, 28) != 24 || U32(b, 30) != 0 || w <= 0 || h == 0 || w > 8192 || h > 8192 ||
        h < -8192)
        return p;
    const int absH = h < 0 ? -h : h;
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~static_cast<size_t>(3);
    const size_t off = U32(b, 10);
    if (off > b.size() || b.size() - off < stride * absH) return p;
    p.width = w;
    p.height = absH;
    p.rgba.assign(static_cast<size_t>(w) * absH * 4, 255);
    for (int y = 0; y < absH; ++y) {
        const size_t row = off + stride * (h > 0 ? absH - 1 - y : y);
        for (int x = 0; x < w; ++x) {
            uint8_t* d = &p.rgba[(static_cast<size_t>(y) * w + x) * 4];
            d[0] = b[row + x * 3 + 2];
            d[1] = b[row + x * 3 + 1];
            d[2] = b[row + x * 3];
        }
    }
    p.ok = true;
    return p;
}

Picture ReadPicture(const std::string& path) {
    const std::string ext = path.substr(path.size() >= 4 ? path.size() - 4 : 0);
    if (ext == ".png") return ReadPng(path);
    if (ext == ".jpg") return ReadJpeg(path);
    if (ext == ".bmp") return ReadBmp(path);
    return Picture();
}

Wav ReadWav(const std::string& path) {
    Wav w;
    const std::vector<uint8_t> b = ReadAll(path);
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
        std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        return w;
    size_t pos = 12;
    bool fmt = false;
    while (pos + 8 <= b.size()) {
        const uint32_t size = U32(b, pos + 4);
        const size_t body = pos + 8;
        if (size > b.size() - body) return Wav();
        if (std::memcmp(b.data() + pos, "fmt ", 4) == 0 && size >= 16) {
            w.format = U16(b, body);
            w.channels = U16(b, body + 2);
            w.rate = static_cast<int>(U32(b, body + 4));
            w.bits = U16(b, body + 14);
            fmt = true;
        } else if (std::memcmp(b.data() + pos, "data", 4) == 0) {
            if (!fmt || w.bits != 16) return Wav();
            for (size_t i = 0; i + 1 < size; i += 2)
                w.samples.push_back(static_cast<int16_t>(U16(b, body + i)));
            w.ok = true;
            return w;
        }
        pos = body + size + (size & 1);
    }
    return Wav();
}

Decoded DecodeMp3(const std::string& path) {
    Decoded d;
    mpg123_init();
    int err = 0;
    mpg123_handle* h = mpg123_new(nullptr, &err);
    if (!h) return d;
    mpg123_param(h, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
    if (mpg123_open(h, path.c_str()) != MPG123_OK) {
        mpg123_delete(h);
        return d;
    }
    int enc = 0;
    if (mpg123_getformat(h, &d.rate, &d.channels, &enc) != MPG123_OK) {
        mpg123_close(h);
        mpg123_delete(h);
        return d;
    }
    mpg123_format_none(h);
    mpg123_format(h, d.rate, d.channels, MPG123_ENC_SIGNED_16);
    unsigned char buf[16384];
    size_t done = 0;
    int rc;
    while ((rc = mpg123_read(h, buf, sizeof buf, &done)) == MPG123_OK || rc == MPG123_NEW_FORMAT ||
           done > 0) {
        for (size_t i = 0; i + 1 < done; i += 2)
            d.samples.push_back(static_cast<int16_t>(buf[i] | (buf[i + 1] << 8)));
        if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) break;
    }
    d.ok = rc == MPG123_DONE && !d.samples.empty();
    mpg123_close(h);
    mpg123_delete(h);
    return d;
}
