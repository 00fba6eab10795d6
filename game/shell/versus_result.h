// versus_result.h - the result scene after each versus round.
#ifndef VORLANE_SHELL_VERSUS_RESULT_H
#define VORLANE_SHELL_VERSUS_RESULT_H

// Reads what is left of the opponent's messages, counts the round and shows the
// banners over the final picture of the round for 3 seconds.
void ShowVersusResult();
// VSResult cells: kind 0 and 1 the blink frames of the win banner, 2 the lose banner.
void DrawVersusBanner(int kind, int won);

#endif
