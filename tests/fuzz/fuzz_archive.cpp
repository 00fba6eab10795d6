// fuzz_archive - the file layer reading a hostile archive.
//
// Each input is written as "data.PVA" (as it would lie on disk, enciphered with the
// default key) in a private folder; a few names are opened through the file layer,
// read whole and in pieces, and closed. Every block the layer allocated must be
// released again once the layer shuts down.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "media/core/tracked_alloc.h"
#include "media/file/file_access.h"

namespace {

const char* const kNames[] = {"data/a.txt",     "data/sub/b.bin", "data/SUB/../A.TXT",
                              "data/x/y/z.wav", "data/sub",       "data/c.dat"};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/pavex-fuzz-XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = fopen("data.PVA", "wb");
    if (!file) abort();
    if (size > 0 && fwrite(data, 1, size, file) != size) abort();
    fclose(file);

    FileStartUp();
    static uint8_t buffer[1 << 16];
    for (const char* name : kNames) {
        const FileHandle handle = FileOpen(name);
        if (handle == 0) continue;
        const int64_t length = FileSize(handle);
        while (FileRead(buffer, 1, sizeof(buffer), handle) > 0) {
        }
        if (FileEof(handle) != 1) abort();
        if (length > 13) {
            FileSeek(handle, length / 2, kFileSeekStart);
            FileRead(buffer, 13, 1, handle);
            FileSeek(handle, -13, kFileSeekEnd);
            if (FileRead(buffer, 1, 100, handle) != 13) abort();
        }
        FileClose(handle);
    }
    FileShutDown();
    if (TrackedBlockCount() != 0) abort();
    return 0;
}
