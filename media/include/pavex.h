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
// formats need it (the log file). The texts drawn on the screen (DrawTextAt,
// DrawTextFormat) are the exception: they are Shift-JIS, as the game's own message
// lines are.
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
// graphic without alpha is drawn with transparency. A file no picture reader accepts
// is opened as a movie (at most 100 at once): the graphic shows the frame due on the
// movie's clock, which runs from the load and stands still while the window has no
// focus; the movie closes with its graphic.
int LoadImageHandle(const char* fileName);
// The picture cut into cells of cellWidth x cellHeight, left to right, then top to
// bottom (`across` per row, `down` rows), at most `count` of them, into handles[].
// 0, or -1 (nothing is left made). A count below 1 makes nothing and returns 0.
int LoadImageDivided(const char* fileName, int count, int across, int down, int cellWidth,
                     int cellHeight, int* handles);
// A width x height graphic to draw into (SelectDrawTarget) and to draw from, black
// at first, or -1 (graphics not started, a bad size, no memory).
int MakeScreenGraphic(int width, int height);
int DeleteAllGraphics(int logFlag);  // 1 logs each deletion; 0
// The graphic's size: 0, or -1 for a handle that is not a live graphic.
int GetGraphicSize(int graphic, int* width, int* height);
// What drawing with transparency does to the pixels of the graphic's rectangle x, y,
// width x height: the PAVEX_COVER_ bits of what happens to some pixel there (a pixel
// with alpha 255, or not the transparent colour, is drawn; alpha 0 or the
// transparent colour is left out; any other alpha is blended). -1 for a handle that
// is not a live graphic or a rectangle that is empty or not wholly inside it.
#define PAVEX_COVER_DRAWN 1
#define PAVEX_COVER_LEFT_OUT 2
#define PAVEX_COVER_BLENDED 4
int GetGraphicCoverage(int graphic, int x, int y, int width, int height);

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

// Texts here are Shift-JIS: one-byte characters and two-byte characters whose first
// byte is 0x81..0x9F or 0xE0..0xFC. One line, drawn from its top-left corner with the
// default font (face: the installed Japanese gothic, 16 pixels, weight 600), in
// `colour` over an edge in `edgeColour` when the font type has the edge bit;
// brightness and blend mode apply as to pictures. 0, or -1 for a bad font.
int DrawTextAt(int x, int y, const char* text, uint32_t colour, uint32_t edgeColour);
// printf-style text (at most 1023 bytes; a longer one is cut), edge colour 0.
int DrawTextFormat(int x, int y, uint32_t colour, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// Font type of the default font: bit 0 edge, bit 1 anti-aliased (-1 gives 0). 0.
int SetDefaultFontType(int fontType);
// A font of its own (the game uses the default font only). faceName: UTF-8, empty
// for the default face; -1 takes the default of size (16), thickness (6, weight
// thickness x 100), type (0), character set (1: Japanese; 0 any, 2 Korean) and edge
// size (1; 1..4, above 1 the edge bit is set). slot -1 takes the first free of the
// 40; checkNumber -1 the next. A handle, or -1 (logged).
int CreateFontToHandle(const char* faceName, int size, int thickness, int fontType,
                       int charsetIndex, int edgeSize, int italic, int slot, int checkNumber);
int DeleteFontHandle(int font);  // 0, or -1 for a handle that is not a live font

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
// Sound and music (media/sound/)
// ---------------------------------------------------------------------------

// Play types of StartSound and PlayMusicFile.
#define PAVEX_PLAY_WAIT 0  // once; the call pumps messages until it has finished
#define PAVEX_PLAY_BACK 1  // once, in the background
#define PAVEX_PLAY_LOOP 3  // looped, in the background

// Loads a WAV (PCM or compressed), Ogg Vorbis or MP3 file with 1..10 buffers that
// share one copy of the samples (more count as 10). shareHandle is not used.
// A handle, or -1. Every call below answers -1 while no sound device is open,
// except HaltMusic.
int LoadSound(const char* path, int bufferCount, int shareHandle);
// Starts the next of the sound's buffers. fromTop 1 starts at the beginning; 0 leaves
// a playing buffer alone (and returns 0) or resumes a stopped one where it stopped.
int StartSound(int handle, int playType, int fromTop);
int SetSoundVolume(int volume, int handle);  // 0..255 (more is 255); 0 is silent
int StopSound(int handle);                   // stops every buffer of the sound
int CheckSoundPlaying(int handle);           // 1 playing, 0 quiet, -1 no such sound
int DeleteSound(int handle);
// 0 decodes a whole sound at load (the default); 2 and 3 make LoadSound load a
// streamed sound that decodes while it plays.
int SetSoundCreateMode(int mode);
// Adds a further part (up to 3) to a streamed sound that is not playing; it repeats
// repeatCount more times (255: for ever) before the next part.
int AddStreamSoundFile(const char* path, int repeatCount, int handle);

// The one music slot: a streamed sound (there is no MIDI player).
int PlayMusicFile(const char* path, int playType);
int SetMusicVolume(int volume);  // 0..255
int HaltMusic(void);             // 0, also without music or sound device

// ---------------------------------------------------------------------------
// Files and archives (media/file/)
// ---------------------------------------------------------------------------

int SetArchiveExtension(const char* extension);  // empty or too long gives "PVA"
int SetArchiveKey(const char* key);              // NULL: the default key

// ---------------------------------------------------------------------------
// Network connections (media/net/)
// ---------------------------------------------------------------------------
//
// TCP connections as handles. One side listens and takes accepted connections, the
// other connects; both send and receive bytes. Between two programs on this library
// the stream travels in length-prefixed frames; the program sees one byte stream.
// Socket events are handled inside every network call, PumpNetWorkMessages and
// ProcessMessage; only the connect (up to 2 s) and the close (up to 1 s each way to
// flush) wait. Port -1 is 10001. The network part starts with the first connect,
// listen or end of listen; other calls return -1 until then.

// address: IPv4, first octet in the lowest byte (127.0.0.1 is 0x0100007F). An
// established connection to the same address and port is returned again.
// A handle, or -1 (logged) after 2 s without a connection.
int OpenNetWorkConnection(uint32_t address, int port);
// The same with a numeric IPv4 or IPv6 address or a host name (a name is looked up
// by the system's resolver first, which may take its own time).
int OpenNetWorkConnectionByName(const char* address, int port);
int BeginNetWorkListen(int port);  // 0, or -1 (also while already listening)
int EndNetWorkListen(void);        // 0, or -1 when not listening; accepted ones stay open
// Each accepted connection once, newest first, while it is connected; else -1.
int TakeAcceptedNetWork(void);
// Each connection whose peer closed (or that was cut or failed) once; else -1. The
// next ProcessMessage closes a reported connection.
int TakeLostNetWork(void);
int GetNetWorkDataLength(int handle);  // bytes waiting to be received, or -1
// All or nothing: 0 when `length` bytes were copied out (and removed), -1 when fewer
// are waiting (nothing taken).
int NetWorkRecv(int handle, void* buffer, int length);
int NetWorkRecvToPeek(int handle, void* buffer, int length);  // as NetWorkRecv, kept
// 0 when queued (and as much as the socket takes sent); -1 on a bad or unconnected
// handle, or when the peer has stopped taking data (the connection is then cut and
// reported lost).
int NetWorkSend(int handle, const void* buffer, int length);
int CloseNetWorkHandle(int handle);
// Handles the waiting socket events; with 1 first closes the reported losses. 0.
int PumpNetWorkMessages(int autoClose);
// 1 while connected; 0 when not (the loss then counts as reported); -1 bad handle.
int GetNetWorkAcceptState(int handle);

#ifdef __cplusplus
}
#endif

#endif  // PAVEX_H
