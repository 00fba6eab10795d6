// golden.cpp - see golden.h. PNG files are read and written with libpng's simplified
// interface, independent of the library's own readers.
#include "tests/game/shell/scenes/golden.h"

#include <png.h>
#include <stdlib.h>

#include <vector>

#include "tests/support/scripted.h"

namespace {

bool WritePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgb) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

bool ReadPng(const std::string& path, int& w, int& h, std::vector<uint8_t>& rgb) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    w = static_cast<int>(image.width);
    h = static_cast<int>(image.height);
    rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
}

}  // namespace

::testing::AssertionResult MatchesGolden(const std::string& name, IgnoredRect ignore) {
    const script::Frame& frame = script::LastPresented();
    std::vector<uint8_t> actual;
    for (uint32_t p : frame.pixels) {
        actual.push_back(static_cast<uint8_t>(p >> 16));
        actual.push_back(static_cast<uint8_t>(p >> 8));
        actual.push_back(static_cast<uint8_t>(p));
    }
    const std::string reference = std::string(GOLDEN_DIR) + "/" + name + ".png";
    const char* update = getenv("VORLANE_UPDATE_GOLDEN");
    if (update != nullptr && update[0] == '1') {
        WritePng(reference, frame.width, frame.height, actual);
        return ::testing::AssertionFailure() << "reference written: " << reference;
    }
    int w = 0, h = 0;
    std::vector<uint8_t> expected;
    const std::string out = std::string(GOLDEN_OUT) + "/" + name;
    if (!ReadPng(reference, w, h, expected) || w != frame.width || h != frame.height) {
        WritePng(out + ".actual.png", frame.width, frame.height, actual);
        return ::testing::AssertionFailure()
               << "no reference " << reference << " of the frame's size";
    }
    std::vector<uint8_t> diff(expected.size());
    int differing = 0;
    for (size_t i = 0; i < expected.size(); i += 3) {
        const int x = static_cast<int>(i / 3) % w, y = static_cast<int>(i / 3) / w;
        const bool ignored = x >= ignore.x1 && x < ignore.x2 && y >= ignore.y1 && y < ignore.y2;
        const bool same =
            ignored || (expected[i] == actual[i] && expected[i + 1] == actual[i + 1] &&
                        expected[i + 2] == actual[i + 2]);
        differing += same ? 0 : 1;
        diff[i] = same ? expected[i] / 4 : 255;
        diff[i + 1] = same ? expected[i + 1] / 4 : 0;
        diff[i + 2] = same ? expected[i + 2] / 4 : 0;
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    WritePng(out + ".actual.png", w, h, actual);
    WritePng(out + ".diff.png", w, h, diff);
    return ::testing::AssertionFailure() << differing << " pixels differ from " << reference
                                         << "; see " << out << ".actual.png and .diff.png";
}
