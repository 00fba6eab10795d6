// graphic_table.cpp - graphic handles and the shared image data behind them (see
// graphics.h).
//
// Owns: the graphic table (32768 slots), the image-data table (65536 slots), both on
// the core handle table with their slot arrays in static storage, the records and
// pixel blocks (tracking allocator). Reading files and drawing live in their own
// units; this one never touches the screen.
#include <stdio.h>
#include <string.h>

#include "media/core/handle_table.h"
#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
#include "media/graphics/back_fill.h"
#include "media/graphics/graphics.h"
#include "media/graphics/movie.h"
#include "pavex.h"

namespace {

struct GraphicManagement {
    int started;
};

HandleSlot g_graphicSlots[kGraphicMaxCount];
HandleSlot g_imageSlots[kImageDataMaxCount];
HandleTable g_graphics = {
    kHandleGraphic, kGraphicMaxCount, HANDLE_SEARCH_HIGH_WATER, g_graphicSlots, 0, 0, 0};
HandleTable g_images = {
    kHandleImageData, kImageDataMaxCount, HANDLE_SEARCH_HIGH_WATER, g_imageSlots, 0, 0, 0};
GraphicManagement g_manage = {0};

bool SizeOk(int width, int height) {
    return width > 0 && height > 0 && width <= kGraphicMaxSide && height <= kGraphicMaxSide &&
           int64_t{width} * height <= kGraphicMaxPixels;
}

void ReleaseImageData(ImageData* data) {
    if (!data || --data->refCount > 0) return;
    BackFillBeforeChange(data);
    HandleRemove(&g_images, data->handle);
    TrackedFree(data->blocks);
    TrackedFree(data->pixels);
    TrackedFree(data);
}

// Image data around `pixels` (taken over, freed on failure). Null after the log
// line when the table is full or the record cannot be allocated.
ImageData* MakeImageData(uint32_t* pixels, int pitch, int width, int height, int hasAlpha) {
    if (g_images.count >= g_images.capacity) {
        LogString("サーフェスのデータ数が許容量を越えました。\n");
        TrackedFree(pixels);
        return nullptr;
    }
    ImageData* data = static_cast<ImageData*>(PAVEX_ALLOC_ZERO(sizeof(ImageData)));
    if (!data) {
        LogString("サーフェス用データを保存するメモリ領域の確保に失敗しました\n");
        TrackedFree(pixels);
        return nullptr;
    }
    data->handle = HandleAdd(&g_images, data);
    data->refCount = 1;
    data->pixels = pixels;
    data->pitch = pitch;
    data->width = width;
    data->height = height;
    data->hasAlpha = hasAlpha ? 1 : 0;
    data->colorKey = kDefaultTransColour;
    data->changes = 1;
    data->blockPitch = (width + kRenderBlock - 1) / kRenderBlock;
    const size_t mapSize = static_cast<size_t>(data->blockPitch) * static_cast<size_t>(height);
    data->blocks = static_cast<uint8_t*>(PAVEX_ALLOC(2 * mapSize));
    data->blockRuns = data->blocks ? data->blocks + mapSize : nullptr;
    return data;
}

// A record and handle for `data` (its reference is taken over).
int AddRecord(ImageData* data, int x, int y, int width, int height, int isScreen) {
    if (g_graphics.count >= g_graphics.capacity) {
        ReleaseImageData(data);
        FatalErrorExit("グラフィックの数が許容量を越えました終了します");
    }
    GraphicRecord* record = static_cast<GraphicRecord*>(PAVEX_ALLOC_ZERO(sizeof(GraphicRecord)));
    if (!record) {
        ReleaseImageData(data);
        FatalErrorExit("メモリの確保に失敗しました");
    }
    const int handle = HandleAdd(&g_graphics, record);
    record->handle = handle;
    record->checkNumber = (handle >> 16) & (kHandleCheckLimit - 1);
    record->width = width;
    record->height = height;
    record->offsetX = x;
    record->offsetY = y;
    record->hasAlpha = data->hasAlpha;
    record->isScreen = isScreen;
    record->movie = -1;
    record->imageData = data;
    return handle;
}

}  // namespace

void GraphicsStartUp() {
    DeleteAllGraphicsInternal(0);
    HandleTableReset(&g_graphics);
    HandleTableReset(&g_images);
    g_manage.started = 1;
}

void GraphicsShutDown() {
    DeleteAllGraphicsInternal(0);
    g_manage.started = 0;
}

int GraphicsStarted() {
    return g_manage.started;
}

int AddGraphic(int width, int height, int hasAlpha, int isScreen) {
    if (!SizeOk(width, height)) return -1;
    uint32_t* pixels = static_cast<uint32_t*>(
        PAVEX_ALLOC_ZERO(static_cast<size_t>(width) * static_cast<size_t>(height) * 4));
    if (!pixels) {
        LogString("サーフェス用データを保存するメモリ領域の確保に失敗しました\n");
        return -1;
    }
    ImageData* data = MakeImageData(pixels, width, width, height, hasAlpha);
    return data ? AddRecord(data, 0, 0, width, height, isScreen ? 1 : 0) : -1;
}

int AddGraphicAdopting(uint32_t* pixels, int pitch, int width, int height, int hasAlpha) {
    if (!pixels || !SizeOk(width, height) || pitch < width) {
        TrackedFree(pixels);
        return -1;
    }
    ImageData* data = MakeImageData(pixels, pitch, width, height, hasAlpha);
    return data ? AddRecord(data, 0, 0, width, height, 0) : -1;
}

int DeriveGraphic(int x, int y, int width, int height, int parent) {
    const GraphicRecord* base = GetGraphicRecord(parent);
    if (!base || x < 0 || y < 0 || x >= base->width || y >= base->height || width <= 0 ||
        height <= 0) {
        LogString("グラフィックの派生に失敗しました終了します\n");
        return -1;
    }
    if (width > base->width - x) width = base->width - x;
    if (height > base->height - y) height = base->height - y;
    ++base->imageData->refCount;
    const int handle = AddRecord(base->imageData, base->offsetX + x, base->offsetY + y, width,
                                 height, base->isScreen);
    GraphicRecord* record = GetGraphicRecord(handle);
    memcpy(record->fileName, base->fileName, sizeof record->fileName);
    memcpy(record->folder, base->folder, sizeof record->folder);
    return handle;
}

int DeleteGraphic(int handle, int logFlag) {
    GraphicRecord* record = GetGraphicRecord(handle);
    if (!record) return -1;
    if (record->movie != -1) MovieClose(record->movie);
    ReleaseImageData(record->imageData);
    if (logFlag) LogFormat("グラフィック %s の削除", record->fileName);
    if (record->lostFlag) *record->lostFlag = 1;
    HandleRemove(&g_graphics, handle);
    TrackedFree(record);
    return 0;
}

int DeleteAllGraphicsInternal(int logFlag) {
    if (!g_manage.started) return 0;
    const int end = g_graphics.nextIndex;
    for (int slot = 0; slot < end; ++slot) {
        const int handle = HandleAt(&g_graphics, slot);
        if (handle != -1) DeleteGraphic(handle, logFlag);
    }
    return 0;
}

GraphicRecord* GetGraphicRecord(int handle) {
    return static_cast<GraphicRecord*>(HandleGet(&g_graphics, handle));
}

int GraphicCount() {
    return g_graphics.count;
}

int GraphicSetLostFlag(int handle, int* flag) {
    GraphicRecord* record = GetGraphicRecord(handle);
    if (!record) return -1;
    record->lostFlag = flag;
    return 0;
}

void GraphicSetSource(GraphicRecord* record, const char* path) {
    if (!record) return;
    record->fileName[0] = record->folder[0] = '\0';
    if (!path) return;
    const char* name = path;
    for (const char* c = path; *c; ++c)
        if (*c == '/' || *c == '\\') name = c + 1;
    snprintf(record->fileName, sizeof record->fileName, "%s", name);
    const size_t folderLength = static_cast<size_t>(name - path);
    const size_t keep =
        folderLength < sizeof record->folder ? folderLength : sizeof record->folder - 1;
    memcpy(record->folder, path, keep);
    record->folder[keep] = '\0';
}

namespace {

// Brings the block map up to date with the pixels.
void UpdateBlocks(ImageData* data) {
    for (int y = 0; y < data->height; ++y) {
        const uint32_t* row = data->pixels + static_cast<int64_t>(y) * data->pitch;
        uint8_t* classes = data->blocks + static_cast<int64_t>(y) * data->blockPitch;
        for (int b = 0, x = 0; b < data->blockPitch; ++b, x += kRenderBlock) {
            const int n = data->width - x < kRenderBlock ? data->width - x : kRenderBlock;
            classes[b] = RenderClassify(row + x, n, data->hasAlpha, data->colorKey);
        }
        uint8_t* runs = data->blockRuns + static_cast<int64_t>(y) * data->blockPitch;
        for (int b = data->blockPitch - 1; b >= 0; --b)
            runs[b] = b + 1 < data->blockPitch && classes[b + 1] == classes[b] && runs[b + 1] < 255
                          ? static_cast<uint8_t>(runs[b + 1] + 1)
                          : 1;
    }
    data->blocksAt = data->changes;
}

// What transparency does to the record's pixels (see GraphicRecord), worked out once
// per change of them. It stops as soon as one pixel is drawn and another left out or
// half transparent: most pictures cost a few reads, wholly clear or wholly solid
// ones (an empty well cell, a cell of a gauge sheet) are read through.
const GraphicRecord& Coverage(const GraphicRecord* record) {
    const ImageData* data = record->imageData;
    if (record->coverAt == data->changes) return *record;
    const uint32_t key = data->colorKey & 0xFFFFFFu;
    int allClear = 1, allSolid = 1;
    for (int y = 0; y < record->height && (allClear || allSolid); ++y) {
        const uint32_t* row = data->pixels +
                              static_cast<int64_t>(record->offsetY + y) * data->pitch +
                              record->offsetX;
        for (int x = 0; x < record->width && (allClear || allSolid); ++x) {
            const bool clear = data->hasAlpha ? row[x] >> 24 == 0 : (row[x] & 0xFFFFFFu) == key;
            allClear &= clear;
            allSolid &= data->hasAlpha ? row[x] >> 24 == 255 : !clear;
        }
    }
    record->allClear = allClear;
    record->allSolid = allSolid;
    record->coverAt = data->changes;
    return *record;
}

}  // namespace

RenderSource GraphicSource(const GraphicRecord* record, int transparent) {
    ImageData* data = record->imageData;
    RenderSource src;
    src.pixels =
        data->pixels + static_cast<int64_t>(record->offsetY) * data->pitch + record->offsetX;
    src.pitch = data->pitch;
    src.width = record->width;
    src.height = record->height;
    src.hasAlpha = data->hasAlpha;
    src.colorKey = data->colorKey;
    src.blocks = nullptr;
    src.blockRuns = nullptr;
    src.blockPitch = data->blockPitch;
    src.blockX = record->offsetX;
    src.allSolid = 0;
    if (transparent && data->blocks) {
        if (data->blocksAt != data->changes) UpdateBlocks(data);
        src.blocks = data->blocks + static_cast<int64_t>(record->offsetY) * data->blockPitch;
        src.blockRuns = data->blockRuns + static_cast<int64_t>(record->offsetY) * data->blockPitch;
        src.allSolid = Coverage(record).allSolid;
    }
    return src;
}

bool GraphicWhollyClear(const GraphicRecord* record) {
    return Coverage(record).allClear != 0;
}

DrawSurface GraphicSurface(const GraphicRecord* record) {
    int pitch = 0;
    DrawSurface s;
    s.pixels = GraphicPixels(record, &pitch);
    s.pitch = pitch * 4;
    s.width = record->width;
    s.height = record->height;
    return s;
}

uint32_t* GraphicPixels(const GraphicRecord* record, int* pitch) {
    ImageData* data = record->imageData;
    BackFillBeforeChange(data);
    if (++data->changes == 0) data->changes = 1;
    if (pitch) *pitch = data->pitch;
    return data->pixels + static_cast<int64_t>(record->offsetY) * data->pitch + record->offsetX;
}
