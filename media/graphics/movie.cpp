// movie.cpp - movie graphics: a file no image reader accepts, opened as a movie and
// shown through a graphic of its frame size.
//
// Owns: the movie table (100 slots on the core handle table, slot array in static
// storage), the movie records and the decoder states (tracking allocator), the open
// file each movie reads through, and the movie clock. The decoder reads through the
// file layer with callbacks, so a movie inside an archive is read in place and no
// temporary copy is ever made. A movie plays from the moment it opens, once, and
// stops on its last frame; its clock stands still while the window has lost the
// focus. The sound track is never played. Must not touch: graphics other than the
// one being drawn, which it fills through GraphicPixels.
#include "media/graphics/movie.h"

#include "media/core/handle_table.h"
#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
#include "media/file/file_access.h"
#include "media/graphics/graphics.h"
#include "media/platform/plat_clock.h"
#include "media/platform/plat_movie.h"

namespace {

struct MovieRecord {
    int checkNumber;
    FileHandle file;
    int width;
    int height;
    int playing;
    int paused;
    uint32_t startTick;  // tick at which the movie time was 0 (moved on by pauses)
    uint32_t pausedTick;
    void* decoder;  // kPlatMovieStateBytes
};

HandleSlot g_movieSlots[kMovieSlotCount];
HandleTable g_movies = {
    kHandleMovie, kMovieSlotCount, HANDLE_SEARCH_LOWEST_FREE, g_movieSlots, 0, 0, 0};

int ReadSource(void* context, uint8_t* buffer, int size) {
    const FileHandle file = static_cast<FileHandle>(reinterpret_cast<uintptr_t>(context));
    if (size <= 0) return 0;
    return static_cast<int>(FileRead(buffer, 1, static_cast<size_t>(size), file));
}

int SeekSource(void* context, int64_t offset) {
    const FileHandle file = static_cast<FileHandle>(reinterpret_cast<uintptr_t>(context));
    return FileSeek(file, offset, kFileSeekStart);
}

void FreeMovie(MovieRecord* m) {
    if (m->file) FileClose(m->file);
    TrackedFree(m->decoder);
    TrackedFree(m);
}

int64_t MovieTime(const MovieRecord* m) {
    const uint32_t now = m->paused ? m->pausedTick : PlatTickMillis();
    return static_cast<int64_t>(now - m->startTick);
}

int Fail(MovieRecord* m) {
    LogString("ムービーファイルオープン処理時にエラーが発生しました\n");
    if (m) FreeMovie(m);
    return -1;
}

}  // namespace

int MovieOpen(const char* path, int* width, int* height) {
    if (!path || !width || !height || g_movies.count >= g_movies.capacity) return -1;
    MovieRecord* m = static_cast<MovieRecord*>(PAVEX_ALLOC_ZERO(sizeof(MovieRecord)));
    if (m) m->decoder = PAVEX_ALLOC_ZERO(kPlatMovieStateBytes);
    if (!m || !m->decoder) {
        LogString("メモリの確保に失敗しました in OpenMovieToGraph\n");
        if (m) FreeMovie(m);
        return -1;
    }
    m->file = FileOpen(path);
    if (!m->file) {
        LogFormat("ファイル:%s が開けませんでした", path);
        return Fail(m);
    }
    const int64_t size = FileSize(m->file);
    const PlatMovieSource source = {reinterpret_cast<void*>(static_cast<uintptr_t>(m->file)),
                                    ReadSource, SeekSource, size};
    const int opened =
        size > 0 ? PlatMovieOpen(m->decoder, &source, &m->width, &m->height) : kPlatMovieNotMovie;
    if (opened != kPlatMovieOk) {
        if (opened == kPlatMovieNoVideo) LogString("動画ファイルではない可能性があります！\n");
        TrackedFree(m->decoder);  // nothing of the decoder is left open
        m->decoder = nullptr;
        return Fail(m);
    }
    const int handle = HandleAdd(&g_movies, m);
    if (handle < 0) {
        PlatMovieClose(m->decoder);
        return Fail(m);
    }
    m->checkNumber = (handle >> 16) & (kHandleCheckLimit - 1);
    m->playing = 1;
    m->startTick = PlatTickMillis();
    *width = m->width;
    *height = m->height;
    return handle;
}

void MovieClose(int movie) {
    MovieRecord* m = static_cast<MovieRecord*>(HandleGet(&g_movies, movie));
    if (!m) return;
    HandleRemove(&g_movies, movie);
    PlatMovieClose(m->decoder);
    FreeMovie(m);
}

void MovieUpdateGraphic(int graphic) {
    const GraphicRecord* record = GetGraphicRecord(graphic);
    MovieRecord* m =
        record ? static_cast<MovieRecord*>(HandleGet(&g_movies, record->movie)) : nullptr;
    if (!m) return;
    int pitch = 0;
    uint32_t* pixels = GraphicPixels(record, &pitch);
    if (PlatMovieShow(m->decoder, MovieTime(m), pixels, pitch, record->width, record->height) < 0)
        LogString("ムービーグラフィック転送先サーフェスのロックに失敗しました\n");
}

int MovieCount() {
    return g_movies.count;
}

int MoviesStartUp() {
    MoviesShutDown();
    HandleTableReset(&g_movies);
    return 0;
}

void MoviesShutDown() {
    for (int slot = 0; slot < kMovieSlotCount; ++slot) {
        const int handle = HandleAt(&g_movies, slot);
        if (handle != -1) MovieClose(handle);
    }
}

void MoviesFocus(int active) {
    const uint32_t now = PlatTickMillis();
    for (int slot = 0; slot < kMovieSlotCount; ++slot) {
        MovieRecord* m = static_cast<MovieRecord*>(HandleRecordAt(&g_movies, slot));
        if (!m || !m->playing || m->paused == !active) continue;
        if (active)
            m->startTick += now - m->pausedTick;
        else
            m->pausedTick = now;
        m->paused = !active;
    }
}
