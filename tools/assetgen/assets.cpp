// assets.cpp - one generator run in a fixed order (the order does not change the bytes
// of any file; every family seeds its own generators).
#include "tools/assetgen/assets.h"

#include <filesystem>

#include "tools/assetgen/audio.h"
#include "tools/assetgen/contact.h"
#include "tools/assetgen/output.h"
#include "tools/assetgen/pictures.h"
#include "tools/assetgen/text.h"

namespace assetgen {

bool GenerateAll(const std::string& root, bool contactSheet) {
    SetOutputRoot(root);
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(root) / "data", ec);
    if (ec) {
        Fail("cannot create the output folder " + root + "/data: " + ec.message());
        return false;
    }
    if (!InitFonts()) return false;
    GeneratePlayPictures();
    GenerateMenuPictures();
    GenerateCommonPictures();
    GenerateBackgrounds();
    GenerateSoundEffects();
    GenerateVoice();
    GenerateMusic();
    GenerateMovie();
    if (contactSheet) WriteContactSheets();
    ShutdownFonts();
    return !HasFailed();
}

}  // namespace assetgen
