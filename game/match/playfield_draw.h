// playfield_draw.h - drawing of the play screen during a round.
#ifndef VORLANE_MATCH_PLAYFIELD_DRAW_H
#define VORLANE_MATCH_PLAYFIELD_DRAW_H

// The fall gauge, value 0..263 (the piece is dropped for the player above 256).
void DrawFallGauge(int value);
// The combo bar, value 0..256 (frames used of the combo window).
void DrawComboBar(int value);

#endif
