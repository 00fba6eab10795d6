// movie.cpp - movie graphics. Until the movie decoder joins, no file opens as a movie:
// MovieOpen logs the open failure and returns -1, so LoadImageHandle fails for a
// file no image reader accepts, as it does for a damaged movie.
//
// Owns: nothing yet (the movie table joins here). Touches nothing else.
#include "media/graphics/movie.h"

#include "media/core/log.h"

int MovieOpen(const char*, int*, int*) {
    LogString("ムービーファイルオープン処理時にエラーが発生しました\n");
    return -1;
}

void MovieClose(int) {}

void MovieUpdateGraphic(int) {}
