// playfield_draw.cpp - drawing of the wells, gauges and panels of the play screen.
//
// Owns the pictures placed on the play screen and the display counters of the
// gauges. It reads the match state and must never change a rule field.
//
// NOT YET BUILT: the drawing of the play screen is open work of the game issue; until
// it lands these draw nothing.
#include "match/playfield_draw.h"

void DrawWells() {}
void DrawHud() {}
void DrawWellFrames() {}
void DrawFallGauge(int) {}
void DrawComboBar(int) {}
