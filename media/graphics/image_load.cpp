// image_load.cpp - LoadImageHandle, LoadImageDivided and DeleteAllGraphics: files
// read through the file layer (plain files or archive entries), decoded by the
// reader chain, combined with their "_a" alpha mask and made into graphics; a file
// no reader accepts goes to the movie path. MakeScreenGraphic makes a blank one to
// draw into.
//
// Owns: the path from a file name to a graphic. Graphic records, image data and the
// readers live in their own units; this one never draws.
#include <stdio.h>
#include <string.h>

#include "media/core/api_lock.h"
#include "media/core/frame.h"
#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
#include "media/file/file_access.h"
#include "media/graphics/graphics.h"
#include "media/graphics/image_readers.h"
#include "media/graphics/movie.h"
#include "pavex.h"

namespace {

// Larger files are not pictures the layer could hold (the pixel cap is 256 MB).
constexpr size_t kMaxFileBytes = size_t{512} << 20;
constexpr size_t kPathBytes = 4096;

// Reads and decodes `path`: 0 with `out` filled, or -1.
int ReadImageFile(const char* path, BaseImage* out) {
    size_t size = 0;
    uint8_t* data = static_cast<uint8_t*>(FileReadAll(path, kMaxFileBytes, &size));
    if (!data) return -1;
    const int result = ReadImage(data, size, out);
    TrackedFree(data);
    return result;
}

// The companion mask's name: "_a" before the extension, or at the end of a name
// without one. False when it does not fit.
bool MaskName(const char* path, char* out, size_t size) {
    const char* dot = nullptr;
    for (const char* c = path; *c; ++c) {
        if (*c == '.') dot = c;
        if (*c == '/' || *c == '\\') dot = nullptr;
    }
    const int stem = static_cast<int>(dot ? dot - path : static_cast<ptrdiff_t>(strlen(path)));
    const int n = snprintf(out, size, "%.*s_a%s", stem, path, dot ? dot : "");
    return n > 0 && static_cast<size_t>(n) < size;
}

// Applies the mask's brightness ((r + g + b) / 3) as alpha.
void ApplyMask(const BaseImage& mask, uint32_t* pixels, int pitch) {
    uint32_t* shade = static_cast<uint32_t*>(
        PAVEX_ALLOC(static_cast<size_t>(mask.width) * static_cast<size_t>(mask.height) * 4));
    if (!shade) return;
    ConvertToArgb(mask, shade, mask.width);
    for (int y = 0; y < mask.height; ++y) {
        const uint32_t* s = shade + static_cast<size_t>(y) * mask.width;
        uint32_t* d = pixels + static_cast<size_t>(y) * pitch;
        for (int x = 0; x < mask.width; ++x) {
            const uint32_t level = (((s[x] >> 16) & 255) + ((s[x] >> 8) & 255) + (s[x] & 255)) / 3;
            d[x] = (d[x] & 0xFFFFFFu) | level << 24;
        }
    }
    TrackedFree(shade);
}

// A graphic from a base image (taken over) and its optional mask: a handle, or -1.
int CreateFromBase(BaseImage* image, const BaseImage* mask) {
    if (mask && (mask->width != image->width || mask->height != image->height)) {
        FreeBaseImage(image);
        return -1;
    }
    const int hasAlpha = (image->format.alphaMask != 0 || mask) ? 1 : 0;
    uint32_t* pixels;
    if (IsStandardArgb(*image)) {
        pixels = reinterpret_cast<uint32_t*>(image->pixels);  // already in the graphic's form
        image->pixels = nullptr;
    } else {
        pixels = static_cast<uint32_t*>(PAVEX_ALLOC(static_cast<size_t>(image->width) *
                                                    static_cast<size_t>(image->height) * 4));
        if (pixels) ConvertToArgb(*image, pixels, image->width);
        FreeBaseImage(image);
        if (!pixels) {
            LogString("サーフェス用データを保存するメモリ領域の確保に失敗しました\n");
            return -1;
        }
    }
    if (mask) ApplyMask(*mask, pixels, image->width);
    return AddGraphicAdopting(pixels, image->width, image->width, image->height, hasAlpha);
}

// Reads `path` and its mask into a new graphic: a handle, -1 when the file could not
// be read as a picture (*read stays 0), or -1 after it was read (*read 1).
int LoadPicture(const char* path, int* read) {
    *read = 0;
    BaseImage image;
    if (ReadImageFile(path, &image) != 0) return -1;
    *read = 1;
    char maskPath[kPathBytes];
    BaseImage mask;
    const bool haveMask =
        MaskName(path, maskPath, sizeof maskPath) && ReadImageFile(maskPath, &mask) == 0;
    const int handle = CreateFromBase(&image, haveMask ? &mask : nullptr);
    if (haveMask) FreeBaseImage(&mask);
    GraphicSetSource(GetGraphicRecord(handle), path);
    return handle;
}

// A file no reader accepts: a movie shown through a graphic of its frame size.
int LoadMovieGraphic(const char* path) {
    const FileHandle file = FileOpen(path);
    if (file == 0) {
        LogFormat("グラフィックファイル %s がありません", path);
        return -1;
    }
    FileClose(file);
    int width = 0, height = 0;
    const int movie = MovieOpen(path, &width, &height);
    if (movie < 0) {
        LogString("右記のグラフィックファイルのロードに失敗しました：");
        LogString(path);
        LogString(" \n");
        return -1;
    }
    const int handle = AddGraphic(width, height, 0, 0);
    if (handle < 0) {
        LogFormat("右記のグラフィックファイルの格納用グラフィック領域の作成に失敗しました：%s",
                  path);
        MovieClose(movie);
        return -1;
    }
    GraphicRecord* record = GetGraphicRecord(handle);
    record->movie = movie;
    GraphicSetSource(record, path);
    return handle;
}

int LoadImageHandleInternal(const char* path) {
    if (!path || !GraphicsStarted()) return -1;
    FrameWaitWhileInactive();
    int read = 0;
    const int handle = LoadPicture(path, &read);
    return read ? handle : LoadMovieGraphic(path);
}

int LoadImageDividedInternal(const char* path, int count, int across, int down, int cellWidth,
                             int cellHeight, int* handles) {
    if (count < 1) return 0;
    if (!path || !handles || !GraphicsStarted()) return -1;
    FrameWaitWhileInactive();
    int read = 0;
    const int parent = LoadPicture(path, &read);
    if (parent < 0) {
        LogFormat("右記のグラフィックファイルのロードに失敗しました：%s", path);
        return -1;
    }
    int made = 0;
    bool failed = false;
    for (int row = 0; row < down && made < count && !failed; ++row) {
        for (int column = 0; column < across && made < count; ++column) {
            const int64_t x = int64_t{column} * cellWidth, y = int64_t{row} * cellHeight;
            const int cell = x <= INT32_MAX && y <= INT32_MAX
                                 ? DeriveGraphic(static_cast<int>(x), static_cast<int>(y),
                                                 cellWidth, cellHeight, parent)
                                 : -1;
            if (cell < 0) {
                failed = true;
                break;
            }
            handles[made++] = cell;
        }
    }
    DeleteGraphic(parent, 0);
    if (failed) {
        LogString("グラフィックの分割に失敗しました in CreateDivGraphFromGraphImage\n");
        for (int i = 0; i < made; ++i) DeleteGraphic(handles[i], 0);
        return -1;
    }
    return 0;
}

}  // namespace

int LoadImageHandle(const char* fileName) {
    ApiScope lock;
    return LoadImageHandleInternal(fileName);
}

int LoadImageDivided(const char* fileName, int count, int across, int down, int cellWidth,
                     int cellHeight, int* handles) {
    ApiScope lock;
    return LoadImageDividedInternal(fileName, count, across, down, cellWidth, cellHeight, handles);
}

int MakeScreenGraphic(int width, int height) {
    ApiScope lock;
    return GraphicsStarted() ? AddGraphic(width, height, 0, 1) : -1;
}

int DeleteAllGraphics(int logFlag) {
    ApiScope lock;
    return DeleteAllGraphicsInternal(logFlag);
}
