// net_frame.h - the length-prefixed frames between two peers of this library.
//
// Owns: the wire format and the reader that strips it. On the wire a connection
// carries frames, each a 4-byte little-endian payload length followed by that many
// payload bytes; the receiver appends the payloads in order to its receive ring, so
// the program sees one byte stream and frame boundaries mean nothing to it. The
// reader works on bytes in memory (whatever the socket gave, cut anywhere), keeps a
// partly received prefix between calls, and treats the lengths as hostile: a length
// above kNetFrameMaxPayload is refused before anything is allocated. Must not touch:
// sockets and the log.
#ifndef PAVEX_NET_NET_FRAME_H
#define PAVEX_NET_NET_FRAME_H

#include <stddef.h>
#include <stdint.h>

#include "media/net/net_ring.h"

constexpr int kNetFramePrefixBytes = 4;
// A sender never makes a longer frame; a longer prefix is a broken or hostile peer.
constexpr uint32_t kNetFrameMaxPayload = 1u << 20;

struct NetFrameReader {
    uint8_t prefix[kNetFramePrefixBytes];
    int prefixHave;      // bytes of the next prefix received so far
    uint32_t length;     // payload length of the current (or last) frame
    uint32_t remainder;  // payload bytes of the current frame still to come
};

enum NetFrameResult {
    NET_FRAME_OK = 0,
    NET_FRAME_TOO_LONG = -1,  // a prefix above kNetFrameMaxPayload
    NET_FRAME_NO_ROOM = -2,   // the ring could not grow for a frame (it is emptied)
};

// Takes all `size` bytes: prefixes are stripped and payload bytes appended to
// `ring`, which grows as payload bytes come in. On a failure the rest of the bytes
// is left unused, *length is the frame's length and *triedSize the ring size that
// was wanted (NO_ROOM); the reader must not be used again.
NetFrameResult NetFrameFeed(NetFrameReader* reader, NetRing* ring, const uint8_t* data, size_t size,
                            uint32_t* length, int64_t* triedSize);

// 1 while a frame has been started but not wholly received.
inline int NetFramePartial(const NetFrameReader* reader) {
    return reader->prefixHave > 0 || reader->remainder > 0;
}

inline void NetFramePutLength(uint8_t out[kNetFramePrefixBytes], uint32_t length) {
    for (int i = 0; i < kNetFramePrefixBytes; ++i) out[i] = uint8_t(length >> (8 * i));
}

#endif
