// title_menu.h - the title menu, the game-mode menu and the title's hidden sequence.
#ifndef VORLANE_SHELL_TITLE_MENU_H
#define VORLANE_SHELL_TITLE_MENU_H

// Title items.
enum TitleItem : int { kTitlePlay = 0, kTitleNetwork = 1, kTitleRecord = 2, kTitleConfig = 3 };

// Background indexes of the two menus: both 9 at start; the hidden sequence turns the
// title's to 1 for the rest of the run.
extern int titleBackground;
extern int modeBackground;

// The title scene: reloads the menu pictures, the sound effects, the settings and the
// best record, starts the title music and returns the chosen item (0..3), or the
// cursor row when the program must end. Escape alone on the keyboard ends the program.
int RunTitleMenu();
// 0 endless round, 1 fifty-line clear round (or the cursor row when the program must
// end). The music is stopped when a mode was chosen.
int RunGameModeMenu();

void DrawTitleMenu(int cursor);
void DrawGameModeMenu(int cursor);
// 51 frames from full brightness down to 5, then brightness 0. The title fades only
// for items 2 and 3; the game-mode menu always, and halts the music afterwards.
void FadeOutTitleMenu(int item, int background);
void FadeOutGameModeMenu(int item, int background);

// Called once per title frame: four single-button presses X, C, A, S (pad buttons 2,
// 3, 4, 5) switch the frame counter on and the title background to 1, once per run.
void CheckHiddenSequence(int* background);
// The hidden sequence as at program start (no step made, not done).
void ResetHiddenSequence();

#endif
