// archive_fixture.h - what the file-layer and packer tests share: writing files,
// running the `pva` packer (its path comes from the PVA_PATH definition), and
// opening an archive's bytes in the clear to damage them on purpose.
#ifndef VORLANE_TESTS_ARCHIVE_FIXTURE_H
#define VORLANE_TESTS_ARCHIVE_FIXTURE_H

#include <stdint.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <algorithm>

#include "media/file/file_access.h"
#include "media/file/pva_format.h"

namespace archive_test {

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(const std::string& path, const std::string& text) {
    WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

inline std::vector<uint8_t> Noise(size_t size, uint32_t seed) {
    std::vector<uint8_t> v(size);
    for (auto& b : v) b = static_cast<uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    return v;
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

struct PvaResult {
    int exitCode = -1;
    std::string out, err;
};

// Runs pva with the arguments (each quoted), in the current directory.
inline PvaResult RunPva(const std::vector<std::string>& args) {
    std::string command = std::string("'") + PVA_PATH + "'";
    for (const auto& a : args) command += " '" + a + "'";
    command += " > pva.out 2> pva.err";
    PvaResult result;
    const int status = system(command.c_str());
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    for (auto [file, text] :
         {std::pair{"pva.out", &result.out}, std::pair{"pva.err", &result.err}}) {
        const auto bytes = ReadFile(file);
        text->assign(bytes.begin(), bytes.end());
    }
    return result;
}

// Packs `dir` into `archive`; the key is passed only when given.
inline bool Pack(const std::string& dir, const std::string& archive, const char* key = nullptr) {
    std::vector<std::string> args{"pack", dir, archive};
    if (key) {
        args.push_back("--key");
        args.push_back(key);
    }
    return RunPva(args).exitCode == 0;
}

// An archive deciphered in memory, to be changed and written back enciphered.
struct ClearArchive {
    std::vector<uint8_t> bytes;
    uint8_t key[kPvaKeySize];

    bool Load(const std::string& path, const char* keyString) {
        bytes = ReadFile(path);
        PvaMakeKey(keyString, key);
        PvaCipher(bytes.data(), bytes.size(), 0, key);
        return bytes.size() >= static_cast<size_t>(kPvaHeaderSize) && bytes[0] == 'P' &&
               bytes[1] == 'V';
    }
    void Save(const std::string& path, const uint8_t* withKey = nullptr) const {
        std::vector<uint8_t> copy = bytes;
        PvaCipher(copy.data(), copy.size(), 0, withKey ? withKey : key);
        WriteFile(path, copy);
    }
    uint32_t Get32(size_t at) const {
        return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
    }
    void Put32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(v >> (8 * i));
    }
    // Header fields (file positions of the 32-bit values).
    uint32_t BlockPos() const { return Get32(12); }
    uint32_t FileTable() const { return BlockPos() + Get32(16); }  // file position
    uint32_t DirTable() const { return BlockPos() + Get32(20); }   // file position
};

// Reads `length` bytes at `at` through the file layer and compares them.
inline void ExpectRange(FileHandle file, const std::vector<uint8_t>& content, size_t at,
                        size_t length) {
    std::vector<uint8_t> buffer(length);
    ASSERT_EQ(FileSeek(file, static_cast<int64_t>(at), kFileSeekStart), 0) << at;
    const size_t expected = std::min(length, content.size() - at);
    ASSERT_EQ(FileRead(buffer.data(), 1, length, file), expected) << at << "+" << length;
    ASSERT_TRUE(std::equal(buffer.begin(), buffer.begin() + expected, content.begin() + at))
        << at << "+" << length;
    EXPECT_EQ(FileTell(file), static_cast<int64_t>(at + expected));
    EXPECT_EQ(FileEof(file), at + expected == content.size() ? 1 : 0);
}

}  // namespace archive_test

#endif
