// record_screen.h - title item 2: the best single-player record on show.
#ifndef VORLANE_SHELL_RECORD_SCREEN_H
#define VORLANE_SHELL_RECORD_SCREEN_H

// Score, lines and best combo of the best record in the large digits over the title
// background, until Decide or Escape is pressed (after every key held on entry was
// released); returns once the keys are up again, so Escape does not end the program.
void ShowBestRecord();

#endif
