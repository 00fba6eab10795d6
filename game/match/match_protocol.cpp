// match_protocol.cpp - the per-frame network message of a versus round.
//
// Owns: the match connection handle, the layout of the 440-byte message, and what
// reaches the match state from the opponent (opponentEnded, pendingGarbage, the
// opponent's queue, hold and well). Must not touch the local rules fields except
// outgoingAttack, which a sent message carries away. Nothing here allocates: the
// message buffers are static, so sending and reading fit a frame of the round.
//
// Everything a peer sends is hostile. A message is taken only whole (440 bytes
// waiting), so the stream keeps its alignment; kinds and cells outside their ranges
// are stored as values that draw nothing; the attack field cannot push
// pendingGarbage past what one lock uses, whatever a peer claims; and one read takes
// at most the messages that were waiting when it began, so a peer that floods the
// connection cannot hold a frame in the read loop.
#include "match/match_protocol.h"

#include <string.h>

#include "match/attack.h"
#include "pavex.h"

int netHandle = -1;

namespace {

constexpr int kFieldSizes[4] = {2, 2, 16, 420};
constexpr int kLostCell = 2;  // cell of the connection pictures: "connection lost"

uint8_t g_out[kMatchMessageBytes];
uint8_t g_in[kMatchMessageBytes];

struct LostOverlay {
    bool lost;        // a send or read failed during this match
    int picture[3];   // the connection pictures, loaded when first needed
    bool loadFailed;  // the file is missing: do not try again every frame
} g_lost = {false, {-1, -1, -1}, false};

void Put16(uint8_t* at, int value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}
void Put32(uint8_t* at, int32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}
int Get16(const uint8_t* at) {
    return at[0] | at[1] << 8;
}
int32_t Get32(const uint8_t* at) {
    return static_cast<int32_t>(uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 |
                                uint32_t(at[3]) << 24);
}

int32_t KindOrNone(int32_t kind) {
    return kind >= 0 && kind < kKindCount ? kind : -1;
}

void MarkLostInMatch() {
    if (match.netMode == 1) g_lost.lost = true;
}

}  // namespace

void SendMatchMessage(const int32_t queue[3], int32_t hold, const Well& well, int endFlag) {
    Put16(g_out, endFlag == 1 ? 1 : 0);
    Put16(g_out + 2, match.outgoingAttack);
    for (int i = 0; i < 3; ++i) Put32(g_out + 4 + 4 * i, queue[i]);
    Put32(g_out + 16, hold);
    uint8_t* cell = g_out + 20;
    for (int r = 0; r <= kLastPlayRow; ++r)
        for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c, cell += 2)
            Put16(cell, well[r][c]);
    // Four sends as the stream is defined; the library carries them in one segment.
    int at = 0, failed = 0;
    for (int size : kFieldSizes) {
        failed |= NetWorkSend(netHandle, g_out + at, size) != 0;
        at += size;
    }
    if (failed) MarkLostInMatch();
    match.outgoingAttack = 0;
}

void SendMatchMessage() {
    SendMatchMessage(match.nextKinds, match.holdKind, match.well, match.gameOver ? 1 : 0);
}

void ApplyMatchMessage(const uint8_t* message) {
    match.opponentEnded = Get16(message) != 0;
    // One lock pushes in at most kMaxRowsPushedIn rows and forgets the rest, so more
    // pending rows than that are never used; the cap also keeps the sum from
    // overflowing whatever the peer claims.
    const int attack = Get16(message + 2);
    if (attack > 0) {
        const int32_t pending = match.pendingGarbage < 0 ? 0 : match.pendingGarbage;
        match.pendingGarbage =
            pending + attack > kMaxRowsPushedIn ? kMaxRowsPushedIn : pending + attack;
    }
    for (int i = 0; i < 3; ++i) match.opponentNextKinds[i] = KindOrNone(Get32(message + 4 + 4 * i));
    match.opponentHoldKind = KindOrNone(Get32(message + 16));
    const uint8_t* cell = message + 20;
    for (int r = 0; r < kPlayRows; ++r) {
        for (int c = 0; c < kPlayColumns; ++c, cell += 2) {
            const int v = static_cast<int16_t>(Get16(cell));
            match.opponentWellReceived[r][c] =
                static_cast<int16_t>(v >= CellEmpty && v <= CellGarbage ? v : CellWall);
        }
    }
}

int ReceiveMatchMessage() {
    const int waiting = GetNetWorkDataLength(netHandle);
    if (waiting < 0) {
        MarkLostInMatch();
        return 0;
    }
    const int limit = waiting / kMatchMessageBytes;
    int read = 0;
    while (read < limit && (read == 0 || GetNetWorkDataLength(netHandle) >= kMatchMessageBytes)) {
        PumpNetWorkMessages(0);
        int at = 0;
        bool whole = true;
        for (int size : kFieldSizes) {
            whole = whole && NetWorkRecv(netHandle, g_in + at, size) == 0;
            at += size;
        }
        if (!whole) {  // the connection failed under the read: nothing half applied
            MarkLostInMatch();
            break;
        }
        ApplyMatchMessage(g_in);
        ++read;
    }
    return read;
}

bool MatchConnectionLost() {
    return g_lost.lost;
}

void ResetConnectionLost() {
    g_lost.lost = false;
    g_lost.loadFailed = false;
}

void DrawConnectionLost() {
    if (match.netMode != 1 || !g_lost.lost) return;
    // The picture belongs to the menu set, which a round does not load; it is loaded
    // once when the loss is first shown, and again after the result scene released it.
    constexpr int kX1 = 516, kX2 = 756, kY = 311, kHeight = 20;
    if (DrawImageStretched(kX1, kY, kX2, kY + kHeight, g_lost.picture[kLostCell], 1) == 0) return;
    if (g_lost.loadFailed) return;
    if (LoadImageDivided("./data/image/config/Connection.png", 3, 1, 3, 384, 32, g_lost.picture) !=
        0) {
        g_lost.loadFailed = true;
        return;
    }
    DrawImageStretched(kX1, kY, kX2, kY + kHeight, g_lost.picture[kLostCell], 1);
}
