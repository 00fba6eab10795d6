// net_ring.cpp - the growing, capped byte ring of a connection (see net_ring.h).
//
// Owns: the ring's block and indices. Must not touch: the connection records, the
// sockets and the log.
#include "media/net/net_ring.h"

#include <string.h>

#include "media/core/tracked_alloc.h"

namespace {

int Wrap(const NetRing* r, int index) {
    return index >= r->capacity ? index - r->capacity : index;
}

}  // namespace

int NetRingReserve(NetRing* r, int64_t n, int64_t* triedSize) {
    if (n < 0) n = 0;
    const int64_t need = static_cast<int64_t>(r->count) + n;
    if (need <= r->capacity) return 0;
    int64_t size = need + kNetRingGrowthSlack;
    if (size > kNetRingCapBytes && need <= kNetRingCapBytes) size = kNetRingCapBytes;
    if (triedSize) *triedSize = size;
    uint8_t* block =
        need > kNetRingCapBytes ? nullptr : static_cast<uint8_t*>(PAVEX_ALLOC(size_t(size)));
    if (!block) {
        NetRingFree(r);
        return -1;
    }
    if (r->count > 0) NetRingPeek(r, block, r->count);
    TrackedFree(r->data);
    r->data = block;
    r->capacity = static_cast<int>(size);
    r->read = 0;
    r->write = Wrap(r, r->count);
    return 0;
}

int NetRingPush(NetRing* r, const void* bytes, int n, int64_t* triedSize) {
    if (n <= 0) return n == 0 ? 0 : -1;
    if (NetRingReserve(r, n, triedSize) != 0) return -1;
    const uint8_t* in = static_cast<const uint8_t*>(bytes);
    int first = r->capacity - r->write;
    if (first > n) first = n;
    memcpy(r->data + r->write, in, size_t(first));
    memcpy(r->data, in + first, size_t(n - first));
    r->write = Wrap(r, r->write + n);
    r->count += n;
    return 0;
}

void NetRingPeek(const NetRing* r, void* out, int n) {
    const uint8_t *a, *b;
    int aSize, bSize;
    NetRingReadSpans(r, n, &a, &aSize, &b, &bSize);
    if (aSize > 0) memcpy(out, a, size_t(aSize));
    if (bSize > 0) memcpy(static_cast<uint8_t*>(out) + aSize, b, size_t(bSize));
}

void NetRingDrop(NetRing* r, int n) {
    if (n <= 0) return;
    if (n > r->count) n = r->count;
    r->read = Wrap(r, r->read + n);
    r->count -= n;
    if (r->count == 0) r->read = r->write = 0;  // the next receive gets the whole block
}

uint8_t* NetRingWriteSpan(NetRing* r, int* room) {
    *room = 0;
    if (r->count >= r->capacity) return nullptr;
    const int write = Wrap(r, r->write);
    *room = write >= r->read && !(write == r->read && r->count > 0) ? r->capacity - write
                                                                    : r->read - write;
    return r->data + write;
}

void NetRingCommit(NetRing* r, int n) {
    if (n <= 0) return;
    r->write = Wrap(r, r->write + n);
    r->count += n;
}

void NetRingReadSpans(const NetRing* r, int limit, const uint8_t** first, int* firstSize,
                      const uint8_t** second, int* secondSize) {
    int n = limit < r->count ? limit : r->count;
    if (n < 0) n = 0;
    const int read = Wrap(r, r->read);
    int head = r->capacity - read;
    if (head > n) head = n;
    *first = r->data ? r->data + read : nullptr;
    *firstSize = head;
    *second = r->data;
    *secondSize = n - head;
}

void NetRingFree(NetRing* r) {
    TrackedFree(r->data);
    *r = NetRing{nullptr, 0, 0, 0, 0};
}
