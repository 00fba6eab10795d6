// plat_save.h - writing a whole file so that a crash never leaves a half-written file
// under its name. Implemented once in media/platform/host/file_save.cpp (POSIX).
#ifndef PAVEX_PLATFORM_SAVE_H
#define PAVEX_PLATFORM_SAVE_H

#include <stddef.h>

// One piece of the file's bytes; the pieces are written in order.
struct PlatSavePart {
    const void* data;
    size_t size;
};

// Writes the parts to a new temporary file in the folder of `path` (UTF-8), flushes
// it to the disk and renames it over `path`, replacing any file of that name.
// 0, or -1 when any step failed: then `path` is untouched and no temporary file
// is left behind.
int PlatSaveFile(const char* path, const PlatSavePart* parts, int count);

#endif
