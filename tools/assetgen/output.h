// output.h - where generated files go: directory creation, whole-file writes and the
// run's failure record. Every writer reports through Fail(), and main() turns a recorded
// failure into a non-zero exit, so a broken asset never passes as a finished build.
#ifndef VORLANE_TOOLS_ASSETGEN_OUTPUT_H
#define VORLANE_TOOLS_ASSETGEN_OUTPUT_H

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

void SetOutputRoot(const std::string& root);  // files are written below root
const std::string& OutputRoot();
// Writes bytes to root/relativePath, creating folders; false (and Fail) on error.
bool WriteOutputFile(const std::string& relativePath, const std::vector<uint8_t>& bytes);
void Fail(const std::string& message);
bool HasFailed();

// Little-endian helpers for the binary formats.
void PutU16(std::vector<uint8_t>& out, uint32_t v);
void PutU32(std::vector<uint8_t>& out, uint32_t v);
void PutTag(std::vector<uint8_t>& out, const char* fourcc);
void SetU32(std::vector<uint8_t>& out, size_t offset, uint32_t v);

}  // namespace assetgen

#endif
