// archive_fixture.h - what the file-layer and packer tests share: a fresh file layer
// in a fresh folder, writing files, running the `pva` packer (its path comes from the
// PVA_PATH definition), and opening an archive's bytes in the clear to damage them on
// purpose.
#ifndef VORLANE_TESTS_ARCHIVE_FIXTURE_H
#define VORLANE_TESTS_ARCHIVE_FIXTURE_H

#include <gtest/gtest.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "media/core/tracked_alloc.h"
#include "media/file/file_access.h"
#include "media/file/pva_format.h"
#include "tests/support/temp_dir.h"

namespace archive_test {

using Bytes = std::vector<uint8_t>;

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

inline void WriteText(const std::string& path, const std::string& text) {
    WriteFile(path, Text(text));
}

inline Bytes Noise(size_t size, uint32_t seed) {
    Bytes v(size);
    for (auto& b : v) b = static_cast<uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    return v;
}

inline Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string ReadText(const std::string& path) {
    const Bytes bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

struct PvaResult {
    int exitCode = -1;
    std::string out, err;
};

// Runs pva with the arguments (each quoted), in the current directory.
inline PvaResult RunPva(const std::vector<std::string>& args) {
    std::string command = std::string("'") + PVA_PATH + "'";
    for (const auto& a : args) command += " '" + a + "'";
    const int status = system((command + " > pva.out 2> pva.err").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText("pva.out"), ReadText("pva.err")};
}

// Packs `dir` into `archive`; the key is passed only when given.
inline bool Pack(const std::string& dir, const std::string& archive, const char* key = nullptr) {
    std::vector<std::string> args{"pack", dir, archive};
    if (key) args.insert(args.end(), {"--key", key});
    return RunPva(args).exitCode == 0;
}

// An archive deciphered in memory, to be changed and enciphered again.
struct ClearArchive {
    Bytes bytes;
    uint8_t key[kPvaKeySize];

    bool Load(const std::string& path, const char* keyString) {
        bytes = ReadFile(path);
        PvaMakeKey(keyString, key);
        PvaCipher(bytes.data(), bytes.size(), 0, key);
        return bytes.size() >= static_cast<size_t>(kPvaHeaderSize) && bytes[0] == 'P' &&
               bytes[1] == 'V';
    }
    Bytes Enciphered(const uint8_t* withKey = nullptr) const {
        Bytes copy = bytes;
        PvaCipher(copy.data(), copy.size(), 0, withKey ? withKey : key);
        return copy;
    }
    void Save(const std::string& path, const uint8_t* withKey = nullptr) const {
        WriteFile(path, Enciphered(withKey));
    }
    uint32_t Get32(size_t at) const {
        return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
    }
    void Put32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(v >> (8 * i));
    }
    // File positions of the header block and its tables.
    uint32_t BlockPos() const { return Get32(12); }
    uint32_t FileTable() const { return BlockPos() + Get32(16); }
    uint32_t DirTable() const { return BlockPos() + Get32(20); }
};

inline const std::string kNone = "<none>";

class FileLayerTest : public ::testing::Test {
protected:
    void SetUp() override { FileStartUp(); }
    void TearDown() override {  // every test starts with the settings of a fresh layer
        FileUsePlainFiles(0);
        FileSetArchiveExtension(nullptr);
        FileSetArchiveKey(nullptr);
        FileShutDown();
    }
    // The whole file as text, or kNone when it does not open.
    static std::string Read(const std::string& path, size_t limit = size_t{1} << 26) {
        size_t size = 0;
        std::unique_ptr<char, void (*)(void*)> data(
            static_cast<char*>(FileReadAll(path.c_str(), limit, &size)), TrackedFree);
        return data ? std::string(data.get(), size) : kNone;
    }
    TempDir dir_;
};

}  // namespace archive_test

#endif
