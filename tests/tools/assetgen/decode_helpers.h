// decode_helpers.h - independent readers for the generated files (libpng, libjpeg,
// libmpg123 and small RIFF parsers), so the tests never trust the generator's own code.
#ifndef VORLANE_TESTS_TOOLS_ASSETGEN_DECODE_HELPERS_H
#define VORLANE_TESTS_TOOLS_ASSETGEN_DECODE_HELPERS_H

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    bool ok = false;
    int width = 0, height = 0;
    bool hasAlpha = false;
    std::vector<uint8_t> rgba;  // width * height * 4, alpha 255 when the file has none
    uint8_t r(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4]; }
    uint8_t g(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 1]; }
    uint8_t b(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 2]; }
    uint8_t a(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
    // Transparent as the game sees it: alpha 0, or pure black in a file without alpha.
    bool clear(int x, int y) const {
        return hasAlpha ? a(x, y) == 0 : (r(x, y) | g(x, y) | b(x, y)) == 0;
    }
};

Picture ReadPng(const std::string& path);
Picture ReadJpeg(const std::string& path);
Picture ReadBmp(const std::string& path);      // 24-bit uncompressed only
Picture ReadPicture(const std::string& path);  // by extension

struct Wav {
    bool ok = false;
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples;  // interleaved
};
Wav ReadWav(const std::string& path);

struct Decoded {
    bool ok = false;
    long rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;  // interleaved
};
Decoded DecodeMp3(const std::string& path);

std::vector<uint8_t> ReadAll(const std::string& path);

#endif
