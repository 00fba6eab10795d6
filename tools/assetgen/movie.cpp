// movie.cpp - "data/movie/MV004.avi": a short logo clip (blocks raining behind the
// VORLANE logo) as a plain RIFF AVI with Motion-JPEG frames and an idx1 index.
#include <cmath>
#include <vector>

#include "tools/assetgen/audio.h"
#include "tools/assetgen/image_files.h"
#include "tools/assetgen/output.h"
#include "tools/assetgen/pictures.h"
#include "tools/assetgen/text.h"

namespace assetgen {

namespace {

constexpr int kW = 320, kH = 240, kFps = 15, kFrames = 30;

Canvas MovieFrame(int f) {
    Canvas c(kW, kH, Rgb(0, 0, 0));
    c.gradientV(0, 0, kW, kH, Rgb(10, 16, 50), Rgb(2, 4, 16));
    Lcg rng(4004);
    for (int k = 0; k < 14; ++k) {
        const int kind = static_cast<int>(rng.next() % 7);
        const float x = std::floor(rng.unit() * 13) * 24;
        const float speed = 4 + rng.unit() * 6;
        const float y = std::fmod(rng.unit() * kH + f * speed, kH + 48.0f) - 48;
        DrawPiece(c, kind, static_cast<int>(x), static_cast<int>(y), 72, 48, 16);
    }
    c.fillRect(0, 90, kW, 60, Rgb(0, 0, 0, 150));
    TextStyle logo;
    logo.size = 44 + (f < 10 ? (10 - f) * 2 : 0);
    logo.top = Rgb(255, 255, 255);
    logo.bottom = Rgb(40, 150, 255);
    logo.outline = 3.0f;
    logo.outlineColor = kInk;
    logo.tracking = 2.0f;
    DrawTextBox(c, "VORLANE", logo, 0, 90, kW, 60);
    return OpaqueForm(c);
}

void PutChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
    PutTag(out, id);
    PutU32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() & 1) out.push_back(0);
}

}  // namespace

std::vector<uint8_t> EncodeMovie(int frames) {
    std::vector<std::vector<uint8_t>> jpegs;
    size_t largest = 0;
    for (int f = 0; f < frames; ++f) {
        jpegs.push_back(EncodeJpeg(MovieFrame(f), 80));
        if (jpegs.back().empty()) return {};
        largest = std::max(largest, jpegs.back().size());
    }
    std::vector<uint8_t> avih;
    PutU32(avih, 1000000 / kFps);
    PutU32(avih, static_cast<uint32_t>(largest * kFps));
    PutU32(avih, 0);
    PutU32(avih, 0x10);  // has index
    PutU32(avih, static_cast<uint32_t>(frames));
    PutU32(avih, 0);
    PutU32(avih, 1);
    PutU32(avih, static_cast<uint32_t>(largest));
    PutU32(avih, kW);
    PutU32(avih, kH);
    for (int i = 0; i < 4; ++i) PutU32(avih, 0);

    std::vector<uint8_t> strh;
    PutTag(strh, "vids");
    PutTag(strh, "MJPG");
    PutU32(strh, 0);
    PutU16(strh, 0);
    PutU16(strh, 0);
    PutU32(strh, 0);
    PutU32(strh, 1);
    PutU32(strh, kFps);
    PutU32(strh, 0);
    PutU32(strh, static_cast<uint32_t>(frames));
    PutU32(strh, static_cast<uint32_t>(largest));
    PutU32(strh, 0xFFFFFFFFu);
    PutU32(strh, 0);
    PutU16(strh, 0);
    PutU16(strh, 0);
    PutU16(strh, kW);
    PutU16(strh, kH);

    std::vector<uint8_t> strf;
    PutU32(strf, 40);
    PutU32(strf, kW);
    PutU32(strf, kH);
    PutU16(strf, 1);
    PutU16(strf, 24);
    PutTag(strf, "MJPG");
    PutU32(strf, kW * kH * 3);
    for (int i = 0; i < 4; ++i) PutU32(strf, 0);

    std::vector<uint8_t> strl;
    PutTag(strl, "strl");
    PutChunk(strl, "strh", strh);
    PutChunk(strl, "strf", strf);
    std::vector<uint8_t> hdrl;
    PutTag(hdrl, "hdrl");
    PutChunk(hdrl, "avih", avih);
    PutChunk(hdrl, "LIST", strl);

    std::vector<uint8_t> movi, idx;
    PutTag(movi, "movi");
    for (const std::vector<uint8_t>& j : jpegs) {
        PutTag(idx, "00dc");
        PutU32(idx, 0x10);                                // key frame
        PutU32(idx, static_cast<uint32_t>(movi.size()));  // from the "movi" tag
        PutU32(idx, static_cast<uint32_t>(j.size()));
        PutChunk(movi, "00dc", j);
    }

    std::vector<uint8_t> body;
    PutTag(body, "AVI ");
    PutChunk(body, "LIST", hdrl);
    PutChunk(body, "LIST", movi);
    PutChunk(body, "idx1", idx);
    std::vector<uint8_t> out;
    PutChunk(out, "RIFF", body);
    return out;
}

void GenerateMovie() {
    std::vector<uint8_t> avi = EncodeMovie(kFrames);
    if (avi.empty()) {
        Fail("movie encoding failed");
        return;
    }
    WriteOutputFile("data/movie/MV004.avi", avi);
}

}  // namespace assetgen
