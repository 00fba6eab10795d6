// movie.h - what graphic handles need of movie graphics: opening a file that no image
// reader accepts, closing the movie of a deleted graphic, and bringing a movie
// graphic's frame up to date before it is drawn; and the movies' service row.
// Implemented in movie.cpp. Callers hold the API lock.
#ifndef PAVEX_GRAPHICS_MOVIE_H
#define PAVEX_GRAPHICS_MOVIE_H

constexpr int kMovieSlotCount = 100;

// Opens `path` (through the file layer) as a movie: a movie handle and its frame
// size, or -1 (logged).
int MovieOpen(const char* path, int* width, int* height);
// Stops and releases a movie opened by MovieOpen; -1 is ignored.
void MovieClose(int movie);
// Copies the current frame of the graphic's movie into its pixels.
void MovieUpdateGraphic(int graphic);
int MovieCount();  // movies open now

// The service row (media/core/services.cpp): the table emptied at start-up, every
// movie closed at shutdown, all movies paused when the window loses the focus and
// resumed when it comes back.
int MoviesStartUp();
void MoviesShutDown();
void MoviesFocus(int active);

#endif
