// fuzz_lz - the LZ decoder on hostile streams.
//
// Any input is decoded as a stream into a block of exactly the header's size (bounded
// as a reader bounds it), so that the sanitizer sees every write past the output.
#include <stddef.h>
#include <stdint.h>

#include <memory>

#include "media/file/pva_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t decompressed = 0, compressed = 0;
    if (PvaLzReadHeader(data, size, &decompressed, &compressed) != 0 || decompressed > (1u << 20))
        return 0;
    // Left uninitialised: the decoder must write every byte it reports.
    std::unique_ptr<uint8_t[]> out(new uint8_t[decompressed ? decompressed : 1]);
    PvaLzDecode(data, size, out.get(), decompressed);
    return 0;
}
