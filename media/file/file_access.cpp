// file_access.cpp - the file layer: open files, archives, settings (see file_access.h).
//
// Owns: the one static record FILES (open-file slots, archive table, settings, the
// archive used last, the chosen function table) and the public SetArchiveExtension /
// SetArchiveKey. Reads the disk only through media/platform/plat_file.h and the
// format only through pva_format.h. Must not write files; the library's writers
// (log, captures) do not come here. An archive's bytes come from its file or from a
// caller's buffer through one read function, so both take the same checks.
#include <string.h>

#include "media/core/api_lock.h"
#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
#include "media/file/file_access.h"
#include "media/file/pva_format.h"
#include "pavex.h"
#include "media/platform/plat_file.h"
#include "media/platform/plat_system.h"

namespace {

enum FileKind { kPlainFile = 0, kArchiveEntry = 1 };

struct OpenFile {
    int kind;
    uint64_t size;
    uint64_t position;
    int plainFile;     // descriptor of a plain file
    int archive;       // archive table index of an entry
    uint64_t dataPos;  // file position of a stored entry's first byte
    uint8_t* copy;     // decompressed copy of a compressed entry
};

// Where an archive's bytes are read from.
struct ArchiveBytes {
    int file;               // descriptor of an archive file, or -1
    const uint8_t* memory;  // without a file: the caller's buffer
    uint64_t size;
};

struct Archive {
    int used;
    int references;
    char* path;                       // the archive file (prefix + "." + extension)
    uint8_t settingKey[kPvaKeySize];  // the key the settings asked for when opened
    uint8_t key[kPvaKeySize];         // the key that opened it
    PvaHeader header;
    uint8_t* block;  // deciphered header block
    ArchiveBytes bytes;
};

struct FileLayer {
    OpenFile* files[kFileMaxOpen];
    int fileCount;
    Archive archives[kFileMaxArchives];
    int archiveCount;  // archives held; the table scans stop when all were seen
    char extension[kFileExtensionMax + 1];  // empty: "PVA"
    int keySet;
    char key[kFileKeyMax + 1];
    int plainOnly;
    const FileFunctions* table;
    int lastValid;  // the archive used last and its directory prefix
    char lastPrefix[kFilePathMax];
    size_t lastPrefixLength;
};

FileLayer FILES = {};

// ---- small helpers -----------------------------------------------------------------

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

OpenFile* Lookup(FileHandle file) {
    if (file < kFileHandleBase) return nullptr;
    const uint32_t slot = file - kFileHandleBase;
    if (slot >= static_cast<uint32_t>(kFileMaxOpen)) return nullptr;
    return FILES.files[slot];
}

const char* Extension() {
    return FILES.extension[0] ? FILES.extension : "PVA";
}

void SettingKey(uint8_t out[kPvaKeySize]) {
    PvaMakeKey(FILES.keySet ? FILES.key : nullptr, out);
}

bool IsValidUtf8(const char* text) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(text);
    while (*p) {
        const uint8_t c = *p;
        int follow;
        if (c < 0x80)
            follow = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            follow = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            follow = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            follow = 3;
        else
            return false;
        ++p;
        for (int i = 0; i < follow; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) return false;
        }
    }
    return true;
}

// ---- archive table ---------------------------------------------------------------

// Reads up to `size` bytes at `at`; the bytes read, short only at the end, or -1.
int64_t ReadBytes(const ArchiveBytes& from, uint64_t at, void* out, uint64_t size) {
    if (from.file >= 0) return PlatFileReadAt(from.file, at, out, size);
    if (at >= from.size) return 0;
    const uint64_t n = size < from.size - at ? size : from.size - at;
    memcpy(out, from.memory + at, n);
    return static_cast<int64_t>(n);
}

void CloseArchive(int index) {
    Archive& a = FILES.archives[index];
    if (!a.used) return;
    PlatFileClose(a.bytes.file);
    TrackedFree(a.block);
    TrackedFree(a.path);
    a = Archive{};
    --FILES.archiveCount;
    // The shortcut names the archive by its prefix; it reopens through the table.
}

// Closes the archives no open file refers to.
void CloseUnreferencedArchives() {
    for (int i = 0; i < kFileMaxArchives; ++i) {
        if (FILES.archives[i].used && FILES.archives[i].references == 0) CloseArchive(i);
    }
}

int FindFreeArchive() {
    for (int i = 0; i < kFileMaxArchives; ++i) {
        if (!FILES.archives[i].used) return i;
    }
    return -1;
}

// Reads the first 24 bytes deciphered with `key`; 0 when they are a header we read.
int TryHeader(const uint8_t raw[kPvaHeaderSize], const uint8_t key[kPvaKeySize],
              PvaHeader* header) {
    uint8_t copy[kPvaHeaderSize];
    memcpy(copy, raw, kPvaHeaderSize);
    PvaCipher(copy, kPvaHeaderSize, 0, key);
    return PvaReadHeader(copy, header);
}

int FindArchive(const char* path, const uint8_t settingKey[kPvaKeySize]) {
    for (int i = 0, seen = 0; i < kFileMaxArchives && seen < FILES.archiveCount; ++i) {
        const Archive& a = FILES.archives[i];
        seen += a.used;
        if (a.used && memcmp(a.settingKey, settingKey, kPvaKeySize) == 0 &&
            strcmp(a.path, path) == 0)
            return i;
    }
    return -1;
}

// Puts the archive read from `bytes` into the table under `path`. Returns its index,
// or -1 (the file closed) when it is not an archive under the set or fall-back key or
// no room is left.
int AddArchive(const char* path, const uint8_t settingKey[kPvaKeySize], ArchiveBytes bytes) {
    const uint64_t fileSize = bytes.size;
    uint8_t raw[kPvaHeaderSize];
    PvaHeader header{};
    uint8_t key[kPvaKeySize];
    memcpy(key, settingKey, kPvaKeySize);
    bool ok = fileSize >= static_cast<uint64_t>(kPvaHeaderSize) &&
              ReadBytes(bytes, 0, raw, kPvaHeaderSize) == kPvaHeaderSize;
    if (ok && TryHeader(raw, key, &header) != 0) {
        PvaMakeFallbackKey(key);
        ok = TryHeader(raw, key, &header) == 0;
    }
    // The layout is checked against the real file size before anything is allocated.
    ok = ok && PvaCheckLayout(header, fileSize) == 0;
    // Room is made only for a file that really is an archive.
    int index = -1;
    if (ok) {
        index = FindFreeArchive();
        if (index < 0) {
            CloseUnreferencedArchives();
            index = FindFreeArchive();
        }
        ok = index >= 0;
    }
    uint8_t* block = nullptr;
    char* pathCopy = nullptr;
    if (ok) {
        block = static_cast<uint8_t*>(PAVEX_ALLOC(header.headerBlockSize));
        const size_t pathLength = strlen(path);
        pathCopy = static_cast<char*>(PAVEX_ALLOC(pathLength + 1));
        ok = block && pathCopy &&
             ReadBytes(bytes, header.headerBlockPos, block, header.headerBlockSize) ==
                 static_cast<int64_t>(header.headerBlockSize);
        if (ok) {
            memcpy(pathCopy, path, pathLength + 1);
            PvaCipher(block, header.headerBlockSize, header.headerBlockPos, key);
        }
    }
    if (!ok) {
        TrackedFree(block);
        TrackedFree(pathCopy);
        PlatFileClose(bytes.file);
        return -1;
    }
    Archive& a = FILES.archives[index];
    a.used = 1;
    a.references = 0;
    a.path = pathCopy;
    memcpy(a.settingKey, settingKey, kPvaKeySize);
    memcpy(a.key, key, kPvaKeySize);
    a.header = header;
    a.block = block;
    a.bytes = bytes;
    ++FILES.archiveCount;
    return index;
}

// Finds the archive file in the table or opens it; its index, or -1.
int OpenArchive(const char* path) {
    uint8_t settingKey[kPvaKeySize];
    SettingKey(settingKey);
    const int index = FindArchive(path, settingKey);
    if (index >= 0) return index;
    ArchiveBytes bytes{-1, nullptr, 0};
    bytes.file = PlatFileOpenRead(path, &bytes.size);
    return bytes.file < 0 ? -1 : AddArchive(path, settingKey, bytes);
}

// Builds prefix + "." + extension into `out`. false when it does not fit.
bool ArchiveName(const char* prefix, size_t prefixLength, char* out, size_t outSize) {
    const char* extension = Extension();
    const size_t extensionLength = strlen(extension);
    if (prefixLength + 1 + extensionLength + 1 > outSize) return false;
    memcpy(out, prefix, prefixLength);
    out[prefixLength] = '.';
    memcpy(out + prefixLength + 1, extension, extensionLength + 1);
    return true;
}

// Opens the entry `inner` (UTF-8, relative to the archive's directory) into `record`;
// a compressed entry larger than `unpackLimit` is refused before anything is read.
int OpenEntry(int index, const char* inner, OpenFile* record, uint64_t unpackLimit) {
    Archive& a = FILES.archives[index];
    char sjis[kFilePathMax];
    PlatUtf8ToShiftJis(inner, sjis, sizeof(sjis));
    PvaFileEntry entry{};
    if (PvaLookup(a.block, a.header, sjis, &entry) != 0) return -1;

    const uint64_t start = static_cast<uint64_t>(a.header.dataStart) + entry.dataOffset;
    record->kind = kArchiveEntry;
    record->archive = index;
    record->size = entry.size;
    record->position = 0;
    if (entry.compressedSize == kPvaStored) {
        if (start + entry.size > a.bytes.size) return -1;
        record->dataPos = start;
        return 0;
    }
    // A compressed entry is decompressed once, here. Its claimed size is believed only
    // as far as its compressed bytes could produce it.
    const uint64_t packed = entry.compressedSize;
    if (packed < kPvaLzHeaderSize || start + packed > a.bytes.size) return -1;
    if (entry.size > PvaLzMaxOutput(packed) || entry.size > unpackLimit) return -1;
    uint8_t* input = static_cast<uint8_t*>(PAVEX_ALLOC(packed));
    if (!input) return -1;
    int result = -1;
    if (ReadBytes(a.bytes, start, input, packed) == static_cast<int64_t>(packed)) {
        PvaCipher(input, packed, start, a.key);
        uint32_t decompressed = 0, compressed = 0;
        if (PvaLzReadHeader(input, packed, &decompressed, &compressed) == 0 &&
            compressed == packed && decompressed == entry.size) {
            record->copy = static_cast<uint8_t*>(PAVEX_ALLOC(entry.size ? entry.size : 1));
            if (record->copy && PvaLzDecode(input, packed, record->copy, entry.size) == 0) {
                result = 0;
            } else {
                TrackedFree(record->copy);
                record->copy = nullptr;
            }
        }
    }
    TrackedFree(input);
    return result;
}

// ---- opening -------------------------------------------------------------------------

int OpenPlain(const char* path, OpenFile* record) {
    uint64_t size = 0;
    const int file = PlatFileOpenRead(path, &size);
    if (file < 0) return -1;
    record->kind = kPlainFile;
    record->plainFile = file;
    record->size = size;
    record->position = 0;
    return 0;
}

// Takes a slot and a record; 0 and the slot, or -1 after logging why.
int ReserveSlot(int* slotOut, OpenFile** recordOut) {
    int slot = -1;
    for (int i = 0; i < kFileMaxOpen; ++i) {
        if (!FILES.files[i]) {
            slot = i;
            break;
        }
    }
    if (slot < 0) {
        LogString("同時に開けるファイルの数が限界を超えました\n");
        return -1;
    }
    OpenFile* record = static_cast<OpenFile*>(PAVEX_ALLOC_ZERO(sizeof(OpenFile)));
    if (!record) {
        LogString("ファイルの情報を格納するメモリの確保に失敗しました\n");
        return -1;
    }
    record->plainFile = -1;
    record->archive = -1;
    *slotOut = slot;
    *recordOut = record;
    return 0;
}

FileHandle Commit(int slot, OpenFile* record) {
    FILES.files[slot] = record;
    ++FILES.fileCount;
    if (record->kind == kArchiveEntry) ++FILES.archives[record->archive].references;
    return kFileHandleBase + static_cast<uint32_t>(slot);
}

// The path as absolute UTF-8 with '/' separators.
int NormaliseForOpen(const char* path, char* out, size_t outSize) {
    if (!path || !path[0]) return -1;
    char utf8[kFilePathMax];
    if (!IsValidUtf8(path)) {
        PlatShiftJisToUtf8(path, strlen(path), utf8, sizeof(utf8));
        path = utf8;
    }
    char base[kFilePathMax];
    if (PlatGetCurrentDirectory(base, sizeof(base)) != 0) return -1;
    return FileNormalizePath(base, path, out, outSize);
}

FileHandle PlainOpen(const char* path, int) {
    int slot;
    OpenFile* record;
    if (ReserveSlot(&slot, &record) != 0) return 0;
    char normal[kFilePathMax];
    if (NormaliseForOpen(path, normal, sizeof(normal)) != 0 || OpenPlain(normal, record) != 0) {
        TrackedFree(record);
        return 0;
    }
    return Commit(slot, record);
}

FileHandle ArchiveOpenWithin(const char* path, uint64_t unpackLimit) {
    int slot;
    OpenFile* record;
    if (ReserveSlot(&slot, &record) != 0) return 0;
    char normal[kFilePathMax];
    if (NormaliseForOpen(path, normal, sizeof(normal)) != 0) {
        TrackedFree(record);
        return 0;
    }
    char name[kFilePathMax + kFileExtensionMax + 2];
    int archive = -1;
    const char* inner = nullptr;
    bool triedShortcut = false;
    if (FILES.lastValid && strncmp(normal, FILES.lastPrefix, FILES.lastPrefixLength) == 0 &&
        normal[FILES.lastPrefixLength] == '/') {
        triedShortcut = true;
        if (ArchiveName(FILES.lastPrefix, FILES.lastPrefixLength, name, sizeof(name)))
            archive = OpenArchive(name);
        if (archive >= 0)
            inner = normal + FILES.lastPrefixLength + 1;
        else
            FILES.lastValid = 0;
    }
    if (!triedShortcut) {
        // From the root down: every directory prefix of the path (never the file name).
        for (size_t i = 1; normal[i] != 0; ++i) {
            if (normal[i] != '/') continue;
            if (!ArchiveName(normal, i, name, sizeof(name))) break;
            archive = OpenArchive(name);
            if (archive >= 0) {
                inner = normal + i + 1;
                memcpy(FILES.lastPrefix, normal, i);
                FILES.lastPrefix[i] = 0;
                FILES.lastPrefixLength = i;
                FILES.lastValid = 1;
                break;
            }
        }
    }
    const int result =
        archive >= 0 ? OpenEntry(archive, inner, record, unpackLimit) : OpenPlain(normal, record);
    if (result != 0) {
        TrackedFree(record->copy);
        TrackedFree(record);
        return 0;
    }
    return Commit(slot, record);
}

FileHandle ArchiveOpen(const char* path, int) {
    return ArchiveOpenWithin(path, kFileMaxUnpackedSize);
}

// ---- the operations on open files ------------------------------------------------

int CommonClose(FileHandle file) {
    OpenFile* record = Lookup(file);
    if (!record) return -1;
    if (record->kind == kPlainFile) {
        PlatFileClose(record->plainFile);
    } else {
        Archive& a = FILES.archives[record->archive];
        if (a.used && a.references > 0) --a.references;
        TrackedFree(record->copy);
    }
    TrackedFree(record);
    FILES.files[file - kFileHandleBase] = nullptr;
    --FILES.fileCount;
    return 0;
}

int64_t CommonTell(FileHandle file) {
    const OpenFile* record = Lookup(file);
    return record ? static_cast<int64_t>(record->position) : -1;
}

int CommonSeek(FileHandle file, int64_t offset, int origin) {
    OpenFile* record = Lookup(file);
    if (!record) return -1;
    int64_t base;
    switch (origin) {
        case kFileSeekStart:
            base = 0;
            break;
        case kFileSeekCurrent:
            base = static_cast<int64_t>(record->position);
            break;
        case kFileSeekEnd:
            base = static_cast<int64_t>(record->size);
            break;
        default:
            return -1;
    }
    // Both values are at most 2^63 apart from overflow only with hostile offsets.
    if ((offset > 0 && base > INT64_MAX - offset)) return -1;
    const int64_t target = base + offset;
    if (target < 0 || static_cast<uint64_t>(target) > record->size) return -1;
    record->position = static_cast<uint64_t>(target);
    return 0;
}

size_t CommonRead(void* buffer, size_t size, size_t count, FileHandle file) {
    OpenFile* record = Lookup(file);
    if (!record || !buffer || size == 0 || count == 0) return 0;
    if (count > SIZE_MAX / size) return 0;
    uint64_t wanted = static_cast<uint64_t>(size) * count;
    const uint64_t left = record->size - record->position;
    if (wanted > left) wanted = left;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    uint64_t got = 0;
    if (record->kind == kPlainFile) {
        const int64_t n = PlatFileReadAt(record->plainFile, record->position, out, wanted);
        got = n > 0 ? static_cast<uint64_t>(n) : 0;
    } else if (record->copy) {
        memcpy(out, record->copy + record->position, wanted);
        got = wanted;
    } else {
        const Archive& a = FILES.archives[record->archive];
        const uint64_t at = record->dataPos + record->position;
        const int64_t n = ReadBytes(a.bytes, at, out, wanted);
        got = n > 0 ? static_cast<uint64_t>(n) : 0;
        PvaCipher(out, got, at, a.key);
    }
    record->position += got;
    return static_cast<size_t>(got / size);
}

int CommonEof(FileHandle file) {
    const OpenFile* record = Lookup(file);
    if (!record) return -1;
    return record->position >= record->size ? 1 : 0;
}

int CommonSetCurrentDirectory(const char* path) {
    if (!path) return -1;
    return PlatSetCurrentDirectory(path) == 0 ? 0 : -1;
}

int CommonGetCurrentDirectory(char* out, size_t size) {
    if (!out || size == 0) return -1;
    return PlatGetCurrentDirectory(out, size) == 0 ? 0 : -1;
}

const FileFunctions kArchiveFunctions = {ArchiveOpen,
                                         CommonClose,
                                         CommonTell,
                                         CommonSeek,
                                         CommonRead,
                                         CommonEof,
                                         CommonSetCurrentDirectory,
                                         CommonGetCurrentDirectory};
const FileFunctions kPlainFunctions = {PlainOpen,
                                       CommonClose,
                                       CommonTell,
                                       CommonSeek,
                                       CommonRead,
                                       CommonEof,
                                       CommonSetCurrentDirectory,
                                       CommonGetCurrentDirectory};

const FileFunctions& Table() {
    return FILES.table ? *FILES.table : kArchiveFunctions;
}

// A settings change applies to every later open: forget the shortcut and the archives
// no file holds, so nothing opened under the old settings is found again.
void SettingsChanged() {
    FILES.lastValid = 0;
    CloseUnreferencedArchives();
}

}  // namespace

// ---- life cycle -------------------------------------------------------------------

void FileShutDown() {
    for (int i = 0; i < kFileMaxOpen && FILES.fileCount > 0; ++i) {
        if (FILES.files[i]) CommonClose(kFileHandleBase + static_cast<uint32_t>(i));
    }
    for (int i = 0; i < kFileMaxArchives && FILES.archiveCount > 0; ++i) CloseArchive(i);
    FILES.fileCount = 0;
    FILES.lastValid = 0;
    FILES.table = nullptr;
}

int FileStartUp() {
    FileShutDown();
    FILES.table = FILES.plainOnly ? &kPlainFunctions : &kArchiveFunctions;
    return 0;
}

void FileUsePlainFiles(int plainOnly) {
    FILES.plainOnly = plainOnly ? 1 : 0;
}

// ---- interface -----------------------------------------------------------------------

FileHandle FileOpen(const char* path) {
    return Table().open(path, 0);
}
int FileClose(FileHandle file) {
    return Table().close(file);
}
int64_t FileTell(FileHandle file) {
    return Table().tell(file);
}
int FileSeek(FileHandle file, int64_t offset, int origin) {
    return Table().seek(file, offset, origin);
}
size_t FileRead(void* buffer, size_t size, size_t count, FileHandle file) {
    return Table().read(buffer, size, count, file);
}
int FileEof(FileHandle file) {
    return Table().eof(file);
}
int FileSetCurrentDirectory(const char* path) {
    return Table().setCurrentDirectory(path);
}
int FileGetCurrentDirectory(char* out, size_t size) {
    return Table().getCurrentDirectory(out, size);
}

int64_t FileSize(FileHandle file) {
    const OpenFile* record = Lookup(file);
    return record ? static_cast<int64_t>(record->size) : -1;
}

void* FileReadAll(const char* path, size_t maxSize, size_t* size) {
    // A compressed entry is unpacked when it opens, so the limit must apply there.
    const uint64_t limit = maxSize < kFileMaxUnpackedSize ? maxSize : kFileMaxUnpackedSize;
    const FileHandle file =
        &Table() == &kArchiveFunctions ? ArchiveOpenWithin(path, limit) : FileOpen(path);
    if (file == 0) return nullptr;
    const int64_t length = FileSize(file);
    uint8_t* data = nullptr;
    if (length >= 0 && static_cast<uint64_t>(length) <= maxSize &&
        static_cast<uint64_t>(length) < SIZE_MAX) {
        const size_t n = static_cast<size_t>(length);
        data = static_cast<uint8_t*>(PAVEX_ALLOC(n + 1));
        if (data && FileRead(data, 1, n, file) == n) {
            data[n] = 0;
            if (size) *size = n;
        } else {
            TrackedFree(data);
            data = nullptr;
        }
    }
    FileClose(file);
    return data;
}

int FileSetArchiveExtension(const char* extension) {
    const size_t length = extension ? strlen(extension) : 0;
    if (length == 0 || length > kFileExtensionMax) {
        FILES.extension[0] = 0;
    } else {
        memcpy(FILES.extension, extension, length + 1);
    }
    SettingsChanged();
    return 0;
}

int FileSetArchiveKey(const char* key) {
    if (!key) {
        FILES.keySet = 0;
        FILES.key[0] = 0;
    } else {
        const size_t length = strnlen(key, kFileKeyMax);
        memcpy(FILES.key, key, length);
        FILES.key[length] = 0;
        FILES.keySet = 1;
    }
    SettingsChanged();
    return 0;
}

int FileNormalizePath(const char* base, const char* path, char* out, size_t outSize) {
    if (!base || !path || outSize < 2) return -1;
    size_t length = 0;
    out[0] = 0;
    // Appends the components of `text`; both separators count, "." is dropped and
    // ".." goes back one component, never above the root.
    auto append = [&](const char* text) -> bool {
        size_t i = 0;
        while (text[i] != 0) {
            while (text[i] != 0 && IsSeparator(text[i])) ++i;
            const size_t begin = i;
            while (text[i] != 0 && !IsSeparator(text[i])) ++i;
            const size_t n = i - begin;
            if (n == 0 || (n == 1 && text[begin] == '.')) continue;
            if (n == 2 && text[begin] == '.' && text[begin + 1] == '.') {
                while (length > 0 && out[length - 1] != '/') --length;
                if (length > 0) --length;  // the separator before the removed component
                out[length] = 0;
                continue;
            }
            if (length + 1 + n + 1 > outSize) return false;
            out[length++] = '/';
            memcpy(out + length, text + begin, n);
            length += n;
            out[length] = 0;
        }
        return true;
    };
    if (!IsSeparator(path[0]) && !append(base)) return -1;
    if (!append(path)) return -1;
    if (length == 0) {
        out[0] = '/';
        out[1] = 0;
    }
    return 0;
}

int FileAddMemoryArchive(const char* folder, const void* data, size_t size) {
    char normal[kFilePathMax];
    char name[kFilePathMax + kFileExtensionMax + 2];
    if ((!data && size > 0) || NormaliseForOpen(folder, normal, sizeof(normal)) != 0 ||
        !ArchiveName(normal, strlen(normal), name, sizeof(name)))
        return -1;
    uint8_t settingKey[kPvaKeySize];
    SettingKey(settingKey);
    const int old = FindArchive(name, settingKey);
    if (old >= 0) {
        if (FILES.archives[old].references > 0) return -1;
        CloseArchive(old);
    }
    const ArchiveBytes bytes{-1, static_cast<const uint8_t*>(data), size};
    return AddArchive(name, settingKey, bytes) >= 0 ? 0 : -1;
}

int FileOpenCount() {
    return FILES.fileCount;
}

int FileArchiveCount() {
    return FILES.archiveCount;
}

// ---- public settings ------------------------------------------------------------------

int SetArchiveExtension(const char* extension) {
    ApiScope lock;
    return FileSetArchiveExtension(extension);
}

int SetArchiveKey(const char* key) {
    ApiScope lock;
    return FileSetArchiveKey(key);
}
