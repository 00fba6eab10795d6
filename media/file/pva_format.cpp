// pva_format.cpp - the PVA archive format (see pva_format.h).
//
// Owns: byte layouts, search form, table walking, key, cipher and LZ. Must not
// allocate, log or touch files: the packer builds this file too.
#include "media/file/pva_format.h"

#include <string.h>

namespace {

uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint8_t RotateLeft(uint8_t v, int n) {
    return static_cast<uint8_t>((v << n) | (v >> (8 - n)));
}

// The raw keys of the format: the one used when no key is set, and the one an
// archive is tried with when the set key does not open it.
const uint8_t kDefaultRawKey[kPvaKeySize] = {'P', 'a', 'v', 'e', 'x', '-',
                                             'V', 'o', 'r', 'l', 'a', 'n'};
const uint8_t kFallbackRawKey[kPvaKeySize] = {0x3B, 0xA7, 0x1C, 0xE2, 0x58, 0x90,
                                              0x6D, 0x0F, 0xC4, 0x71, 0x2E, 0x99};

// Per key position: 0 inverts, 1 exclusive-or with the constant, 2 rotates left by
// the constant.
struct KeyStep {
    uint8_t kind;
    uint8_t value;
};
const KeyStep kKeySteps[kPvaKeySize] = {{0, 0}, {2, 3},    {1, 0x5A}, {2, 6}, {1, 0xC3}, {0, 0},
                                        {2, 5}, {1, 0x96}, {2, 1},    {0, 0}, {1, 0x3C}, {2, 4}};

void TransformKey(const uint8_t raw[kPvaKeySize], uint8_t out[kPvaKeySize]) {
    for (int i = 0; i < kPvaKeySize; ++i) {
        const KeyStep& step = kKeySteps[i];
        if (step.kind == 0) {
            out[i] = static_cast<uint8_t>(~raw[i]);
        } else if (step.kind == 1) {
            out[i] = static_cast<uint8_t>(raw[i] ^ step.value);
        } else {
            out[i] = RotateLeft(raw[i], step.value);
        }
    }
}

bool IsSeparator(uint8_t c) {
    return c == '/' || c == '\\';
}

}  // namespace

// ---- header ---------------------------------------------------------------------

void PvaWriteHeader(const PvaHeader& header, uint8_t out[kPvaHeaderSize]) {
    out[0] = 'P';
    out[1] = 'V';
    Put16(out + 2, header.version);
    Put32(out + 4, header.headerBlockSize);
    Put32(out + 8, header.dataStart);
    Put32(out + 12, header.headerBlockPos);
    Put32(out + 16, header.fileTableOffset);
    Put32(out + 20, header.dirTableOffset);
}

int PvaReadHeader(const uint8_t in[kPvaHeaderSize], PvaHeader* header) {
    if (in[0] != 'P' || in[1] != 'V') return -1;
    header->version = Get16(in + 2);
    if (header->version >= kPvaVersionLimit) return -1;
    header->headerBlockSize = Get32(in + 4);
    header->dataStart = Get32(in + 8);
    header->headerBlockPos = Get32(in + 12);
    header->fileTableOffset = Get32(in + 16);
    header->dirTableOffset = Get32(in + 20);
    return 0;
}

int PvaCheckLayout(const PvaHeader& header, uint64_t fileSize) {
    const uint64_t blockEnd = static_cast<uint64_t>(header.headerBlockPos) + header.headerBlockSize;
    if (blockEnd > fileSize) return -1;
    if (header.dataStart > fileSize) return -1;
    if (header.fileTableOffset > header.dirTableOffset) return -1;
    if (static_cast<uint64_t>(header.dirTableOffset) + kPvaDirEntrySize > header.headerBlockSize)
        return -1;
    return 0;
}

// ---- tables ---------------------------------------------------------------------

int PvaSearchForm(const char* name, size_t length, uint8_t* out, size_t outSize, uint16_t* sum) {
    if (length == 0 || length > kPvaMaxNameBytes) return 0;
    const size_t units = length / 4 + 1;
    if (units * 4 > outSize) return 0;
    const uint8_t* in = reinterpret_cast<const uint8_t*>(name);
    uint16_t total = 0;
    size_t i = 0;
    while (i < length) {
        uint8_t c = in[i];
        if (PvaIsSjisLead(c) && i + 1 < length) {
            out[i] = c;
            out[i + 1] = in[i + 1];
            total = static_cast<uint16_t>(total + c + in[i + 1]);
            i += 2;
            continue;
        }
        if (c >= 'a' && c <= 'z') c = static_cast<uint8_t>(c - 'a' + 'A');
        out[i] = c;
        total = static_cast<uint16_t>(total + c);
        ++i;
    }
    memset(out + length, 0, units * 4 - length);
    *sum = total;
    return static_cast<int>(units);
}

int PvaGetFileEntry(const uint8_t* block, const PvaHeader& header, uint32_t offset,
                    PvaFileEntry* entry) {
    if (offset < header.fileTableOffset) return -1;
    if (static_cast<uint64_t>(offset) + kPvaFileEntrySize > header.dirTableOffset) return -1;
    const uint8_t* p = block + offset;
    entry->nameOffset = Get32(p);
    entry->attributes = Get32(p + 4);
    entry->dataOffset = Get32(p + 8);
    entry->size = Get32(p + 12);
    entry->compressedSize = Get32(p + 16);
    if (header.version < kPvaFirstCompressedVersion) entry->compressedSize = kPvaStored;
    return 0;
}

int PvaGetDirEntry(const uint8_t* block, const PvaHeader& header, uint32_t offset,
                   PvaDirEntry* entry) {
    if (offset < header.dirTableOffset) return -1;
    if (static_cast<uint64_t>(offset) + kPvaDirEntrySize > header.headerBlockSize) return -1;
    const uint8_t* p = block + offset;
    entry->selfOffset = Get32(p);
    entry->parentOffset = Get32(p + 4);
    entry->count = Get32(p + 8);
    entry->firstOffset = Get32(p + 12);
    return 0;
}

int PvaGetName(const uint8_t* block, const PvaHeader& header, uint32_t offset,
               const uint8_t** search, const uint8_t** original, uint16_t* units, uint16_t* sum) {
    const uint64_t limit = header.fileTableOffset;
    if (static_cast<uint64_t>(offset) + 4 > limit) return -1;
    const uint16_t n = Get16(block + offset);
    if (n == 0 || static_cast<uint64_t>(offset) + 4 + static_cast<uint64_t>(n) * 8 > limit)
        return -1;
    *units = n;
    *sum = Get16(block + offset + 2);
    *search = block + offset + 4;
    *original = block + offset + 4 + static_cast<size_t>(n) * 4;
    return 0;
}

int PvaLookup(const uint8_t* block, const PvaHeader& header, const char* path,
              PvaFileEntry* found) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(path);
    uint32_t dirOffset = header.dirTableOffset;  // the root
    PvaDirEntry dir;
    if (PvaGetDirEntry(block, header, dirOffset, &dir) != 0) return -1;
    uint8_t wanted[kPvaMaxNameBytes + 4];
    size_t i = 0;
    for (;;) {
        while (p[i] != 0 && IsSeparator(p[i])) ++i;
        if (p[i] == 0) return -1;  // the path ends in a directory (or is empty)
        const size_t begin = i;
        while (p[i] != 0 && !IsSeparator(p[i])) {
            i += (PvaIsSjisLead(p[i]) && p[i + 1] != 0) ? 2 : 1;
        }
        const size_t length = i - begin;
        size_t next = i;
        while (p[next] != 0 && IsSeparator(p[next])) ++next;
        const bool last = p[next] == 0;

        if (length == 1 && p[begin] == '.') {
            if (last) return -1;
            continue;
        }
        if (length == 2 && p[begin] == '.' && p[begin + 1] == '.') {
            if (last) return -1;
            if (dir.parentOffset != kPvaNone) {
                dirOffset = dir.parentOffset;
                if (PvaGetDirEntry(block, header, dirOffset, &dir) != 0) return -1;
            }
            continue;
        }
        uint16_t wantedSum = 0;
        const int units = PvaSearchForm(path + begin, length, wanted, sizeof(wanted), &wantedSum);
        if (units == 0) return -1;

        bool matched = false;
        PvaFileEntry entry{};
        // The count is not trusted: the walk ends where the file table ends.
        for (uint64_t k = 0; k < dir.count; ++k) {
            const uint64_t offset = dir.firstOffset + k * kPvaFileEntrySize;
            if (offset > 0xFFFFFFFFu) return -1;
            if (PvaGetFileEntry(block, header, static_cast<uint32_t>(offset), &entry) != 0)
                return -1;
            const uint8_t* search;
            const uint8_t* original;
            uint16_t nameUnits, nameSum;
            if (PvaGetName(block, header, entry.nameOffset, &search, &original, &nameUnits,
                           &nameSum) != 0)
                return -1;
            if (nameSum != wantedSum || nameUnits != units) continue;
            if (memcmp(search, wanted, static_cast<size_t>(units) * 4) != 0) continue;
            matched = true;
            break;
        }
        if (!matched) return -1;
        const bool isDirectory = (entry.attributes & kPvaAttrDirectory) != 0;
        if (last) {
            if (isDirectory) return -1;
            *found = entry;
            return 0;
        }
        if (!isDirectory) return -1;
        dirOffset = entry.dataOffset;
        if (PvaGetDirEntry(block, header, dirOffset, &dir) != 0) return -1;
    }
}

// ---- key and cipher ----------------------------------------------------------------

void PvaMakeKey(const char* keyString, uint8_t out[kPvaKeySize]) {
    uint8_t raw[kPvaKeySize];
    const size_t length = keyString ? strlen(keyString) : 0;
    if (length == 0) {
        memcpy(raw, kDefaultRawKey, kPvaKeySize);
    } else {
        for (int i = 0; i < kPvaKeySize; ++i) raw[i] = static_cast<uint8_t>(keyString[i % length]);
    }
    TransformKey(raw, out);
}

void PvaMakeFallbackKey(uint8_t out[kPvaKeySize]) {
    TransformKey(kFallbackRawKey, out);
}

void PvaCipher(uint8_t* data, size_t size, uint64_t filePos, const uint8_t key[kPvaKeySize]) {
    size_t k = static_cast<size_t>(filePos % kPvaKeySize);
    size_t i = 0;
    while (i < size && k != 0) {
        data[i++] ^= key[k];
        k = (k + 1) % kPvaKeySize;
    }
    // Aligned to the key: whole 12-byte blocks as one 8-byte and one 4-byte word.
    uint64_t low;
    uint32_t high;
    memcpy(&low, key, 8);
    memcpy(&high, key + 8, 4);
    while (size - i >= kPvaKeySize) {
        uint64_t a;
        uint32_t b;
        memcpy(&a, data + i, 8);
        memcpy(&b, data + i + 8, 4);
        a ^= low;
        b ^= high;
        memcpy(data + i, &a, 8);
        memcpy(data + i + 8, &b, 4);
        i += kPvaKeySize;
    }
    for (k = 0; i < size; ++i, ++k) data[i] ^= key[k];
}

// ---- LZ --------------------------------------------------------------------------

uint64_t PvaLzMaxOutput(uint64_t compressedSize) {
    if (compressedSize <= kPvaLzHeaderSize) return 0;
    // The longest copy (8195 bytes) costs 4 bytes of input; nothing yields more.
    return (compressedSize - kPvaLzHeaderSize + 3) / 4 * kPvaLzMaxLength;
}

int PvaLzReadHeader(const uint8_t* in, size_t inSize, uint32_t* decompressedSize,
                    uint32_t* compressedSize) {
    if (inSize < kPvaLzHeaderSize) return -1;
    *decompressedSize = Get32(in);
    *compressedSize = Get32(in + 4);
    if (*compressedSize < kPvaLzHeaderSize || *compressedSize > inSize) return -1;
    if (*decompressedSize > PvaLzMaxOutput(*compressedSize)) return -1;
    return 0;
}

int PvaLzDecode(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    uint32_t expected, compressed;
    if (PvaLzReadHeader(in, inSize, &expected, &compressed) != 0) return -1;
    if (expected != outSize) return -1;
    const uint8_t escape = in[8];
    size_t pos = kPvaLzHeaderSize;
    size_t o = 0;
    while (pos < compressed) {
        const uint8_t b = in[pos++];
        if (b != escape) {
            if (o >= outSize) return -1;
            out[o++] = b;
            continue;
        }
        if (pos >= compressed) return -1;
        unsigned c = in[pos++];
        if (c == escape) {
            if (o >= outSize) return -1;
            out[o++] = escape;
            continue;
        }
        if (c > escape) --c;
        size_t length = c >> 3;
        if (c & 4) {
            if (pos >= compressed) return -1;
            length += static_cast<size_t>(in[pos++]) << 5;
        }
        length += 4;
        const unsigned code = c & 3;
        if (code == 3) return -1;
        const size_t fieldBytes = code + 1;
        if (pos + fieldBytes > compressed) return -1;
        size_t distance = 0;
        for (size_t k = 0; k < fieldBytes; ++k)
            distance |= static_cast<size_t>(in[pos + k]) << (8 * k);
        pos += fieldBytes;
        distance += 1;
        if (distance > o) return -1;
        if (length > outSize - o) return -1;
        const uint8_t* from = out + (o - distance);
        for (size_t k = 0; k < length; ++k) out[o + k] = from[k];
        o += length;
    }
    return o == outSize ? 0 : -1;
}

namespace {

constexpr int kHashBits = 17;
constexpr size_t kHashSize = size_t{1} << kHashBits;
constexpr size_t kWindow = size_t{1} << 18;  // distances searched (the format allows 16 MB)
constexpr int kChainDepth = 8;
constexpr size_t kGoodLength = 256;  // a match this long ends the search

uint32_t Hash4(const uint8_t* p) {
    uint32_t v;
    memcpy(&v, p, 4);
    return (v * 2654435761u) >> (32 - kHashBits);
}

struct LzWriter {
    uint8_t* out;
    size_t capacity;
    size_t used;
    bool Put(uint8_t b) {
        if (used >= capacity) return false;
        out[used++] = b;
        return true;
    }
};

size_t DistanceBytes(size_t field) {
    return field < 0x100 ? 1 : field < 0x10000 ? 2 : 3;
}

}  // namespace

size_t PvaLzWorkSize() {
    return (kHashSize + kWindow) * sizeof(int32_t);
}

size_t PvaLzEncode(const uint8_t* in, size_t size, uint8_t* out, size_t outCapacity, void* work) {
    if (size > 0xFFFFFFFFu || outCapacity < kPvaLzHeaderSize) return 0;
    int32_t* head = static_cast<int32_t*>(work);
    int32_t* chain = head + kHashSize;
    memset(head, 0xFF, kHashSize * sizeof(int32_t));  // every head -1: no position yet

    // The escape is the rarest byte, so that literal escapes cost least.
    size_t counts[256] = {};
    for (size_t i = 0; i < size; ++i) ++counts[in[i]];
    int escape = 0;
    for (int b = 1; b < 256; ++b) {
        if (counts[b] < counts[escape]) escape = b;
    }

    LzWriter w{out, outCapacity, kPvaLzHeaderSize};
    auto insert = [&](size_t at) {
        if (at + 4 > size) return;
        const uint32_t h = Hash4(in + at);
        chain[at & (kWindow - 1)] = head[h];
        head[h] = static_cast<int32_t>(at);
    };

    size_t i = 0;
    while (i < size) {
        size_t bestLength = 0, bestDistance = 0;
        if (i + 4 <= size) {
            const size_t limit = size - i < kPvaLzMaxLength ? size - i : kPvaLzMaxLength;
            int32_t candidate = head[Hash4(in + i)];
            for (int depth = 0; depth < kChainDepth && candidate >= 0; ++depth) {
                const size_t c = static_cast<size_t>(candidate);
                if (c >= i || i - c >= kWindow) break;
                if (in[c + bestLength] == in[i + bestLength] || bestLength == 0) {
                    size_t length = 0;
                    while (length < limit && in[c + length] == in[i + length]) ++length;
                    if (length > bestLength) {
                        bestLength = length;
                        bestDistance = i - c;
                        if (length == limit || length >= kGoodLength) break;
                    }
                }
                const int32_t next = chain[c & (kWindow - 1)];
                if (next >= candidate) break;
                candidate = next;
            }
        }
        if (bestLength >= 4) {
            const size_t field = bestDistance - 1;
            const size_t extra = bestLength - 4;
            const size_t cost = 2 + (extra > 31 ? 1 : 0) + DistanceBytes(field);
            if (bestLength <= cost) bestLength = 0;
        }
        if (bestLength >= 4) {
            const size_t field = bestDistance - 1;
            const size_t extra = bestLength - 4;
            const size_t fieldBytes = DistanceBytes(field);
            unsigned code = static_cast<unsigned>(((extra & 31) << 3) | (extra > 31 ? 4 : 0) |
                                                  (fieldBytes - 1));
            if (code >= static_cast<unsigned>(escape)) ++code;
            if (!w.Put(static_cast<uint8_t>(escape)) || !w.Put(static_cast<uint8_t>(code)))
                return 0;
            if (extra > 31 && !w.Put(static_cast<uint8_t>(extra >> 5))) return 0;
            for (size_t k = 0; k < fieldBytes; ++k) {
                if (!w.Put(static_cast<uint8_t>(field >> (8 * k)))) return 0;
            }
            for (size_t k = 0; k < bestLength; ++k) insert(i + k);
            i += bestLength;
            continue;
        }
        if (in[i] == escape) {
            if (!w.Put(static_cast<uint8_t>(escape)) || !w.Put(static_cast<uint8_t>(escape)))
                return 0;
        } else if (!w.Put(in[i])) {
            return 0;
        }
        insert(i);
        ++i;
    }
    Put32(out, static_cast<uint32_t>(size));
    Put32(out + 4, static_cast<uint32_t>(w.used));
    out[8] = static_cast<uint8_t>(escape);
    return w.used;
}
