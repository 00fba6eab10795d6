// net_frame.cpp - the reader that strips the length prefixes of the incoming stream
// (see net_frame.h). Touches nothing but the reader and the ring it is given.
#include "media/net/net_frame.h"

#include <string.h>

NetFrameResult NetFrameFeed(NetFrameReader* f, NetRing* ring, const uint8_t* data, size_t size,
                            uint32_t* length, int64_t* triedSize) {
    size_t at = 0;
    while (at < size) {
        if (f->remainder == 0) {
            size_t take = size_t(kNetFramePrefixBytes - f->prefixHave);
            if (take > size - at) take = size - at;
            memcpy(f->prefix + f->prefixHave, data + at, take);
            f->prefixHave += int(take);
            at += take;
            if (f->prefixHave < kNetFramePrefixBytes) break;
            f->prefixHave = 0;
            uint32_t n = 0;
            for (int i = 0; i < kNetFramePrefixBytes; ++i) n |= uint32_t(f->prefix[i]) << (8 * i);
            f->length = n;
            if (length) *length = n;
            if (n > kNetFrameMaxPayload) return NET_FRAME_TOO_LONG;
            f->remainder = n;
            continue;
        }
        // The ring grows for the payload bytes in hand, not for the length the
        // prefix claims: four bytes from a peer never cost a megabyte.
        size_t take = f->remainder;
        if (take > size - at) take = size - at;
        if (NetRingReserve(ring, int64_t(take), triedSize) != 0) {
            if (length) *length = f->length;
            return NET_FRAME_NO_ROOM;
        }
        while (take > 0) {
            int room = 0;
            uint8_t* to = NetRingWriteSpan(ring, &room);
            if (room <= 0) return NET_FRAME_NO_ROOM;  // cannot happen after the reserve
            size_t piece = take < size_t(room) ? take : size_t(room);
            memcpy(to, data + at, piece);
            NetRingCommit(ring, int(piece));
            at += piece;
            take -= piece;
            f->remainder -= uint32_t(piece);
        }
    }
    return NET_FRAME_OK;
}
