// match_protocol.h - the per-frame message of a network round: the local well, queue,
// hold, attack lines and end flag out; the opponent's in.
//
// The message is 440 little-endian bytes without a header: end flag (int16), attack
// (uint16), the three next kinds and the hold kind (int32 each), then the 21 x 10
// playable cells of the well (int16 each, rows top to bottom). It travels as four
// sends of 2, 2, 16 and 420 bytes and is read as four receives of the same sizes.
#ifndef VORLANE_MATCH_MATCH_PROTOCOL_H
#define VORLANE_MATCH_MATCH_PROTOCOL_H

#include <stdint.h>

#include "match/match_state.h"

constexpr int kMatchMessageBytes = 440;

// The connection of the match (a network handle), -1 when there is none. Set by the
// network scene; read by the round loop and the versus result.
extern int netHandle;

// Sends one message: the three kinds of `queue`, `hold`, the playable cells of `well`,
// the end flag (1 when `endFlag` is 1, else 0) and `outgoingAttack`, which then
// returns to 0.
void SendMatchMessage(const int32_t queue[3], int32_t hold, const Well& well, int endFlag);
// The same with the local state: nextKinds, holdKind, well and gameOver as end flag.
void SendMatchMessage();

// Reads every whole message waiting on `netHandle` (pumping before each, as the round
// loop's read does): the last one decides opponentEnded and the opponent's queue, hold
// and well (opponentWellReceived); the attacks of all of them add to pendingGarbage.
// An incomplete message stays in the stream. Returns the number read.
int ReceiveMatchMessage();

// Applies one message held in memory (kMatchMessageBytes) to the match state, as
// ReceiveMatchMessage does with each message it reads. Received values are hostile:
// a kind outside 0..6 becomes -1, a cell outside 0..8 becomes CellWall (both are drawn
// as nothing), and pendingGarbage grows at most to the rows one lock can push in.
void ApplyMatchMessage(const uint8_t* message);

// True once a send or read on the match connection failed during the match: the
// opponent is gone. Cleared by ResetConnectionLost when a match starts.
bool MatchConnectionLost();
void ResetConnectionLost();
// In network play after the connection was lost: the "connection lost" message over
// the opponent's well. Called right after DrawWells (the round and the result scene).
void DrawConnectionLost();

#endif
