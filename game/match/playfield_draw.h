// playfield_draw.h - drawing of the play screen during a round. The result scenes
// call DrawWells, DrawHud and DrawWellFrames to repeat the final picture of a round.
#ifndef VORLANE_MATCH_PLAYFIELD_DRAW_H
#define VORLANE_MATCH_PLAYFIELD_DRAW_H

// Composes the round's backdrop (its background, both wells empty, the still labels
// of the panel and the well frames when their picture allows it) for the background,
// grid setting and kind of round in force; call it when a round's background is chosen.
void PreparePlayBackdrop();
// The background of a play-screen frame: the backdrop when the wells allow it (true),
// otherwise the round's background picture (false).
bool DrawPlayBackground();
// The local well and the opponent's well (all empty outside network play); over the
// backdrop, the empty playable cells it holds are left as they are.
void DrawWells(bool overBackdrop = false);
// The landing-point picture of the falling piece over the local well.
void DrawGhost();
// The local hold piece and, in network play, the opponent's.
void DrawHoldPieces();
// Next pieces, the panel for the kind of round (it runs the blink of the level after
// a level-up) and, in network play, the win markers; over the backdrop, the labels it
// holds are left as they are.
void DrawHud(bool overBackdrop = false);
// The next pieces of the player and, in network play, of the opponent.
void DrawNextPieces();
// The win markers of a network match, filled from the bottom; counts above 3 show 3.
void DrawWinMarkers(int own, int opponent);
// The frames of the two wells, drawn after the wells and the panel; over a backdrop
// that holds them, only their top row and the local frame's left column, where the
// pieces, the hold labels and the fall gauge reach under them.
void DrawWellFrames(bool overBackdrop = false);
// The fall gauge, value 0..263 (the piece is dropped for the player above 256).
void DrawFallGauge(int value);
// The combo bar, value 0..256 (frames used of the combo window).
void DrawComboBar(int value);
// Kind 0: "Ready" frame `frame` (0..15); 1: the game-clear banner; 2: the game-over
// banner. Anything else draws nothing.
void DrawRoundBanner(int kind, int frame);
// Frame 0..15 of the "Ready" animation at (100, 308).
void DrawReadyFrame(int frame);

#endif
