// decode_helpers.cpp - test-side decoders for PNG, JPEG, BMP, WAV and MP3.
#include "tests/tools/assetgen/decode_helpers.h"

#include <SDL.h>
#include <jpeglib.h>
#include <mpg123.h>
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <fstream>
#include <iterator>

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

namespace {

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
    p.ok = png_image_finish_read(&img, nullptr, p.rgba.data(), 0, nullptr) != 0;
    return p;
}

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

Picture ReadJpeg(const std::string& path) {
    Picture p;
    const std::vector<uint8_t> bytes = ReadAll(path);
    if (bytes.empty()) return p;
    jpeg_decompress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = [](j_common_ptr c) {
        longjmp(reinterpret_cast<JpegError*>(c->err)->jump, 1);
    };
    jpeg_create_decompress(&cinfo);
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return Picture();
    }
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&cinfo);
    p.width = static_cast<int>(cinfo.output_width);
    p.height = static_cast<int>(cinfo.output_height);
    p.rgba.resize(static_cast<size_t>(p.width) * p.height * 4);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &p.rgba[static_cast<size_t>(cinfo.output_scanline) * p.width * 4];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    p.ok = true;
    return p;
}

Picture ReadBmp(const std::string& path) {
    Picture p;
    SDL_Surface* file = SDL_LoadBMP(path.c_str());
    if (!file) return p;
    SDL_Surface* s = file->format->BitsPerPixel == 24
                         ? SDL_ConvertSurfaceFormat(file, SDL_PIXELFORMAT_RGBA32, 0)
                         : nullptr;
    SDL_FreeSurface(file);
    if (!s) return p;
    p.width = s->w;
    p.height = s->h;
    for (int y = 0; y < s->h; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(s->pixels) + y * s->pitch;
        p.rgba.insert(p.rgba.end(), row, row + s->w * 4);
    }
    SDL_FreeSurface(s);
    p.ok = true;
    return p;
}

}  // namespace

Picture ReadPicture(const std::string& path) {
    const std::string ext = path.substr(path.size() >= 4 ? path.size() - 4 : 0);
    return ext == ".png" ? ReadPng(path) : ext == ".jpg" ? ReadJpeg(path) : ReadBmp(path);
}

Sound ReadWav(const std::string& path) {
    Sound w;
    SDL_AudioSpec spec;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    const std::vector<uint8_t> b = ReadAll(path);
    // Format tag 1 (PCM) in a "fmt " chunk right after the RIFF header.
    if (b.size() < 22 || std::memcmp(&b[12], "fmt ", 4) != 0 || b[20] != 1 || b[21] != 0 ||
        !SDL_LoadWAV(path.c_str(), &spec, &buffer, &length))
        return w;
    if (spec.format == AUDIO_S16LSB) {
        w.samples.resize(length / 2);
        std::memcpy(w.samples.data(), buffer, w.samples.size() * 2);
        w.rate = spec.freq;
        w.channels = spec.channels;
        w.ok = true;
    }
    SDL_FreeWAV(buffer);
    return w;
}

Sound DecodeMp3(const std::string& path) {
    Sound d;
    mpg123_init();
    mpg123_handle* h = mpg123_new(nullptr, nullptr);
    if (!h) return d;
    mpg123_param(h, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
    long rate = 0;
    int encoding = 0;
    if (mpg123_open(h, path.c_str()) == MPG123_OK &&
        mpg123_getformat(h, &rate, &d.channels, &encoding) == MPG123_OK) {
        mpg123_format_none(h);
        mpg123_format(h, rate, d.channels, MPG123_ENC_SIGNED_16);
        d.rate = static_cast<int>(rate);
        int16_t buf[8192];
        size_t done = 0;
        int rc;
        do {
            rc = mpg123_read(h, buf, sizeof buf, &done);
            d.samples.insert(d.samples.end(), buf, buf + done / 2);
        } while (rc == MPG123_OK || rc == MPG123_NEW_FORMAT);
        d.ok = rc == MPG123_DONE && !d.samples.empty();
        mpg123_close(h);
    }
    mpg123_delete(h);
    return d;
}
