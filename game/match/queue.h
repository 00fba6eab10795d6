// queue.h - piece generation, the next queue and the hold slot.
#ifndef VORLANE_MATCH_QUEUE_H
#define VORLANE_MATCH_QUEUE_H

// Fills the three next kinds at the start of a round, reseeding for each slot.
void FillQueue();
// Makes nextKinds[0] the falling piece at the spawn place and draws a new last kind.
void SpawnPiece();
// Swaps the falling piece with the hold slot (the first hold takes the next kind).
// False, with nothing changed, when the incoming piece would overlap the stack.
bool HoldPiece();

#endif
