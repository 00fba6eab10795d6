// output.cpp - output folder, file writes and the failure record of one generator run.
#include "tools/assetgen/output.h"

#include <cstdio>
#include <filesystem>

namespace assetgen {

namespace {

struct OutputState {
    std::string root;
    bool failed = false;
};
OutputState OUT;

}  // namespace

void SetOutputRoot(const std::string& root) {
    OUT.root = root;
}
const std::string& OutputRoot() {
    return OUT.root;
}

bool WriteOutputFile(const std::string& relativePath, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path path = std::filesystem::path(OUT.root) / relativePath;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) {
        Fail("cannot create folder " + path.parent_path().string() + ": " + ec.message());
        return false;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        Fail("cannot create " + path.string());
        return false;
    }
    const size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), f);
    const bool closed = std::fclose(f) == 0;
    if (written != bytes.size() || !closed) {
        Fail("cannot write " + path.string());
        return false;
    }
    return true;
}

void Fail(const std::string& message) {
    std::fprintf(stderr, "assetgen: %s\n", message.c_str());
    OUT.failed = true;
}

bool HasFailed() {
    return OUT.failed;
}

void PutU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char* fourcc) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(fourcc[i]));
}

void SetU32(std::vector<uint8_t>& out, size_t offset, uint32_t v) {
    if (offset + 4 > out.size()) return;
    for (int i = 0; i < 4; ++i) out[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace assetgen
