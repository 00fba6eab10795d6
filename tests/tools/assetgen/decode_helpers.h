// decode_helpers.h - independent readers for the generated files (libpng, libjpeg, SDL's
// BMP and WAV loaders, libmpg123), so the tests never trust the generator's own code.
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
    const uint8_t* at(int x, int y) const {
        return &rgba[(static_cast<size_t>(y) * width + x) * 4];
    }
    uint32_t rgb(int x, int y) const { return at(x, y)[0] << 16 | at(x, y)[1] << 8 | at(x, y)[2]; }
    // Transparent as the game sees it: alpha 0, or pure black in a file without alpha.
    bool clear(int x, int y) const { return hasAlpha ? at(x, y)[3] == 0 : rgb(x, y) == 0; }
};
Picture ReadPicture(const std::string& path);  // PNG, JPEG or 24-bit BMP, by extension

struct Sound {
    bool ok = false;
    int rate = 0, channels = 0;
    std::vector<int16_t> samples;  // interleaved
};
Sound ReadWav(const std::string& path);  // 16-bit PCM only
Sound DecodeMp3(const std::string& path);

std::vector<uint8_t> ReadAll(const std::string& path);

#endif
