// golden.cpp - see golden.h. PNG files are read and written with libpng's simplified
// interface, independent of the library's own readers.
#include "tests/game/golden.h"

#include <gtest/gtest.h>
#include <png.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "tests/support/scripted.h"

void ExpectGolden(const std::string& name, IgnoredRect ignore) {
    const script::Frame& frame = script::LastPresented();
    std::vector<uint8_t> actual, expected, diff;
    for (uint32_t p : frame.pixels)
        for (int shift : {16, 8, 0}) actual.push_back(static_cast<uint8_t>(p >> shift));
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    const std::string reference = std::string(GOLDEN_DIR) + "/" + name + ".png";
    const std::string out = std::string(GOLDEN_OUT) + "/" + name + ".actual.png";
    const char* update = getenv("VORLANE_UPDATE_GOLDEN");
    const bool updating = update != nullptr && update[0] == '1';
    if (!updating && png_image_begin_read_from_file(&image, reference.c_str())) {
        image.format = PNG_FORMAT_RGB;
        expected.resize(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, expected.data(), 0, nullptr) ||
            int(image.width) != frame.width || int(image.height) != frame.height)
            expected.clear();
    }
    // The difference picture: differing pixels red over the actual frame at a quarter.
    int differing = expected.empty() ? -1 : 0;
    for (size_t i = 0; differing >= 0 && i < expected.size(); i += 3) {
        const int x = int(i / 3) % frame.width, y = int(i / 3) / frame.width;
        const bool differs = (x < ignore.x1 || x >= ignore.x2 || y < ignore.y1 || y >= ignore.y2) &&
                             memcmp(&expected[i], &actual[i], 3) != 0;
        differing += differs;
        for (int c = 0; c < 3; ++c)
            diff.push_back(differs ? (c == 0 ? 255 : 0) : actual[i + c] / 4);
    }
    if (differing == 0) return;
    image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(frame.width), image.height = png_uint_32(frame.height);
    image.format = PNG_FORMAT_RGB;
    png_image_write_to_file(&image, (updating ? reference : out).c_str(), 0, actual.data(), 0,
                            nullptr);
    const std::string diffOut = std::string(GOLDEN_OUT) + "/" + name + ".diff.png";
    if (differing > 0) png_image_write_to_file(&image, diffOut.c_str(), 0, diff.data(), 0, nullptr);
    ADD_FAILURE() << (updating ? "reference written: " + reference
                               : std::to_string(differing) + " pixels differ from " + reference +
                                     " (-1: no reference of the frame's size); see " + out +
                                     (differing > 0 ? " and " + diffOut : ""));
}
