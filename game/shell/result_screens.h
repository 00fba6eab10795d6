// result_screens.h - game over and game clear after a single-player round.
#ifndef VORLANE_SHELL_RESULT_SCREENS_H
#define VORLANE_SHELL_RESULT_SCREENS_H

// The final picture of the round under the shading and the GameOver banner for
// 1.5 s (skipped when the window closed or Escape is held), then the best record is
// updated and saved when the round beat it, and every picture is released.
void ShowGameOver();
// The clear time in cycling colours over the shading; ends at the first input at
// least 1000 ms after the start. The best record is not touched.
void ShowGameClear();

#endif
