// tracked_alloc.h - the tracking allocator every internal allocation of the library
// goes through.
//
// Owns: the 64-byte block header before each block (source file, serial, line,
// size, links, guard copy), the list of live blocks, the totals and trace switches,
// the corruption check and the "Alloc memory dump" written at shutdown. Callers
// hold the API lock; the allocator has no lock of its own.
#ifndef PAVEX_CORE_TRACKED_ALLOC_H
#define PAVEX_CORE_TRACKED_ALLOC_H

#include <stddef.h>

void* TrackedAlloc(size_t size, const char* sourceFile, int line);
void* TrackedAllocZero(size_t size, const char* sourceFile, int line);
void TrackedFree(void* memory);  // NULL is ignored
int CheckAllocations();          // 0, or -1 after logging the first damaged block
void DumpAllocations();          // writes every live block to the log
size_t TrackedTotalSize();
int TrackedBlockCount();
// The four debugging switches (all 0 in the program): traceSize < 0 logs every
// allocation and free, traceSize >= 0 those of exactly that size; traceAll logs
// all; printTotals logs the totals after each; checkEachTime runs CheckAllocations.
// Bytes of the header in front of every block (64, or 80 with 64-bit links).
size_t TrackedHeaderBytes();
void TrackedSetTrace(int traceSize, int traceAll, int printTotals, int checkEachTime);

#define PAVEX_ALLOC(size) TrackedAlloc((size), __FILE__, __LINE__)
#define PAVEX_ALLOC_ZERO(size) TrackedAllocZero((size), __FILE__, __LINE__)

#endif
