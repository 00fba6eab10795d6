// file_access.h - the file layer every reader of the library (images, fonts, sounds,
// music, movies) reads through.
//
// Owns: the open-file table (512 slots), the archive table (512 archives), the
// archive settings and the table of functions chosen at start-up. A stdio-like
// interface over plain files and entries of PVA archives: an archive named after a
// directory plus "." plus the archive extension stands in for that directory.
//
// Paths are UTF-8 (a path that is not valid UTF-8 is taken as Shift-JIS). Both '/'
// and '\' separate components. Callers hold the API lock (the readers are called
// from public functions); the file layer takes no lock of its own.
#ifndef PAVEX_FILE_FILE_ACCESS_H
#define PAVEX_FILE_FILE_ACCESS_H

#include <stddef.h>
#include <stdint.h>

// 0xF0000000 + slot; 0 is the failure value of FileOpen.
using FileHandle = uint32_t;
constexpr FileHandle kFileHandleBase = 0xF0000000u;
constexpr int kFileMaxOpen = 512;
constexpr int kFileMaxArchives = 512;
constexpr size_t kFilePathMax = 4096;     // a normalised path, terminator included
constexpr size_t kFileExtensionMax = 63;  // longer extensions fall back to "PVA"
constexpr size_t kFileKeyMax = 12;
// A compressed entry is unpacked whole when it opens; one that claims more than this
// is refused, so that a hostile archive cannot ask for gigabytes. Far above any asset.
constexpr uint64_t kFileMaxUnpackedSize = uint64_t{256} << 20;

// Origins of FileSeek.
constexpr int kFileSeekStart = 0;
constexpr int kFileSeekCurrent = 1;
constexpr int kFileSeekEnd = 2;

// The operations behind the interface, chosen once by FileStartUp: the archive-aware
// set (the default) or the plain set that never looks for archives.
struct FileFunctions {
    FileHandle (*open)(const char* path, int asynchronous);
    int (*close)(FileHandle file);
    int64_t (*tell)(FileHandle file);
    int (*seek)(FileHandle file, int64_t offset, int origin);
    size_t (*read)(void* buffer, size_t size, size_t count, FileHandle file);
    int (*eof)(FileHandle file);
    int (*setCurrentDirectory)(const char* path);
    int (*getCurrentDirectory)(char* out, size_t size);
};

// ---- life cycle (called by the library frame) -----------------------------------

// Chooses the function table (plain set when FileUsePlainFiles(1) was called) and
// clears the file and archive tables. 0.
int FileStartUp();
// Closes every open file and archive and frees what they hold.
void FileShutDown();
// The layer's plain-file switch: 1 reads plain files only. Applies at FileStartUp.
void FileUsePlainFiles(int plainOnly);

// ---- the interface the readers use (calls through the chosen table) ----------------

FileHandle FileOpen(const char* path);                      // handle, or 0
int FileClose(FileHandle file);                             // 0, or -1 for an unknown handle
int64_t FileTell(FileHandle file);                          // read position, or -1
int FileSeek(FileHandle file, int64_t offset, int origin);  // 0, or -1 (outside 0..size)
size_t FileRead(void* buffer, size_t size, size_t count, FileHandle file);  // whole elements
int FileEof(FileHandle file);                         // 1 at the end, 0 before, -1 unknown
int FileSetCurrentDirectory(const char* path);        // 0, or -1
int FileGetCurrentDirectory(char* out, size_t size);  // 0, or -1 when it does not fit
int64_t FileSize(FileHandle file);                    // size in bytes, or -1

// Reads a whole file into a block of the tracking allocator (release it with
// TrackedFree). A zero byte follows the data (not counted in *size). Returns NULL
// when the file cannot be opened or read, or is larger than `maxSize` (checked
// before a compressed entry is unpacked).
void* FileReadAll(const char* path, size_t maxSize, size_t* size);

// ---- settings (internal forms of SetArchiveExtension / SetArchiveKey) ---------------

int FileSetArchiveExtension(const char* extension);
int FileSetArchiveKey(const char* key);

// ---- helpers, also used by tests ----------------------------------------------------

// Makes `path` absolute against `base` (itself absolute) and writes it with '/'
// separators: "." dropped, ".." removes the previous component but never the root,
// repeated and trailing separators removed. 0, or -1 when it does not fit.
int FileNormalizePath(const char* base, const char* path, char* out, size_t outSize);
// Puts the archive held in `data` (its bytes as they lie on disk, enciphered) into the
// archive table, where it stands in for `folder` as an archive file beside that
// folder would; it is read with the same code and checks as one on disk. The caller
// keeps the bytes unchanged until FileShutDown or a settings change (which drop
// archives no open file holds). 0, or -1 when it is no archive under the set or
// fall-back key, or an archive held open already has that name.
int FileAddMemoryArchive(const char* folder, const void* data, size_t size);
int FileOpenCount();     // files open now
int FileArchiveCount();  // archives held in the table now (referenced or cached)

#endif
