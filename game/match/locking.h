// locking.h - the lock that follows every drop, and the removal of full rows.
#ifndef VORLANE_MATCH_LOCKING_H
#define VORLANE_MATCH_LOCKING_H

// Settles the dropped piece: clears rows, scores the drop, pushes in rows, spawns the
// next piece. Called by the round loop after a frame that raised `lockPending`.
void LockPiece();
// Removes every full row, raises the combo and earns attack lines; returns the
// number of rows removed (0..4).
int ClearLines();

#endif
