// pavex.h - the one public header of the Pavex media library.
//
// Pavex is a library of plain functions over integer handles: window and message
// pump, screen, images, drawing, text, sound, input, time, random numbers, files
// and archives, TCP. The game includes this header and nothing else from media/.
//
// Every function here takes the library's re-entrant API lock for its whole run
// (media/core/api_lock.h), except WaitMilliseconds, which pumps messages and so
// takes the lock inside. Results are int: 0 success, -1 failure, unless the
// function returns a handle, a count or a value. Handles are non-negative; -1 is
// "none", and passing -1 to a drawing or playing call does nothing. No exception
// ever leaves this header.
//
// Texts passed in are UTF-8; the library converts them to Shift-JIS where its own
// formats need it (the log file).
#ifndef PAVEX_H
#define PAVEX_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// ---------------------------------------------------------------------------
// Library frame: start-up settings, life cycle, message pump (media/core/frame.cpp)
// ---------------------------------------------------------------------------

// Settings made before InitMediaLayer.
int ChangeWindowMode(int windowed);      // 1 window, 0 full screen
int SetWindowTitle(const char* title);   // at most 255 bytes; empty gives "Pavex"
int SetAllowDoubleStart(int allow);      // 1 lets a second copy run
int SetRunWhileInactive(int alwaysRun);  // 1 keeps running without focus

int InitMediaLayer(void);  // 0, or -1 when the layer cannot start
int EndMediaLayer(void);   // 0
// Pumps window events and drives the periodic services (sound, input, network).
// 0 while the program runs; -1 once the window was closed or the end requested.
int ProcessMessage(void);

// ---------------------------------------------------------------------------
// Log file "Log.txt" (media/core/log.cpp)
// ---------------------------------------------------------------------------

int AddLogString(const char* text);        // appended as it is (line feeds become CR LF)
int AddLogFormat(const char* format, ...)  // printf-style; a line feed is added
    __attribute__((format(printf, 1, 2)));
int LogIndentIn(void);
int LogIndentOut(void);
// Logs the message, shuts the layer down and ends the process with exit code -1.
void FatalErrorExit(const char* message) __attribute__((noreturn));

// ---------------------------------------------------------------------------
// Screen and frame flip (media/graphics/screen.cpp)
// ---------------------------------------------------------------------------

#define PAVEX_SCREEN_FRONT (-4)
#define PAVEX_SCREEN_BACK (-2)

// -1 keeps a value. 0 set, -1 refused or failed, -2 fell back to 640 x 480 x 16.
int SetScreenMode(int width, int height, int colourBits, int refreshRate);
int GetScreenSize(int* width, int* height);
int ClearScreen(void);
int FlipScreen(void);
int SetFlipWaitsVBlank(int wait);
int SelectDrawTarget(int target);  // PAVEX_SCREEN_FRONT, PAVEX_SCREEN_BACK or a screen graphic
int SetClipRect(int x1, int y1, int x2, int y2);
int SetDrawBrightness(int red, int green, int blue);

// ---------------------------------------------------------------------------
// Graphics: images, drawing, screen capture (media/graphics/)
// ---------------------------------------------------------------------------

// A picture file (BMP, JPEG, PNG, raw BGRA, TGA or DDS; plain or inside an archive)
// as a graphic handle, or -1. "name_a.ext" beside "name.ext" is an alpha mask (its
// brightness). Pixels equal to the transparent colour (black) are left out when a
// graphic without alpha is drawn with transparency.
int LoadImageHandle(const char* fileName);
// The picture cut into cells of cellWidth x cellHeight, left to right, then top to
// bottom (`across` per row, `down` rows), at most `count` of them, into handles[].
// 0, or -1 (nothing is left made). A count below 1 makes nothing and returns 0.
int LoadImageDivided(const char* fileName, int count, int across, int down, int cellWidth,
                     int cellHeight, int* handles);
int DeleteAllGraphics(int logFlag);  // 1 logs each deletion; 0

// Drawing to the draw target, inside the clip rectangle, with the draw brightness.
// transparent 1 leaves out the transparent colour or follows the graphic's alpha.
// 0, or -1 for a handle that is not a live graphic.
int DrawImage(int x, int y, int graphic, int transparent);
// The graphic fills x1..x2-1 by y1..y2-1; reversed corners mirror it.
int DrawImageStretched(int x1, int y1, int x2, int y2, int graphic, int transparent);
// A colour value for the screen in force (32-bit screen: 0xFFRRGGBB).
uint32_t MakeColor(int red, int green, int blue);

// x1, y1 .. x2, y2 (right and bottom exclusive) of the draw target, cut to the clip
// rectangle, as a 24-bit BMP file, written whole or not at all. -1 before start-up
// or for an empty rectangle; 0 otherwise (a file that cannot be written is logged).
int SaveScreenToBmp(int x1, int y1, int x2, int y2, const char* fileName);

// ---------------------------------------------------------------------------
// Text and fonts (media/graphics/text.cpp)
// ---------------------------------------------------------------------------

int SetDefaultFontType(int fontType);

// ---------------------------------------------------------------------------
// Time and random numbers (media/time/)
// ---------------------------------------------------------------------------

uint32_t GetTickMillis(int unused);  // wraps after 2^32 ms: compare differences
int WaitMilliseconds(int ms);        // pumps messages while it waits; no lock
int GetLocalDateTime(int* sixInts);  // year, month, day, hour, minute, second
int SeedRandom(uint32_t seed);
int GetRandom(int max);  // uniform 0..max

// ---------------------------------------------------------------------------
// Keyboard and joypads (media/input/)
// ---------------------------------------------------------------------------

#define PAVEX_INPUT_KEYBOARD 0x1000  // selector bit: merge the keyboard
#define PAVEX_INPUT_KEY_PAD1 0x1001  // keyboard merged with pad 1

#define PAVEX_PAD_DOWN 0x1
#define PAVEX_PAD_LEFT 0x2
#define PAVEX_PAD_RIGHT 0x4
#define PAVEX_PAD_UP 0x8

int IsKeyDown(int keyCode);            // 1 down, 0 up
int GetKeyStateAll(uint8_t* keys256);  // keys256[i] = 1 when key i is down
int GetAnyKeyDown(void);               // lowest code down; -1 pad or mouse; 0 none
int GetPadState(int selector);         // pad bits
int StartPadVibration(int pad, int power, int timeMs);
int StopPadVibration(int pad);

// ---------------------------------------------------------------------------
// Files and archives (media/file/)
// ---------------------------------------------------------------------------

int SetArchiveExtension(const char* extension);  // empty or too long gives "PVA"
int SetArchiveKey(const char* key);              // NULL: the default key

#ifdef __cplusplus
}
#endif

#endif  // PAVEX_H
