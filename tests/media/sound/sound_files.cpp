// sound_files.cpp - see sound_files.h.
#include "tests/media/sound/sound_files.h"

#include <math.h>
#include <stdlib.h>

#include <fstream>

namespace sound_files {

namespace {

void Put(std::string& s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
}

}  // namespace

std::string Wav(const std::vector<int16_t>& samples, int channels, int rate,
                const std::vector<Chunk>& extra) {
    std::string body = "WAVEfmt ";
    Put(body, 16, 4);
    Put(body, 1, 2);
    Put(body, static_cast<uint32_t>(channels), 2);
    Put(body, static_cast<uint32_t>(rate), 4);
    Put(body, static_cast<uint32_t>(rate * channels * 2), 4);
    Put(body, static_cast<uint16_t>(channels * 2), 2);
    Put(body, 16, 2);
    for (const auto& [id, data] : extra) {
        body += id;
        Put(body, static_cast<uint32_t>(data.size()), 4);
        body += data;
        if (data.size() & 1) body += '\0';
    }
    body += "data";
    Put(body, static_cast<uint32_t>(samples.size() * 2), 4);
    for (int16_t v : samples) Put(body, static_cast<uint16_t>(v), 2);
    std::string out = "RIFF";
    Put(out, static_cast<uint32_t>(body.size()), 4);
    return out + body;
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<int16_t> Samples(const std::string& raw) {
    std::vector<int16_t> out(raw.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<int16_t>(static_cast<uint8_t>(raw[2 * i]) |
                                      static_cast<uint8_t>(raw[2 * i + 1]) << 8);
    return out;
}

std::vector<int16_t> Sine(int frames, int rate, double hz, double amp, int channels) {
    std::vector<int16_t> out;
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            out.push_back(static_cast<int16_t>(lround(amp * sin(2 * M_PI * hz * i / rate))));
    return out;
}

std::vector<int16_t> Pattern(int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames));
    uint32_t x = 12345;
    for (int16_t& v : out) {
        x = x * 1103515245u + 12345u;
        v = static_cast<int16_t>((x >> 16) % 20001) - 10000;
    }
    return out;
}

bool Run(const std::string& command) {
    return system((command + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace sound_files
