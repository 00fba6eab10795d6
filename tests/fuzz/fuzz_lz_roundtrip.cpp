// fuzz_lz_roundtrip - the LZ encoder: any input is compressed, decoded again and must
// come back unchanged.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <vector>

#include "media/file/pva_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::vector<uint8_t> work(PvaLzWorkSize());
    std::unique_ptr<uint8_t[]> packed(new uint8_t[size * 2 + kPvaLzHeaderSize]);
    const size_t n =
        PvaLzEncode(data, size, packed.get(), size * 2 + kPvaLzHeaderSize, work.data());
    if (n == 0) abort();  // twice the input always fits
    std::unique_ptr<uint8_t[]> back(new uint8_t[size + 1]);
    if (PvaLzDecode(packed.get(), n, back.get(), size) != 0) abort();
    if (size > 0 && memcmp(back.get(), data, size) != 0) abort();
    return 0;
}
