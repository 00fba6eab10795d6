// net_ring.h - the byte ring of a connection, one for each direction.
//
// Owns: growing, filling and emptying one ring. A ring starts empty with capacity 0
// and grows on demand: to make room for n more bytes when count + n passes the
// capacity, it moves into a new block of count + n + 1000 bytes (held bytes copied
// to its start), so a steady stream of equal messages stops allocating after the
// first few. It never shrinks while its connection lives, and never holds more than
// kNetRingCapBytes: a peer that sends without end, or one that stops reading, cannot
// make the library allocate without bound. An index equal to the capacity counts as
// 0. Memory comes from the tracking allocator, so callers hold the API lock. Writes
// nothing to the log: the connection decides what a failure means.
#ifndef PAVEX_NET_NET_RING_H
#define PAVEX_NET_NET_RING_H

#include <stdint.h>

constexpr int kNetRingCapBytes = 4 << 20;
constexpr int kNetRingGrowthSlack = 1000;

struct NetRing {
    uint8_t* data;
    int read;      // index of the oldest byte
    int write;     // index where the next byte goes
    int count;     // bytes held
    int capacity;  // bytes the block holds
};

// Makes room for n more bytes: 0, or -1 when count + n would pass the cap or the
// memory cannot be had. On -1 the ring is emptied and its block freed (its stream
// cannot be kept whole), and *triedSize is the block size that was wanted.
int NetRingReserve(NetRing* ring, int64_t n, int64_t* triedSize);
// Reserve, then copy n bytes in behind the held ones: 0, or -1 as NetRingReserve.
int NetRingPush(NetRing* ring, const void* bytes, int n, int64_t* triedSize);
// Copies the n oldest bytes out (n <= count) without removing them.
void NetRingPeek(const NetRing* ring, void* out, int n);
// Removes the n oldest bytes (n <= count).
void NetRingDrop(NetRing* ring, int n);
// The free bytes that follow the write index without a wrap: where received bytes
// go. *room is 0 when the ring is full.
uint8_t* NetRingWriteSpan(NetRing* ring, int* room);
// Counts n bytes written at the write span as held.
void NetRingCommit(NetRing* ring, int n);
// Up to `limit` of the oldest bytes as at most two pieces (the second one after the
// wrap); sizes are 0 for missing pieces.
void NetRingReadSpans(const NetRing* ring, int limit, const uint8_t** first, int* firstSize,
                      const uint8_t** second, int* secondSize);
// Frees the block; the ring is empty with capacity 0 again.
void NetRingFree(NetRing* ring);

#endif
