// fuzz_archive - the file layer reading a hostile archive.
//
// Each input is an archive as it would lie on disk (enciphered with the default key),
// handed to the file layer from memory to stand in for the folder "/fuzz"; a few names
// are opened through the ordinary open, read whole (under a limit, and to the end) and
// in pieces, and closed. Nothing touches the disk. Every block the layer allocated
// must be released again once the layer shuts down.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "media/core/tracked_alloc.h"
#include "media/file/file_access.h"

namespace {

const char* const kNames[] = {"/fuzz/a.txt",     "/fuzz/sub/b.bin", "/fuzz/SUB/../A.TXT",
                              "/fuzz/x/y/z.wav", "/fuzz/sub",       "/fuzz/c.dat"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FileStartUp();
    static uint8_t buffer[1 << 16];
    if (FileAddMemoryArchive("/fuzz", data, size) == 0) {
        // Read whole under a limit, as the readers of images and sounds do.
        size_t length = 0;
        TrackedFree(FileReadAll(kNames[0], 1 << 16, &length));
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
    }
    FileShutDown();
    if (TrackedBlockCount() != 0) abort();
    return 0;
}
