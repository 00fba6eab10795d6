// graphics.h - graphic handles as the other graphics units (loading, drawing, the
// screen, text, capture, movies) use them. Implemented in graphic_table.cpp.
//
// A graphic handle is kind 0x08000000 | check number << 16 | slot on the core handle
// table (32768 slots). Its record says which rectangle of a block of shared image
// data it shows; image data has its own table (65536 slots, kind 0x38000000) and a
// reference count, so cells cut from one picture share its pixels. Pixels are
// 32-bit 0xAARRGGBB; without alpha the top byte is ignored. Callers hold the API
// lock.
#ifndef PAVEX_GRAPHICS_GRAPHICS_H
#define PAVEX_GRAPHICS_GRAPHICS_H

#include <stdint.h>

#include "media/graphics/render.h"
#include "media/graphics/screen.h"

constexpr int kGraphicMaxCount = 32768;
constexpr int kImageDataMaxCount = 65536;
constexpr int kGraphicMaxSide = 16384;
constexpr int64_t kGraphicMaxPixels = int64_t{1} << 26;
// The transparent colour every image data keeps (the program never changes it).
constexpr uint32_t kDefaultTransColour = 0x000000;

// Pixels shared by a graphic and the cells derived from it.
struct ImageData {
    int handle;
    int refCount;
    uint32_t* pixels;  // width x height, `pitch` pixels apart (tracking allocator)
    int pitch;
    int width;
    int height;
    int hasAlpha;
    uint32_t colorKey;  // the transparent colour when the data was made
    uint32_t changes;   // moves on (never to 0) whenever the pixels may have been written
    // What each run of kRenderBlock pixels of a row holds with transparency (a
    // RenderBlockClass), `blockPitch` bytes per row; made with the data (null when
    // that failed) and brought up to date when drawn after `changes` moved.
    // `blockRuns` (in the same allocation) says for each block how many blocks of
    // its class follow in its row, itself included (at most 255).
    uint8_t* blocks;
    uint8_t* blockRuns;
    int blockPitch;
    uint32_t blocksAt;
};

struct GraphicRecord {
    int checkNumber;
    int handle;
    int width;
    int height;
    int offsetX;  // where this graphic starts inside its image data
    int offsetY;
    int useTexture;  // always 0: pixels live in memory, drawn by the software renderer
    int hasAlpha;
    int isScreen;       // made as a drawable screen: may be a draw target
    char fileName[64];  // where the picture came from (empty when made in memory)
    char folder[128];
    int movie;  // movie shown by this graphic, or -1
    ImageData* imageData;
    int* lostFlag;  // set to 1 when the graphic is deleted, when not null
    // Whether transparency leaves out every pixel of this rectangle, or none while
    // every alpha is 255, as of the data's `changes` equal to `coverAt` (0: not yet
    // worked out).
    mutable uint32_t coverAt;
    mutable int allClear;
    mutable int allSolid;
};

// Graphic management start-up (tables emptied) and shutdown (every graphic deleted).
void GraphicsStartUp();
void GraphicsShutDown();
int GraphicsStarted();

// A new graphic of width x height with fresh image data (pixels zero, i.e. black
// and, with alpha, transparent): a handle, or -1 for a bad size or when the image
// data cannot be made. A full graphic table ends the program.
int AddGraphic(int width, int height, int hasAlpha, int isScreen);
// The same with pixels the caller allocated with the tracking allocator; they
// belong to the graphic from now on, also when -1 is returned.
int AddGraphicAdopting(uint32_t* pixels, int pitch, int width, int height, int hasAlpha);
// A graphic showing the rectangle x, y, width, height of `parent` (sharing its
// pixels); a rectangle reaching past the parent's right or bottom edge is cut to
// it. -1 (logged) when the parent is not live or the rectangle starts outside it.
int DeriveGraphic(int x, int y, int width, int height, int parent);
// 0, or -1 for a handle that is not live. logFlag 1 logs the deletion.
int DeleteGraphic(int handle, int logFlag);
int DeleteAllGraphicsInternal(int logFlag);
GraphicRecord* GetGraphicRecord(int handle);  // null unless live
int GraphicCount();

// The caller's int set to 1 when the graphic is deleted: 0, or -1.
int GraphicSetLostFlag(int handle, int* flag);
// Records where the picture came from (a path is split into folder and name).
void GraphicSetSource(GraphicRecord* record, const char* path);

// What the renderer draws for a graphic (with `transparent`, with the block map of
// its data, brought up to date first), and a screen graphic as a draw target.
RenderSource GraphicSource(const GraphicRecord* record, int transparent);
DrawSurface GraphicSurface(const GraphicRecord* record);
// True when drawing the graphic with transparency leaves out every one of its
// pixels (an empty well cell): such a drawing changes nothing and may stop at once.
bool GraphicWhollyClear(const GraphicRecord* record);
// Top-left pixel of the graphic, for units that fill it (movies). Every writer of
// the pixels gets them here (or through GraphicSurface), which counts a change.
uint32_t* GraphicPixels(const GraphicRecord* record, int* pitch);

#endif
