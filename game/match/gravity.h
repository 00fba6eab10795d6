// gravity.h - gravity and the fall gauge.
#ifndef VORLANE_MATCH_GRAVITY_H
#define VORLANE_MATCH_GRAVITY_H

// Gravity by elapsed time, levels 1 to 24; begins by erasing the piece.
void ApplyGravity();
// Levels 25 to 30: the piece falls straight to its landing row in one frame.
void ApplyInstantGravity();
// Raises the fall gauge by the level's step and forces the drop when it runs over.
void UpdateFallGauge();

#endif
