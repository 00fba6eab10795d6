// fuzz_match_message - the opponent's messages as a hostile peer might send them.
//
// Input: 4 bytes of seed, then the wire as a peer sends it (length-prefixed frames).
// The seed cuts the wire into the pieces a socket might deliver; after each piece the
// frame reader feeds the receive ring and the game takes every whole 440-byte message
// waiting, in four reads of 2, 2, 16 and 420 bytes, into the match state. Whatever the
// bytes, the state must stay drawable: kinds -1..6, cells 0..9, pending rows 0..5, and
// the last message read decides the end flag; no partial message is ever taken.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "match/match_protocol.h"
#include "match/match_state.h"
#include "media/net/net_frame.h"
#include "media/net/net_ring.h"

namespace {

uint32_t g_random;

uint32_t Random() {  // xorshift32
    g_random ^= g_random << 13;
    g_random ^= g_random >> 17;
    return g_random ^= g_random << 5;
}

void Check(bool ok) {
    if (!ok) abort();
}

void CheckState() {
    for (int k : match.opponentNextKinds) Check(k >= -1 && k < kKindCount);
    Check(match.opponentHoldKind >= -1 && match.opponentHoldKind < kKindCount);
    Check(match.pendingGarbage >= 0 && match.pendingGarbage <= 5);
    for (auto& row : match.opponentWellReceived)
        for (int16_t cell : row) Check(cell >= CellEmpty && cell <= CellWall);
}

// Every whole message waiting, as ReceiveMatchMessage takes them.
void ReadMessages(NetRing* ring) {
    static const int kSizes[4] = {2, 2, 16, 420};
    uint8_t message[kMatchMessageBytes];
    while (ring->count >= kMatchMessageBytes) {
        int at = 0;
        for (int size : kSizes) {
            NetRingPeek(ring, message + at, size);
            NetRingDrop(ring, size);
            at += size;
        }
        ApplyMatchMessage(message);
        Check(match.opponentEnded == (message[0] != 0 || message[1] != 0));
        CheckState();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4 || size > (1u << 20)) return 0;
    memcpy(&g_random, data, 4);
    g_random |= 1u;
    data += 4;
    size -= 4;
    match = MatchState{};
    match.pendingGarbage = int32_t(Random() % 6);

    NetFrameReader reader = {};
    NetRing ring = {};
    NetFrameResult result = NET_FRAME_OK;
    for (size_t fed = 0; fed < size && result == NET_FRAME_OK;) {
        size_t piece = 1 + Random() % (Random() % 4 == 0 ? 8 : 900);
        if (piece > size - fed) piece = size - fed;
        uint32_t length = 0;
        int64_t tried = 0;
        result = NetFrameFeed(&reader, &ring, data + fed, piece, &length, &tried);
        fed += piece;
        const int before = ring.count;
        ReadMessages(&ring);
        Check(ring.count == before % kMatchMessageBytes);
    }
    NetRingFree(&ring);
    return 0;
}
