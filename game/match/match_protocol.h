// match_protocol.h - the per-frame message of a network round: the local well, queue,
// hold, attack lines and end flag out; the opponent's in.
#ifndef VORLANE_MATCH_MATCH_PROTOCOL_H
#define VORLANE_MATCH_MATCH_PROTOCOL_H

// Sends this frame's message to the opponent.
void SendMatchMessage();
// Reads every complete message waiting from the opponent into the match state.
void ReceiveMatchMessage();

#endif
