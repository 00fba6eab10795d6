// pieces.h - the seven piece shapes and the mapping of pad bits to a direction.
#ifndef VORLANE_MATCH_PIECES_H
#define VORLANE_MATCH_PIECES_H

#include <stdint.h>

#include "match/match_state.h"

// Steps of LoadShape.
constexpr int kShapePrevious = 0;
constexpr int kShapeNext = 1;
constexpr int kShapeSame = -1;

// Copies the shape of `kind` at the rotation reached by `step` from `rotation`
// (0 previous, 1 next, anything else the same) into `matrix`; returns that rotation.
// A kind outside 0..6 gives an empty matrix.
int LoadShape(PieceMatrix& matrix, int step, int kind, int rotation);

// Direction codes of MapDirection and MovePiece.
constexpr int kDirDown = 1;
constexpr int kDirLeft = 2;
constexpr int kDirRight = 4;
constexpr int kDirUp = 8;

// One direction code from the pad bits: the four direction bits as they are, or
// pad buttons 13..16 read as a second set of directions.
int MapDirection(int pad);

#endif
