// data_file.h - the game's small data files ("./vorlane.cfg", "./score.dat",
// "./network.cfg") as whole-file reads and crash-safe whole-file writes, and the
// little-endian integers they are made of.
#ifndef VORLANE_SHELL_DATA_FILE_H
#define VORLANE_SHELL_DATA_FILE_H

#include <stdint.h>

// Reads at most `capacity` bytes of the regular file `path` into `buffer`: the number
// of bytes read, or -1 when it cannot be opened (missing, unreadable, or not a
// regular file, so a FIFO or a folder of that name never blocks or confuses a read).
int ReadDataFile(const char* path, void* buffer, int capacity);

// Replaces `path` with `size` bytes: they are written to a temporary file in the same
// folder, flushed to disk and renamed over the name, so that a crash or power loss at
// any moment leaves either the old or the new file. false when it could not be done
// (the old file is then left as it was).
bool WriteDataFile(const char* path, const void* data, int size);

// Little-endian signed 32-bit integers at byte offset 4 x index.
int32_t GetLe32(const uint8_t* bytes, int index);
void PutLe32(uint8_t* bytes, int index, int32_t value);

#endif
