// playfield_draw.cpp - drawing of the wells, gauges and panels of the play screen.
//
// Owns the pictures placed on the play screen and the display counters of the
// gauges. It reads the match state and must never change a rule field.
#include "match/playfield_draw.h"

// Filled by the drawing units together with the play-screen pictures they place.
void DrawFallGauge(int) {}
void DrawComboBar(int) {}
