// movement.h - the player's control of the falling piece.
#ifndef VORLANE_MATCH_MOVEMENT_H
#define VORLANE_MATCH_MOVEMENT_H

// Pad bits read by the rules (keyboard merged with the first pad).
constexpr int kPadDirections = 0xF000F;  // up/down/left/right and pad buttons 13..16
constexpr int kPadButtons = 0xF0;
constexpr int kButtonRotateNext = 0x10;
constexpr int kButtonRotatePrevious = 0x20;
constexpr int kButtonHardDrop = 0x40;
constexpr int kButtonHold = 0x80;

// Reads the pad once a frame and applies moves, rotations, hard drop and hold.
void ReadPlayInput();
// Moves the piece one cell: 1 down, 2 left, 4 right. True when the move was blocked
// (or the direction moves nothing). Never locks the piece.
bool MovePiece(int direction);
// Turns the piece to the next (0x10) or previous (0x20) shape, with kicks.
void RotatePiece(int button);
// Drops the piece straight down; byPlayer is false for the drop forced by the gauge.
void HardDrop(bool byPlayer);
// Fills ghostWell with the piece at the lowest row it can fall to.
void ComputeGhost();

#endif
