// versus_result.cpp - the versus result scene.
//
// NOT YET BUILT: open work of the network issue; until it lands nothing is shown.
#include "shell/versus_result.h"

void ShowVersusResult() {}
void DrawVersusBanner(int, int) {}
