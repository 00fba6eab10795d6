// fatal_exit.cpp - FatalErrorExit: the way out when a resource the running program
// cannot do without fails.
//
// Owns: the order of the fatal exit (log the message, shut the layer down, close
// the API lock, end the process with exit code -1) and the guard that keeps a
// second fatal error during that shutdown from starting it again. It lives apart
// from the log so that code which only logs does not pull in the whole frame.
// Must not touch: the state of the frame or of the log (it only calls them).
#include <stdio.h>
#include <stdlib.h>

#include "media/core/api_lock.h"
#include "media/core/frame.h"
#include "media/core/log.h"
#include "pavex.h"

namespace {
int g_exiting;
}

extern "C" void FatalErrorExit(const char* message) {
    ApiScope lock;
    LogFormat("%s", message ? message : "");
    // A failure inside the shutdown below would come back here: end at once then.
    if (!g_exiting) {
        g_exiting = 1;
        FrameShutDown();
    }
    CloseApiLock();
    fflush(nullptr);
    // _Exit: no exit handlers or static destructors, which another thread of the
    // layer might still be using.
    _Exit(-1);
}
