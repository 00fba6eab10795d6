// playfield_draw.h - drawing of the play screen during a round. The result scenes
// call DrawWells, DrawHud and DrawWellFrames to repeat the final picture of a round.
#ifndef VORLANE_MATCH_PLAYFIELD_DRAW_H
#define VORLANE_MATCH_PLAYFIELD_DRAW_H

// The local well and, in network play, the opponent's well.
void DrawWells();
// Next pieces, the panel for the kind of round and, in network play, the win markers.
void DrawHud();
// The frames of the two wells, drawn after the wells and the panel.
void DrawWellFrames();
// The fall gauge, value 0..263 (the piece is dropped for the player above 256).
void DrawFallGauge(int value);
// The combo bar, value 0..256 (frames used of the combo window).
void DrawComboBar(int value);

#endif
