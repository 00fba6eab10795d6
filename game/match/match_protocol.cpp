// match_protocol.cpp - the per-frame network message.
//
// NOT YET BUILT: the match protocol is open work of the network issue; until it lands
// nothing is sent or read.
#include "match/match_protocol.h"

void SendMatchMessage() {}
void ReceiveMatchMessage() {}
