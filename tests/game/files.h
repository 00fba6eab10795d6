// files.h - small file helpers the game tests share: whole files as bytes, and
// little-endian 32-bit integers as the game's data files store them.
#ifndef VORLANE_TESTS_GAME_FILES_H
#define VORLANE_TESTS_GAME_FILES_H

#include <stdint.h>

#include <fstream>
#include <iterator>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline Bytes FileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}
inline void WriteFile(const char* path, const Bytes& b) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}
inline Bytes Le32s(std::initializer_list<int32_t> values) {
    Bytes b;
    for (int32_t v : values)
        for (int i = 0; i < 4; ++i) b.push_back(uint8_t(uint32_t(v) >> (8 * i)));
    return b;
}

#endif
