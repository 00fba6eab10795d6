// frame.h - what the other areas of the library may ask of the frame (start-up,
// window, message pump). Implemented in media/core/frame.cpp.
#ifndef PAVEX_CORE_FRAME_H
#define PAVEX_CORE_FRAME_H

int FrameInitialised();   // 1 between a successful InitMediaLayer and EndMediaLayer
int FrameEnding();        // 1 while EndMediaLayer (or the fatal exit) runs
int FrameEndRequested();  // 1 once the window was closed or the end requested
int FrameIsActive();      // 1 while the window has the focus
int FrameAlwaysRun();     // the SetRunWhileInactive flag
int FrameIsWindowed();    // 1 window mode, 0 full screen
int FrameIsMainThread();  // 1 on the thread that called InitMediaLayer
const char* FrameStartDirectory();
// The inactive wait of the screen and input calls: unless the window is active (or
// the program keeps running while inactive in window mode), loops on ProcessMessage
// until it is active again or the end is requested.
void FrameWaitWhileInactive();
// The internal shutdown sequence (what EndMediaLayer runs under the lock).
void FrameShutDown();
// Rebuilds the window for a screen of width x height (the client area is scaled by
// the window size rate; full screen uses `refreshRate`): 0, or -1. Used by the
// screen's mode change; 0 without a window.
int FrameApplyWindowMode(int width, int height, int refreshRate);
// Puts the frame back to the state of a fresh process: every start-up setting (window
// mode, title, double start, run while inactive, screen mode) at its default and no
// end requested. Only while the layer is not running; for a host program (or a
// test) that starts the layer more than once.
void FrameResetDefaults();

#endif
