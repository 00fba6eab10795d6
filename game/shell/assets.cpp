// assets.cpp - asset tables and the shared drawing and sound operations.
//
// Owns the tables of loaded pictures and sounds and the operations that play or draw
// them by number. It must not decide anything about rules or scenes.
#include "shell/assets.h"

// The play calls are filled by the sound units; until the tables are loaded there is
// nothing to play, and playing nothing is the defined behaviour of a missing sound.
void PlaySoundEffect(int) {}
void PlayVoice(int) {}
void PlayBgm(int) {}
