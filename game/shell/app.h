// app.h - program entry, start-up and the way out of the program.
#ifndef VORLANE_SHELL_APP_H
#define VORLANE_SHELL_APP_H

// Makes the start-up settings of the media layer, starts it and makes the settings
// that need a running layer. 1 when the media layer runs, 0 when it failed to start.
int StartUpApplication();
// Ends the media layer and the process with exit code 1. Does not return.
[[noreturn]] void ExitApplication();
// The whole program: start-up, the scenes until Escape is held or the window is
// closed, then ExitApplication. Returns only when the media layer failed to start
// (with -1).
int RunApplication();
// Saves the whole screen as "./screen/Screen" + year, month, day, hour, minute,
// second (unpadded) + ".bmp", making the folder when it is missing. Failures are
// ignored.
void TakeScreenshot();

// The frame pattern of the shell's scenes: sleeps in 1 ms steps until a frame that
// began at `frameStart` (GetTickMillis) has lasted 17 ms.
void WaitOutFrame(unsigned frameStart);
// After a scene that ends on a key press: pumps until no key, button or mouse
// button is down (or the program must end), so the press is not read again by the
// first frame of the next scene.
void WaitForKeyRelease();

#endif
