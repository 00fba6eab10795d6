// image_files.h - encoders for the picture formats the game reads: PNG (libpng, no time
// chunk so output is byte-stable), 24-bit BMP, and baseline JPEG (libjpeg, fixed quality).
#ifndef VORLANE_TOOLS_ASSETGEN_IMAGE_FILES_H
#define VORLANE_TOOLS_ASSETGEN_IMAGE_FILES_H

#include <cstdint>
#include <string>
#include <vector>

#include "tools/assetgen/canvas.h"

namespace assetgen {

std::vector<uint8_t> EncodePng(const Canvas& c, bool withAlpha);
std::vector<uint8_t> EncodeBmp24(const Canvas& c);              // alpha ignored
std::vector<uint8_t> EncodeJpeg(const Canvas& c, int quality);  // alpha ignored

// Writers below root (see output.h); false on failure (already reported).
bool SavePng(const std::string& relativePath, const Canvas& c, bool withAlpha);
bool SaveBmp(const std::string& relativePath, const Canvas& c);
bool SaveJpeg(const std::string& relativePath, const Canvas& c, int quality);

}  // namespace assetgen

#endif
