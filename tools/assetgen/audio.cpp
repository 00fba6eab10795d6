// audio.cpp - PCM helpers and the WAV and MP3 encoders. Owns no sound design.
#include "tools/assetgen/audio.h"

#include <algorithm>
#include <cmath>

#include <lame/lame.h>

#include "tools/assetgen/output.h"

namespace assetgen {

std::vector<int16_t> ToInt16(const Pcm& pcm) {
    std::vector<int16_t> out(pcm.samples.size());
    for (size_t i = 0; i < out.size(); ++i) {
        const float v = std::clamp(pcm.samples[i], -1.0f, 1.0f) * 32767.0f;
        out[i] = static_cast<int16_t>(std::lround(v));
    }
    return out;
}

void Normalize(Pcm& pcm, float peak) {
    float m = 0;
    for (float v : pcm.samples) m = std::max(m, std::fabs(v));
    if (m <= 0) return;
    const float k = peak / m;
    for (float& v : pcm.samples) v *= k;
}

void FadeOutEnd(Pcm& pcm, float ms) {
    const size_t frames = pcm.frames();
    const size_t n = std::min(frames, static_cast<size_t>(ms * pcm.rate / 1000.0f));
    for (size_t i = 0; i < n; ++i) {
        const float g = static_cast<float>(i) / std::max<size_t>(n, 1);  // 0 at the last frame
        const size_t f = frames - 1 - i;
        for (int ch = 0; ch < pcm.channels; ++ch) pcm.samples[f * pcm.channels + ch] *= g;
    }
}

std::vector<uint8_t> EncodeWav(const Pcm& pcm) {
    const std::vector<int16_t> s = ToInt16(pcm);
    const uint32_t dataBytes = static_cast<uint32_t>(s.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    PutTag(out, "RIFF");
    PutU32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutU32(out, 16);
    PutU16(out, 1);  // PCM
    PutU16(out, static_cast<uint32_t>(pcm.channels));
    PutU32(out, static_cast<uint32_t>(pcm.rate));
    PutU32(out, static_cast<uint32_t>(pcm.rate * pcm.channels * 2));
    PutU16(out, static_cast<uint32_t>(pcm.channels * 2));
    PutU16(out, 16);
    PutTag(out, "data");
    PutU32(out, dataBytes);
    for (int16_t v : s) PutU16(out, static_cast<uint16_t>(v));
    return out;
}

bool SaveWav(const std::string& relativePath, const Pcm& pcm) {
    if (pcm.samples.empty()) {
        Fail("empty sound for " + relativePath);
        return false;
    }
    return WriteOutputFile(relativePath, EncodeWav(pcm));
}

std::vector<uint8_t> EncodeMp3(const Pcm& pcm) {
    std::vector<uint8_t> out;
    if (pcm.channels != 2 || pcm.rate != kRate || pcm.frames() == 0) return out;
    lame_global_flags* gf = lame_init();
    if (!gf) return out;
    lame_set_in_samplerate(gf, kRate);
    lame_set_out_samplerate(gf, kRate);
    lame_set_num_channels(gf, 2);
    lame_set_mode(gf, JOINT_STEREO);
    lame_set_brate(gf, 128);
    lame_set_VBR(gf, vbr_off);
    lame_set_quality(gf, 5);
    lame_set_bWriteVbrTag(gf, 1);  // the Info tag carries delay and padding for gapless loops
    lame_set_write_id3tag_automatic(gf, 0);
    if (lame_init_params(gf) < 0) {
        lame_close(gf);
        return out;
    }
    const std::vector<int16_t> s = ToInt16(pcm);
    const int frames = static_cast<int>(pcm.frames());
    const int chunk = 8192;
    std::vector<unsigned char> buf(static_cast<size_t>(1.25 * chunk + 7200));
    bool ok = true;
    for (int f = 0; f < frames && ok; f += chunk) {
        const int n = std::min(chunk, frames - f);
        const int got = lame_encode_buffer_interleaved(gf, const_cast<short*>(s.data() + 2 * f), n,
                                                       buf.data(), static_cast<int>(buf.size()));
        if (got < 0)
            ok = false;
        else
            out.insert(out.end(), buf.begin(), buf.begin() + got);
    }
    if (ok) {
        const int got = lame_encode_flush(gf, buf.data(), static_cast<int>(buf.size()));
        if (got < 0)
            ok = false;
        else
            out.insert(out.end(), buf.begin(), buf.begin() + got);
    }
    if (ok) {
        // The first frame was reserved for the tag; write it now that the totals are known.
        const size_t tagSize = lame_get_lametag_frame(gf, buf.data(), buf.size());
        if (tagSize > 0 && tagSize <= out.size())
            std::copy(buf.begin(), buf.begin() + tagSize, out.begin());
    }
    lame_close(gf);
    if (!ok) out.clear();
    return out;
}

bool SaveMp3(const std::string& relativePath, const Pcm& pcm) {
    std::vector<uint8_t> bytes = EncodeMp3(pcm);
    if (bytes.empty()) {
        Fail("MP3 encoding failed for " + relativePath);
        return false;
    }
    return WriteOutputFile(relativePath, bytes);
}

}  // namespace assetgen
