// assets.h - one whole generator run: every family of pictures, sounds, music and the
// movie, then (optionally) the contact sheets and mock-ups.
#ifndef VORLANE_TOOLS_ASSETGEN_ASSETS_H
#define VORLANE_TOOLS_ASSETGEN_ASSETS_H

#include <string>

namespace assetgen {

// Writes root/data/...; with contactSheet also root/contact/*.png. False on any failure.
bool GenerateAll(const std::string& root, bool contactSheet);

}  // namespace assetgen

#endif
