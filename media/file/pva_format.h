// pva_format.h - the PVA archive format, shared by the library's archive reader and
// the `pva` packer.
//
// Owns: the header layout, the name search form and its byte sum, the table entry
// layouts, the key derivation and the position cipher, and the LZ compressor and
// decompressor. Everything here works on buffers the caller provides: nothing
// allocates, nothing touches files, so the same code builds into the library and
// into the packer.
//
// An archive is a header of 24 bytes at file position 0, a data area, and a header
// block (name table, file table, directory table). Every byte of the file is
// enciphered with the 12-byte working key by its file position. All values are
// little-endian.
#ifndef PAVEX_FILE_PVA_FORMAT_H
#define PAVEX_FILE_PVA_FORMAT_H

#include <stddef.h>
#include <stdint.h>

// ---- header -------------------------------------------------------------------

constexpr int kPvaHeaderSize = 24;
constexpr uint16_t kPvaVersion = 2;       // version written by the packer
constexpr uint16_t kPvaVersionLimit = 4;  // versions 0..3 are read
constexpr uint16_t kPvaFirstCompressedVersion = 2;

struct PvaHeader {
    uint16_t version;
    uint32_t headerBlockSize;
    uint32_t dataStart;        // entry data offsets count from here
    uint32_t headerBlockPos;   // file position of the header block
    uint32_t fileTableOffset;  // inside the header block
    uint32_t dirTableOffset;   // inside the header block
};

void PvaWriteHeader(const PvaHeader& header, uint8_t out[kPvaHeaderSize]);
// Reads a deciphered header. Returns 0 when the magic is "PV" and the version is
// below kPvaVersionLimit, -1 otherwise.
int PvaReadHeader(const uint8_t in[kPvaHeaderSize], PvaHeader* header);

// ---- tables inside the header block --------------------------------------------
//
// Name entry (at a 4-byte aligned offset of the name table):
//   u16 unit count n, u16 byte sum of the search form,
//   n*4 bytes search form (zero padded), n*4 bytes original name (zero padded).
// File entry (kPvaFileEntrySize bytes, in the file table):
//   u32 name offset, u32 attributes, u32 data offset (a file: from the data area
//   start; a directory: offset of its record in the directory table), u32 size,
//   u32 compressed size (kPvaStored: stored as it is; read from version 2 on).
// Directory record (kPvaDirEntrySize bytes, in the directory table; the root is at 0):
//   u32 offset of its own file entry (kPvaNone for the root), u32 offset of the
//   parent's record (kPvaNone for the root), u32 number of entries, u32 offset of
//   the first entry in the file table (the entries of one directory are contiguous).

constexpr uint32_t kPvaFileEntrySize = 20;
constexpr uint32_t kPvaDirEntrySize = 16;
constexpr uint32_t kPvaStored = 0xFFFFFFFFu;
constexpr uint32_t kPvaNone = 0xFFFFFFFFu;
constexpr uint32_t kPvaAttrDirectory = 0x10;
constexpr size_t kPvaMaxNameBytes = 1020;  // one path component

struct PvaFileEntry {
    uint32_t nameOffset;
    uint32_t attributes;
    uint32_t dataOffset;
    uint32_t size;
    uint32_t compressedSize;
};

struct PvaDirEntry {
    uint32_t selfOffset;
    uint32_t parentOffset;
    uint32_t count;
    uint32_t firstOffset;
};

// Shift-JIS lead byte test (0x81-0x9F, 0xE0-0xFC).
inline bool PvaIsSjisLead(uint8_t c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Writes the search form of the `length` bytes of `name` (a-z to A-Z, Shift-JIS
// double-byte characters kept), zero padded to whole 4-byte units, into `out`
// (capacity `outSize`). Returns the unit count, or 0 when it does not fit or the
// name is empty. `sum` receives the 16-bit sum of the search form's bytes.
int PvaSearchForm(const char* name, size_t length, uint8_t* out, size_t outSize, uint16_t* sum);

// Bounds-checked readers of the tables in a deciphered header block. Each returns
// 0, or -1 when the entry does not lie whole inside its table.
int PvaGetFileEntry(const uint8_t* block, const PvaHeader& header, uint32_t offset,
                    PvaFileEntry* entry);
int PvaGetDirEntry(const uint8_t* block, const PvaHeader& header, uint32_t offset,
                   PvaDirEntry* entry);
// Points at a name entry: its search form, original form and unit count.
int PvaGetName(const uint8_t* block, const PvaHeader& header, uint32_t offset,
               const uint8_t** search, const uint8_t** original, uint16_t* units, uint16_t* sum);
// Checks the header against the archive's file size: the header block and data area
// lie inside the file and the tables lie inside the block in order, with room for
// the root directory. 0 or -1.
int PvaCheckLayout(const PvaHeader& header, uint64_t fileSize);

// Looks up a path inside the archive, one component at a time from `dirOffset`.
// The path's components are separated by '\' or '/' (Shift-JIS aware); "." stays
// and ".." goes to the parent (the root stays the root). Returns 0 and the file
// entry found, or -1 when a component is missing, is the wrong kind, or the tables
// are damaged. A directory is never returned.
int PvaLookup(const uint8_t* block, const PvaHeader& header, const char* path, PvaFileEntry* found);

// ---- key and cipher ------------------------------------------------------------

constexpr int kPvaKeySize = 12;

// Builds the working key from a key string: 12 or more characters use the first
// 12; a shorter one is repeated; null or empty uses the default key.
void PvaMakeKey(const char* keyString, uint8_t out[kPvaKeySize]);
// The working key of the fixed fall-back key.
void PvaMakeFallbackKey(uint8_t out[kPvaKeySize]);
// Enciphers or deciphers (the same operation) `size` bytes that sit at file
// position `filePos`.
void PvaCipher(uint8_t* data, size_t size, uint64_t filePos, const uint8_t key[kPvaKeySize]);

// ---- LZ ------------------------------------------------------------------------
//
// A compressed entry is a 9-byte header (u32 decompressed size, u32 compressed size
// including the header, u8 escape E) followed by tokens: a byte other than E is a
// literal; E E is a literal E; E c (c != E, c > E lowered by 1) is a copy of
// (c >> 3) + 4 bytes, plus (b << 5) when bit 2 of c is set and a byte b follows,
// from a distance of 1 + a 1-, 2- or 3-byte field (size code c & 3; code 3 is
// invalid).

constexpr size_t kPvaLzHeaderSize = 9;
constexpr size_t kPvaLzMaxLength = 8195;  // (255 << 5 | 31) + 4
constexpr size_t kPvaLzMaxDistance = 1u << 24;
// The largest output a compressed stream of `compressedSize` bytes can produce.
uint64_t PvaLzMaxOutput(uint64_t compressedSize);

// Reads the LZ header. 0, or -1 when it is short or inconsistent with `inSize`.
int PvaLzReadHeader(const uint8_t* in, size_t inSize, uint32_t* decompressedSize,
                    uint32_t* compressedSize);
// Decompresses a whole stream (header included) into `out` of exactly the header's
// decompressed size. 0, or -1 on any inconsistency (truncation, a copy from before
// the start of the output, output overflow or underflow, distance code 3).
int PvaLzDecode(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize);

// Working memory of the compressor (hash heads and a window of chain links).
size_t PvaLzWorkSize();
// Compresses `size` bytes into `out`. Returns the stream size, or 0 when the stream
// would not fit in `outCapacity` bytes (the caller then stores the data as it is).
size_t PvaLzEncode(const uint8_t* in, size_t size, uint8_t* out, size_t outCapacity, void* work);

#endif
