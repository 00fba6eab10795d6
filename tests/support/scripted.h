// scripted.h - what a test can script and observe on the scripted platform.
//
// The scripted platform replaces the live one (SDL window, devices, real clock) in
// every test executable. Its clock is virtual: it starts where Reset puts it and
// moves only when the program sleeps or the test advances it, so a 2000 ms wait
// costs no time. Keys and pads come from the test; presented frames are kept in
// memory; sound is recorded instead of played.
#ifndef VORLANE_TESTS_SCRIPTED_H
#define VORLANE_TESTS_SCRIPTED_H

#include <stdint.h>
#include <vector>

namespace script {

// Puts every scripted service back to its start: clock at `startMs`, no key down,
// no pad, no window, no events, no frames kept.
void Reset(uint32_t startMs = 1000);

// ---- clock ----
uint32_t NowMs();
void AdvanceMs(uint32_t ms);
void SetNowMs(uint32_t ms);  // e.g. just before the 2^32 wrap
uint64_t SleptMs();          // total of all sleeps since Reset
int SleepCalls();            // number of sleep calls since Reset
// The local calendar the program reads (fixed: 5 December 2026, 21:43:07 after Reset).
void SetLocalDateTime(int year, int month, int day, int hour, int minute, int second);

// ---- window ----
bool WindowOpen();
void RequestClose();         // the player clicks the close box
void SetFocus(bool active);  // the window gains or loses focus
const char* WindowTitle();
// Default 1920 x 1080, 32 bits. While the window is open the change is also reported
// to the program as a display change.
void SetDesktop(int width, int height, int bitsPerPixel);

// ---- presented frames ----
struct Frame {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // XRGB8888, row after row
};
int PresentedCount();
const Frame& LastPresented();

// ---- single-instance mark (kept inside the test process) ----
void SetOtherCopyRunning(bool running);  // a first copy of the program is running
bool HoldsInstanceMark();                // this process took the mark

// ---- background work ----
// The library's pump and the sound device have no thread here: each time the
// virtual clock moves forward (a sleep of the test's thread, or AdvanceMs), the pump
// duties (one per 17 ms boundary) and device periods (1024 frames) that fall due run
// on that thread in time order. So AdvanceMs(2000) is "the main thread was busy for
// two seconds while the pump thread and the sound device went on".
bool PumpRunning();  // the library's background pump is started

// ---- sound device ----
void FailAudioOpen(bool fail);  // the next PlatAudioOpen finds no device
// Every stereo frame the device played since it was opened (L R interleaved, 44100 Hz;
// the first three minutes).
const std::vector<int16_t>& AudioPlayed();
void ClearAudioPlayed();

// ---- keyboard (key codes, 0..255) ----
void SetKey(int keyCode, bool down);
void ReleaseAllKeys();

}  // namespace script

#endif
