// tracked_alloc.cpp - the tracking allocator (see tracked_alloc.h).
//
// Owns: the block header in front of every block, the doubly linked list of live
// blocks hanging off a static anchor record, the running totals, the serial
// counter, the four trace switches (all 0 unless a test turns them on) and the
// dump format. Must not touch: the API lock (callers hold it) and any state of the
// log other than writing through LogString and LogBytes.
//
// Header layout (80 bytes on a 64-bit build, where the two links are pointers):
//   0  16  sourceFile  last 15 characters of the caller's text, zero-terminated
//  16   2  serial      allocation number, wraps after 65535
//  18   2  line        caller's line number
//  20   4  size        bytes requested
//  24   8  older       block allocated before (or the anchor)
//  32   8  newer       block allocated after (or none)
//  40  40  guardCopy   copy of bytes 0..39, renewed whenever the header changes
// The header size is a multiple of 16, so the memory after it keeps the heap's
// alignment.
#include "media/core/tracked_alloc.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "media/core/log.h"

namespace {

struct BlockHeader {
    char sourceFile[16];
    uint16_t serial;
    uint16_t line;
    uint32_t size;
    BlockHeader* older;
    BlockHeader* newer;
    unsigned char guardCopy[40];
};

constexpr size_t kGuarded = offsetof(BlockHeader, guardCopy);
static_assert(kGuarded == sizeof(BlockHeader::guardCopy), "the guard copies the fields before it");
static_assert(sizeof(BlockHeader) % 16 == 0, "blocks must stay 16-byte aligned");

// Larger requests cannot be described by the header's 32-bit signed size.
constexpr size_t kMaxBlock = 0x7FFFFFFFu - sizeof(BlockHeader);

struct AllocState {
    BlockHeader anchor;
    BlockHeader* newest;  // nullptr means the anchor (static state starts zeroed)
    size_t totalSize;
    int blockCount;
    uint16_t serialCounter;
    int traceSize;
    int traceAll;
    int printTotals;
    int checkEachTime;
};

AllocState g_alloc;

BlockHeader* Newest() {
    return g_alloc.newest ? g_alloc.newest : &g_alloc.anchor;
}

void RenewGuard(BlockHeader* h) {
    memcpy(h->guardCopy, h, kGuarded);
}

bool HeaderIntact(const BlockHeader* h) {
    return memcmp(h->guardCopy, h, kGuarded) == 0;
}

// Changes a neighbour's link. Its guard copy is renewed only when the header was
// intact before, so that linking or unlinking next to a damaged block does not
// hide the damage from CheckAllocations.
void SetNewer(BlockHeader* h, BlockHeader* newer) {
    bool intact = HeaderIntact(h);
    h->newer = newer;
    if (intact) RenewGuard(h);
}

void SetOlder(BlockHeader* h, BlockHeader* older) {
    bool intact = HeaderIntact(h);
    h->older = older;
    if (intact) RenewGuard(h);
}

BlockHeader* HeaderOf(void* memory) {
    return static_cast<BlockHeader*>(memory) - 1;
}

// Writes one block's dump line as one log entry.
void LogBlockLine(const BlockHeader* h) {
    char file[16];
    memcpy(file, h->sourceFile, sizeof file);
    file[15] = '\0';
    // When the header is damaged its size and its guard copy disagree; the smaller
    // one keeps the data preview inside the block.
    uint32_t guardSize = 0;
    memcpy(&guardSize, h->guardCopy + offsetof(BlockHeader, size), sizeof guardSize);
    uint32_t shown = h->size < guardSize ? h->size : guardSize;
    if (shown > 16) shown = 16;
    const unsigned char* data = reinterpret_cast<const unsigned char*>(h + 1);

    char text[160];
    snprintf(text, sizeof text, "\tsize:%d(%.3fkb)  file:%s  line:%d  ID:%d  data:<",
             static_cast<int>(h->size), h->size / 1024.0, file, static_cast<int>(h->line),
             static_cast<int>(h->serial));
    LogString(text);
    // The preview is the block's bytes, not text: it goes into the log unconverted (the
    // conversion would turn every byte from 0x80 up into '?'), control bytes as '.'.
    char preview[16];
    for (uint32_t i = 0; i < shown; ++i)
        preview[i] = data[i] < 0x20 ? '.' : static_cast<char>(data[i]);
    LogBytes(preview, shown);
    size_t pos = 0;
    text[pos++] = '>';
    text[pos++] = ' ';
    text[pos++] = '[';
    for (uint32_t i = 0; i < shown; ++i) {
        snprintf(text + pos, sizeof text - pos, "%02x ", data[i]);
        pos += 3;
    }
    // The last character (the blank after the last byte, or the '[' of an empty
    // block) becomes the closing bracket.
    text[pos - 1] = ']';
    text[pos++] = '\n';
    text[pos] = '\0';
    LogString(text);
}

void LogTotals() {
    char text[128];
    snprintf(text, sizeof text, "\tTotal size:%d(%.3fkb)  Alloc num:%d\n",
             static_cast<int>(g_alloc.totalSize), g_alloc.totalSize / 1024.0, g_alloc.blockCount);
    LogString(text);
}

bool Traced(uint32_t size) {
    return g_alloc.traceAll || g_alloc.traceSize < 0 ||
           static_cast<uint32_t>(g_alloc.traceSize) == size;
}

void ReportDamaged(const BlockHeader* h) {
    LogString("以下のメモリ確保情報が破損しました\n");
    LogBlockLine(h);
}

}  // namespace

void* TrackedAlloc(size_t size, const char* sourceFile, int line) {
    void* raw = size <= kMaxBlock ? malloc(size + sizeof(BlockHeader)) : nullptr;
    if (!raw) {
        DumpAllocations();
        return nullptr;
    }
    BlockHeader* h = static_cast<BlockHeader*>(raw);
    memset(h, 0, sizeof *h);
    if (sourceFile) {
        size_t len = strlen(sourceFile);
        const char* tail = len > 15 ? sourceFile + len - 15 : sourceFile;
        memcpy(h->sourceFile, tail, strlen(tail));
    }
    h->line = static_cast<uint16_t>(line);
    h->size = static_cast<uint32_t>(size);
    h->serial = g_alloc.serialCounter++;

    BlockHeader* previous = Newest();
    h->older = previous;
    h->newer = nullptr;
    SetNewer(previous, h);
    RenewGuard(h);
    g_alloc.newest = h;

    g_alloc.totalSize += size;
    ++g_alloc.blockCount;

    if (Traced(h->size)) {
        LogString("mem alloc  ");
        LogBlockLine(h);
    }
    if (g_alloc.printTotals) LogTotals();
    if (g_alloc.checkEachTime) CheckAllocations();
    return h + 1;
}

void* TrackedAllocZero(size_t size, const char* sourceFile, int line) {
    void* memory = TrackedAlloc(size, sourceFile, line);
    if (memory) memset(memory, 0, size);
    return memory;
}

void TrackedFree(void* memory) {
    if (!memory) return;
    BlockHeader* h = HeaderOf(memory);
    if (g_alloc.checkEachTime) CheckAllocations();
    // Unlinking through a damaged header would write to wherever its links point;
    // such a block is reported and left alone.
    if (!HeaderIntact(h) || !h->older || h->older->newer != h ||
        (h->newer ? h->newer->older != h : Newest() != h)) {
        ReportDamaged(h);
        return;
    }
    g_alloc.totalSize -= h->size;
    --g_alloc.blockCount;

    BlockHeader* older = h->older;
    BlockHeader* newer = h->newer;
    SetNewer(older, newer);
    if (newer) {
        SetOlder(newer, older);
    } else {
        g_alloc.newest = older == &g_alloc.anchor ? nullptr : older;
    }

    if (Traced(h->size)) {
        LogString("mem free  ");
        LogBlockLine(h);
    }
    if (g_alloc.printTotals) LogTotals();
    free(h);
}

int CheckAllocations() {
    int visited = 0;
    for (BlockHeader* h = Newest(); h && h != &g_alloc.anchor; h = h->older) {
        if (!HeaderIntact(h)) {
            ReportDamaged(h);
            return -1;
        }
        if (++visited >= g_alloc.blockCount) break;
    }
    return 0;
}

void DumpAllocations() {
    LogString("\n");
    LogString("Alloc memory dump");
    LogString("\n");
    int listed = 0;
    for (BlockHeader* h = Newest(); h && h != &g_alloc.anchor; h = h->older) {
        LogBlockLine(h);
        // The links of a damaged header cannot be followed, and the count of live
        // blocks bounds the walk.
        if (!HeaderIntact(h) || ++listed >= g_alloc.blockCount) break;
    }
    LogTotals();
    LogString("\n");
}

size_t TrackedTotalSize() {
    return g_alloc.totalSize;
}

int TrackedBlockCount() {
    return g_alloc.blockCount;
}

size_t TrackedHeaderBytes() {
    return sizeof(BlockHeader);
}

void TrackedSetTrace(int traceSize, int traceAll, int printTotals, int checkEachTime) {
    g_alloc.traceSize = traceSize;
    g_alloc.traceAll = traceAll;
    g_alloc.printTotals = printTotals;
    g_alloc.checkEachTime = checkEachTime;
}
