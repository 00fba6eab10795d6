// fuzz_net_framing - the frame reader and the receive ring on a hostile byte stream,
// cut at random points, read back the way programs read it.
//
// Input: 4 bytes of seed, then the stream as a peer would send it. The seed drives
// where the stream is cut into the pieces a socket might deliver and how the ring is
// read between pieces: all-or-nothing reads of any size, peeks, and the game's
// whole-message reads (2, 2, 16 and 420 bytes once 440 are waiting). A plain parse of
// the whole stream says which payload bytes must come out, in order, and whether the
// reader must stop on an oversized prefix; any difference aborts.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <initializer_list>

#include "media/net/net_frame.h"
#include "media/net/net_ring.h"

namespace {

// Payload bytes never outnumber the input bytes (-max_len at most).
constexpr size_t kMaxBytes = 1 << 20;
uint8_t g_expected[kMaxBytes];
uint8_t g_peeked[kMaxBytes];
uint8_t g_taken[kMaxBytes];
size_t g_expectedSize;
size_t g_gotSize;  // bytes taken out of the ring so far, compared as they come

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

struct Rng {
    uint32_t state;
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

void Check(bool ok) {
    if (!ok) abort();
}

// Takes `n` bytes as NetWorkRecv does: all of them, or nothing when fewer wait.
void Take(NetRing* ring, int n) {
    const int before = ring->count;
    if (n < 0 || before < n) return;  // the caller gets -1; the ring stays as it is
    NetRingPeek(ring, g_peeked, n);
    Check(ring->count == before);
    NetRingPeek(ring, g_taken, n);
    NetRingDrop(ring, n);
    Check(ring->count == before - n && memcmp(g_peeked, g_taken, size_t(n)) == 0);
    Check(g_gotSize + size_t(n) <= g_expectedSize);
    Check(memcmp(g_taken, g_expected + g_gotSize, size_t(n)) == 0);
    g_gotSize += size_t(n);
}

void ReadSome(NetRing* ring, Rng* rng) {
    switch (rng->Next() % 4) {
        case 0:
            break;
        case 1:
            while (ring->count >= 440)
                for (int piece : {2, 2, 16, 420}) Take(ring, piece);
            break;
        default:
            for (int i = int(rng->Next() % 4); i >= 0; --i) Take(ring, int(rng->Next() % 2000));
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4 || size > kMaxBytes) return 0;
    Rng rng = {Le32(data) | 1u};
    data += 4;
    size -= 4;

    g_expectedSize = 0;
    g_gotSize = 0;
    bool expectTooLong = false;
    uint32_t badLength = 0;
    for (size_t at = 0; at + 4 <= size;) {
        uint32_t n = Le32(data + at);
        at += 4;
        if (n > kNetFrameMaxPayload) {
            expectTooLong = true;
            badLength = n;
            break;
        }
        size_t take = n < size - at ? n : size - at;
        memcpy(g_expected + g_expectedSize, data + at, take);
        g_expectedSize += take;
        at += take;
    }

    NetFrameReader reader = {};
    NetRing ring = {};
    bool tooLong = false;
    for (size_t fed = 0; fed < size && !tooLong;) {
        size_t piece = 1 + rng.Next() % (rng.Next() % 8 == 0 ? 4 : 700);
        if (piece > size - fed) piece = size - fed;
        uint32_t length = 0;
        int64_t tried = 0;
        NetFrameResult r = NetFrameFeed(&reader, &ring, data + fed, piece, &length, &tried);
        Check(r == NET_FRAME_OK || r == NET_FRAME_TOO_LONG);
        if (r == NET_FRAME_TOO_LONG) {
            tooLong = true;
            Check(length == badLength);
        }
        Check(ring.count >= 0 && ring.count <= ring.capacity && ring.capacity <= kNetRingCapBytes);
        fed += piece;
        ReadSome(&ring, &rng);
    }
    Take(&ring, ring.count);
    Check(tooLong == expectTooLong);
    Check(g_gotSize == g_expectedSize);
    NetRingFree(&ring);
    return 0;
}
