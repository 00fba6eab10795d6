// frame.h - what the areas of the library may ask of the frame: the internal
// message pump, the wait while the window is inactive, and the window's state.
// Implemented in media/core/frame.cpp. No area calls the public ProcessMessage;
// they pump through FramePump.
#ifndef PAVEX_CORE_FRAME_H
#define PAVEX_CORE_FRAME_H

// One message pump, as ProcessMessage does it: 0, or -1 once the end is requested.
// Takes the API lock itself (it is re-entrant), so callers with or without the lock
// may use it; inside a pump that is already running it returns 0 at once.
int FramePump();
// The inactive wait of the screen and input calls: unless the window is active (or
// the program keeps running while inactive in window mode), pumps until it is
// active again or the end is requested. Only on the main thread.
void FrameWaitWhileInactive();
// Posts a close request: the next pump on the main thread closes the window.
void FrameRequestClose();

int FrameInitialised();   // 1 between a successful InitMediaLayer and EndMediaLayer
int FrameEnding();        // 1 while EndMediaLayer (or the fatal exit) runs
int FrameEndRequested();  // 1 once the window was closed or the end requested
int FrameIsActive();      // 1 while the window has the focus
int FrameAlwaysRun();     // the SetRunWhileInactive flag
int FrameIsWindowed();    // 1 window mode, 0 full screen

// Rebuilds the window for a screen of width x height (the client area is scaled by
// the window size rate; full screen uses `refreshRate`): 0, or -1. Used by the
// screen's mode change; 0 without a window.
int FrameApplyWindowMode(int width, int height, int refreshRate);

// The shutdown sequence of EndMediaLayer, for the fatal exit.
void FrameShutDown();
// Puts every start-up setting of the frame and of the areas back to its default.
// Only while the layer is not running; for a host program (or a test) that starts
// the layer more than once.
void FrameResetDefaults();

#endif
