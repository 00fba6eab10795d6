// fuzz_net_framing - the frame reader, the receive ring and the match message reader
// on a hostile byte stream, cut at random points, read back the way programs read it.
//
// Input: 4 bytes of seed, then the stream as a peer would send it. The seed drives
// where the stream is cut into the pieces a socket might deliver and how the ring is
// read between pieces: all-or-nothing reads of any size, or the game's reads of every
// whole message waiting (2, 2, 16 and 420 bytes once 440 wait) into the match state.
// A plain parse of the whole stream says which payload bytes must come out, in order,
// and whether the reader must stop on an oversized prefix. Whatever the bytes, the
// match state must stay drawable (kinds -1..6, cells 0..9, pending rows 0..5) and the
// last message read decides the end flag. Any difference aborts.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <initializer_list>

#include "match/match_protocol.h"
#include "match/match_state.h"
#include "media/net/net_frame.h"
#include "media/net/net_ring.h"

namespace {

constexpr size_t kMaxBytes = 1 << 20;  // payload never outgrows the input (-max_len)
uint8_t g_expected[kMaxBytes], g_taken[kMaxBytes];
size_t g_expectedSize, g_gotSize;
uint32_t g_random;

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint32_t Random() {  // xorshift32
    g_random ^= g_random << 13;
    g_random ^= g_random >> 17;
    return g_random ^= g_random << 5;
}
void Check(bool ok) {
    if (!ok) abort();
}

// Takes n bytes into `to` as NetWorkRecv does: all of them, or nothing when fewer
// wait; a peek first (NetWorkRecvToPeek) must leave the ring as it was.
void Take(NetRing* ring, int n, uint8_t* to = g_taken) {
    const int before = ring->count;
    if (before < n) return;
    NetRingPeek(ring, to, n);
    Check(ring->count == before && g_gotSize + size_t(n) <= g_expectedSize);
    Check(memcmp(to, g_expected + g_gotSize, size_t(n)) == 0);
    NetRingDrop(ring, n);
    g_gotSize += size_t(n);
}

// Every whole message waiting, as ReceiveMatchMessage takes them.
void ReadMessages(NetRing* ring) {
    uint8_t message[kMatchMessageBytes];
    while (ring->count >= kMatchMessageBytes) {
        int at = 0;
        for (int n : {2, 2, 16, 420}) Take(ring, n, message + at), at += n;
        ApplyMatchMessage(message);
        Check(match.opponentEnded == (message[0] != 0 || message[1] != 0));
        for (int k : match.opponentNextKinds) Check(k >= -1 && k < kKindCount);
        Check(match.opponentHoldKind >= -1 && match.opponentHoldKind < kKindCount);
        Check(match.pendingGarbage >= 0 && match.pendingGarbage <= 5);
        for (auto& row : match.opponentWellReceived)
            for (int16_t cell : row) Check(cell >= CellEmpty && cell <= CellWall);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4 || size > kMaxBytes) return 0;
    g_random = Le32(data) | 1u;
    data += 4;
    size -= 4;
    g_expectedSize = g_gotSize = 0;
    uint32_t badLength = 0;
    for (size_t at = 0; at + 4 <= size && badLength == 0;) {
        const uint32_t n = Le32(data + at);
        at += 4;
        if (n > kNetFrameMaxPayload) badLength = n;
        const size_t take = badLength ? 0 : n < size - at ? n : size - at;
        memcpy(g_expected + g_expectedSize, data + at, take);
        g_expectedSize += take;
        at += take;
    }
    match = MatchState{};
    match.pendingGarbage = int32_t(Random() % 6);

    NetFrameReader reader = {};
    NetRing ring = {};
    uint32_t length = 0;
    NetFrameResult r = NET_FRAME_OK;
    for (size_t fed = 0; fed < size && r == NET_FRAME_OK;) {
        size_t piece = 1 + Random() % (Random() % 8 == 0 ? 4 : 700);
        if (piece > size - fed) piece = size - fed;
        int64_t tried = 0;
        r = NetFrameFeed(&reader, &ring, data + fed, piece, &length, &tried);
        Check(ring.count <= ring.capacity && ring.capacity <= kNetRingCapBytes);
        fed += piece;
        if (Random() % 2)
            ReadMessages(&ring);
        else
            for (int i = int(Random() % 4); i >= 0; --i) Take(&ring, int(Random() % 2000));
    }
    Take(&ring, ring.count);
    Check(r == (badLength ? NET_FRAME_TOO_LONG : NET_FRAME_OK) &&
          (!badLength || length == badLength));
    Check(g_gotSize == g_expectedSize);
    NetRingFree(&ring);
    return 0;
}
