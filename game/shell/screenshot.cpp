// screenshot.cpp - the F1 capture of the whole screen under "./screen/".
//
// Owns the file name of a capture. The picture itself is the media layer's
// SaveScreenToBmp; a failed capture is ignored.
#include <stdio.h>
#include <sys/stat.h>

#include "pavex.h"
#include "shell/app.h"

void TakeScreenshot() {
    int now[6] = {};
    GetLocalDateTime(now);
    // The numbers are not padded: 5 December 2026, 21:43:07 is Screen202612521437.
    char name[256];
    snprintf(name, sizeof name, "./screen/Screen%d%d%d%d%d%d.bmp", now[0], now[1], now[2], now[3],
             now[4], now[5]);
    // A player pressing F1 expects a picture; a missing folder is made rather than the
    // capture silently lost.
    mkdir("./screen", 0755);
    SaveScreenToBmp(0, 0, 800, 600, name);
}
