// fuzz_lz - the LZ decoder on hostile streams, and the encoder's round trip.
//
// Any input is decoded as a stream (the output size is the header's, bounded as the
// archive reader bounds it); then the input itself is compressed and must come back
// unchanged.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "media/file/pva_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t decompressed = 0, compressed = 0;
    if (PvaLzReadHeader(data, size, &decompressed, &compressed) == 0 &&
        decompressed <= (1u << 20)) {
        std::vector<uint8_t> out(decompressed);
        PvaLzDecode(data, size, out.data(), out.size());
    }

    static std::vector<uint8_t> work(PvaLzWorkSize());
    std::vector<uint8_t> packed(size * 2 + kPvaLzHeaderSize);
    const size_t n = PvaLzEncode(data, size, packed.data(), packed.size(), work.data());
    if (n == 0) abort();  // twice the input always fits
    std::vector<uint8_t> back(size);
    if (PvaLzDecode(packed.data(), n, back.data(), back.size()) != 0) abort();
    if (size > 0 && memcmp(back.data(), data, size) != 0) abort();
    return 0;
}
