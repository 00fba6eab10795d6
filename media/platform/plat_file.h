// plat_file.h - reading files, as the library's file layer needs it of the platform.
//
// Implemented once in media/platform/host (POSIX open/pread/fstat). Paths are UTF-8.
#ifndef PAVEX_PLATFORM_FILE_H
#define PAVEX_PLATFORM_FILE_H

#include <stddef.h>
#include <stdint.h>

// Opens an existing regular file for reading (others may read it at the same time).
// Returns a descriptor >= 0 and its size, or -1 (missing, unreadable, or not a regular
// file: a directory, FIFO or device is refused without waiting on it).
int PlatFileOpenRead(const char* path, uint64_t* size);
// Reads up to `size` bytes at `offset`; returns the bytes read (short only at the end
// of the file), or -1 on an error.
int64_t PlatFileReadAt(int file, uint64_t offset, void* buffer, size_t size);
void PlatFileClose(int file);

#endif
