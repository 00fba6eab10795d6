// screen.cpp - the screen: its mode, the front and back surfaces (32-bit XRGB in
// memory), the draw target, the clip rectangle, the drawing brightness, clear and
// flip, and the graphics start-up and shutdown that InitMediaLayer and EndMediaLayer
// run.
//
// Owns: the one screen record below and the two pixel buffers (through the tracking
// allocator). Presents through plat_window.h only; never touches the window itself
// except through the frame (FrameApplyWindowMode). Drawing primitives, graphic
// handles and text live in their own units and reach the surfaces through screen.h;
// this unit starts and stops graphic management with the screen, and a screen
// graphic (graphics.h) may be the draw target.
#include "media/graphics/screen.h"

#include <stdint.h>
#include <string.h>

#include "media/core/api_lock.h"
#include "media/core/frame.h"
#include "media/core/log.h"
#include "media/core/services.h"
#include "media/core/tracked_alloc.h"
#include "media/graphics/back_fill.h"
#include "media/graphics/draw.h"
#include "media/graphics/graphics.h"
#include "pavex.h"
#include "media/platform/plat_clock.h"
#include "media/platform/plat_window.h"

namespace {

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
constexpr int kDefaultBits = 16;
constexpr int kMaxSide = 16384;           // keeps width * height * 4 far from overflow
constexpr int kModeSpacingMs = 2000;      // mode changes closer than this wait ...
constexpr int kModeSpacingWaitMs = 2060;  // ... until this long after the previous one
constexpr int kModeSettleMs = 60;
constexpr uint64_t kSoftVBlankMicros = 16666;  // 60 Hz rhythm where the display cannot wait
constexpr int kPassSide = 256;                 // the start-up pass through the drawing path

struct ScreenRecord {
    int screenWidth, screenHeight;  // 0: none chosen (640 x 480)
    int screenColourBits;           // 0: none chosen (16)
    int refreshRate;                // 0: whatever the display offers
    int actualColourBits;
    int drawScreen;
    ClipRect clipRect;
    int clipEmpty;
    uint32_t drawBright;
    int blendMode, blendParam;
    int waitVSync;
    uint32_t lastModeChange;
    int modeChanged;  // lastModeChange is valid
    int started;
    int fullScreenShown;  // the display is in this program's full-screen mode
    uint32_t* front;      // what the window shows
    uint32_t* back;       // the frame being built
    int surfaceWidth, surfaceHeight;
};

ScreenRecord SCREEN = {};

int Width() {
    return SCREEN.screenWidth > 0 ? SCREEN.screenWidth : kDefaultWidth;
}
int Height() {
    return SCREEN.screenHeight > 0 ? SCREEN.screenHeight : kDefaultHeight;
}
int Bits() {
    return SCREEN.screenColourBits > 0 ? SCREEN.screenColourBits : kDefaultBits;
}

// A graphic that may be a draw target (made as a drawable screen), or null.
const GraphicRecord* ScreenGraphic(int target) {
    const GraphicRecord* record = GetGraphicRecord(target);
    return record && record->isScreen ? record : nullptr;
}

void FillBlack(const DrawSurface& s);

// The back screen with everything it owes written, as pixels anyone may write
// (back_fill.h); `settle` false: only its place and size.
DrawSurface SurfaceOf(int target, bool settle = true);

DrawSurface SurfaceOf(int target, bool settle) {
    DrawSurface s = {nullptr, 0, 0, 0};
    if (!SCREEN.started) return s;
    if (target == PAVEX_SCREEN_FRONT) {
        s.pixels = SCREEN.front;
    } else if (target == PAVEX_SCREEN_BACK) {
        s.pixels = SCREEN.back;
    } else {
        // A screen graphic deleted while it was the target leaves nothing to draw on.
        const GraphicRecord* record = ScreenGraphic(target);
        return record ? GraphicSurface(record) : s;
    }
    s.width = SCREEN.surfaceWidth;
    s.height = SCREEN.surfaceHeight;
    s.pitch = SCREEN.surfaceWidth * 4;
    if (settle && target == PAVEX_SCREEN_BACK) BackFillPayAll();
    return s;
}

// The size of the draw target: the screen size for the front and back screens.
void TargetSize(int* w, int* h) {
    DrawSurface s = SurfaceOf(SCREEN.drawScreen, false);
    if (s.pixels) {
        *w = s.width;
        *h = s.height;
    } else if (SCREEN.drawScreen >= 0) {
        *w = *h = 0;
    } else {
        *w = Width();
        *h = Height();
    }
}

int Clamp(int v, int lo, int hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

void SetClip(int x1, int y1, int x2, int y2) {
    int w = 0, h = 0;
    TargetSize(&w, &h);
    if (x1 > x2) {
        int t = x1;
        x1 = x2;
        x2 = t;
    }
    if (y1 > y2) {
        int t = y1;
        y1 = y2;
        y2 = t;
    }
    SCREEN.clipRect.x1 = Clamp(x1, 0, w);
    SCREEN.clipRect.x2 = Clamp(x2, 0, w);
    SCREEN.clipRect.y1 = Clamp(y1, 0, h);
    SCREEN.clipRect.y2 = Clamp(y2, 0, h);
    SCREEN.clipEmpty =
        (SCREEN.clipRect.x1 == SCREEN.clipRect.x2 || SCREEN.clipRect.y1 == SCREEN.clipRect.y2) ? 1
                                                                                               : 0;
}

void ReleaseSurfaces() {
    BackFillReset();
    TrackedFree(SCREEN.front);
    TrackedFree(SCREEN.back);
    SCREEN.front = nullptr;
    SCREEN.back = nullptr;
    SCREEN.surfaceWidth = 0;
    SCREEN.surfaceHeight = 0;
}

// Makes the two surfaces for the current mode (both black). Fatal when memory runs
// out: the running program cannot do without its screen.
void CreateSurfaces() {
    LogString("出力画面用の DirectDrawSurface を作成します\n");
    size_t bytes = static_cast<size_t>(Width()) * static_cast<size_t>(Height()) * 4u;
    SCREEN.front = static_cast<uint32_t*>(PAVEX_ALLOC_ZERO(bytes));
    if (!SCREEN.front) FatalErrorExit("プライマリサーフェスの作成に失敗しました");
    SCREEN.back = static_cast<uint32_t*>(PAVEX_ALLOC_ZERO(bytes));
    if (!SCREEN.back) FatalErrorExit("バックサーフェスの作成に失敗しました");
    SCREEN.surfaceWidth = Width();
    SCREEN.surfaceHeight = Height();
    BackFillReset();
    LogString("出力画面用の DirectDrawSurface の作成は正常に終了しました\n");
    // The memory screen is 32-bit 8-8-8 whatever depth was asked for.
    LogString("カラー情報\n");
    LogFormat("A:%08x  B:%08x  G:%08x  B:%08x", 0u, 0xFF0000u, 0xFF00u, 0xFFu);
}

// Waits until `target` (a tick count) has come.
void SleepUntil(uint32_t target) {
    for (;;) {
        int32_t left = static_cast<int32_t>(target - PlatTickMillis());
        if (left <= 0) return;
        PlatSleepMillis(left);
    }
}

// Sets the display for the stored mode: 0, or -1 when the display refused it.
int ApplyDisplayMode() {
    LogFormat("画面モードの変更処理を開始します %u x %u  %u bit ", static_cast<unsigned>(Width()),
              static_cast<unsigned>(Height()), static_cast<unsigned>(Bits()));
    PlatDesktopInfo desktop = {0, 0, 0, 0};
    int haveDesktop = PlatDesktop(&desktop) == 0;
    if (FrameIsWindowed()) {
        LogString("ウインドウモードにします\n");
        if (haveDesktop && (Width() > desktop.width || Height() > desktop.height))
            FatalErrorExit("デスクトップ画面のサイズが足りません、ソフトを終了します");
        if (SCREEN.fullScreenShown) LogString("フルスクリーンモードから抜けます\n");
        if (haveDesktop && desktop.bitsPerPixel == 24) return -1;
        if (FrameApplyWindowMode(Width(), Height(), 0) != 0) return -1;
        SCREEN.fullScreenShown = 0;
        LogString("画面モードの変更は正常に終了しました \n");
        return 0;
    }
    if (Bits() == 24) return -1;
    LogString("画面解像度を変更します... ");
    if (FrameApplyWindowMode(Width(), Height(), SCREEN.refreshRate) != 0 &&
        FrameApplyWindowMode(Width(), Height(), 0) != 0) {
        LogString("画面モードの変更に失敗しました\n");
        return -1;
    }
    SCREEN.fullScreenShown = 1;
    LogString("成功しました\n");
    LogString("画面モードの変更は正常に終了しました \n");
    return 0;
}

// The mode change: stores the new values and, with the graphics running, rebuilds
// the display and the surfaces. Returns 0 in the asked mode, -1 back in the old
// mode, -2 fallen back to 640 x 480 x 16.
int ChangeMode(int width, int height, int bits, int rate, bool force) {
    if (!force && width == SCREEN.screenWidth && height == SCREEN.screenHeight &&
        bits == SCREEN.screenColourBits && rate == SCREEN.refreshRate)
        return 0;
    const int oldW = SCREEN.screenWidth, oldH = SCREEN.screenHeight, oldB = SCREEN.screenColourBits,
              oldR = SCREEN.refreshRate;
    SCREEN.screenWidth = width;
    SCREEN.screenHeight = height;
    SCREEN.screenColourBits = bits;
    SCREEN.refreshRate = rate;
    if (!SCREEN.started) return 0;
    LogString("画面モード変更処理を開始します\n");

    uint32_t now = PlatTickMillis();
    if (SCREEN.modeChanged && static_cast<int32_t>(now - SCREEN.lastModeChange) < kModeSpacingMs)
        SleepUntil(SCREEN.lastModeChange + kModeSpacingWaitMs);
    else
        PlatSleepMillis(kModeSettleMs);
    SCREEN.lastModeChange = PlatTickMillis();
    SCREEN.modeChanged = 1;

    ReleaseSurfaces();
    int result = 0;
    if (ApplyDisplayMode() != 0) {
        // Back to the old mode, then to the smallest mode every display has.
        result = -2;
        if (oldW != width || oldH != height || oldB != bits || oldR != rate) {
            SCREEN.screenWidth = oldW;
            SCREEN.screenHeight = oldH;
            SCREEN.screenColourBits = oldB;
            SCREEN.refreshRate = oldR;
            if (ApplyDisplayMode() == 0) result = -1;
        }
        if (result == -2) {
            SCREEN.screenWidth = kDefaultWidth;
            SCREEN.screenHeight = kDefaultHeight;
            SCREEN.screenColourBits = kDefaultBits;
            SCREEN.refreshRate = 0;
            if (ApplyDisplayMode() != 0)
                FatalErrorExit("予期せぬ画面モード変更不能現象が起きました\n");
        }
    }
    SCREEN.actualColourBits = 32;
    CreateSurfaces();
    SetClip(0, 0, Width(), Height());
    LogString("画面モード変更処理は正常に終了しました\n");
    FramePump();
    return result;
}

// Waits for the next vertical blank where the display cannot do it itself: the next
// boundary of a 60 Hz rhythm on the microsecond clock.
void SoftVBlankWait() {
    uint64_t now = PlatMicroseconds();
    uint64_t next = (now / kSoftVBlankMicros + 1) * kSoftVBlankMicros;
    while (PlatMicroseconds() < next) PlatSleepMillis(1);
}

int Present(const uint32_t* pixels) {
    int wait = SCREEN.waitVSync && PlatCanWaitVBlank();
    if (SCREEN.waitVSync && !wait) SoftVBlankWait();
    if (!PlatWindowIsOpen()) return 0;
    PlatPresent(pixels, SCREEN.surfaceWidth, SCREEN.surfaceHeight, SCREEN.surfaceWidth * 4, wait);
    return 0;
}

void FillBlack(const DrawSurface& s) {
    if (!s.pixels) return;
    for (int y = 0; y < s.height; ++y)
        memset(reinterpret_cast<uint8_t*>(s.pixels) + static_cast<size_t>(y) * s.pitch, 0,
               static_cast<size_t>(s.width) * 4);
}

bool ValidModeArgument(int v, bool allowZero) {
    if (v == -1) return true;
    if (v < 0 || v > kMaxSide) return false;
    return allowZero || v != 0;
}

// ---- internal forms of the public calls ----

int SetScreenModeInternal(int width, int height, int bits, int rate) {
    if (!ValidModeArgument(width, false) || !ValidModeArgument(height, false)) return -1;
    if (rate < -1) return -1;
    int w = width == -1 ? Width() : width;
    int h = height == -1 ? Height() : height;
    int b = bits == -1 ? Bits() : bits;
    int r = rate == -1 ? SCREEN.refreshRate : rate;
    if (b != 8 && b != 16 && b != 32) return -1;
    if (!SCREEN.started) {
        SCREEN.screenWidth = w;
        SCREEN.screenHeight = h;
        SCREEN.screenColourBits = b;
        SCREEN.refreshRate = r;
        return 0;
    }
    // Every graphic handle dies with a mode change, also when nothing changes.
    DeleteAllGraphicsInternal(0);
    if (SCREEN.drawScreen >= 0) SCREEN.drawScreen = PAVEX_SCREEN_FRONT;
    return ChangeMode(w, h, b, r, false);
}

int ClearScreenInternal() {
    if (!SCREEN.started) return -1;
    FrameWaitWhileInactive();
    if (!SCREEN.started) return -1;
    if (SCREEN.drawScreen == PAVEX_SCREEN_BACK) {
        BackFillOweClear(SurfaceOf(PAVEX_SCREEN_BACK, false));
        return 0;
    }
    FillBlack(SurfaceOf(SCREEN.drawScreen));
    if (SCREEN.drawScreen == PAVEX_SCREEN_FRONT && PlatWindowIsOpen())
        PlatPresent(SCREEN.front, SCREEN.surfaceWidth, SCREEN.surfaceHeight,
                    SCREEN.surfaceWidth * 4, 0);
    return 0;
}

int FlipScreenInternal() {
    if (!SCREEN.started) return -1;
    FrameWaitWhileInactive();
    if (!SCREEN.started) return -1;
    if (SCREEN.drawScreen == PAVEX_SCREEN_FRONT) return Present(SCREEN.front);
    // The front screen keeps the finished picture, so an exposed window can be
    // painted again and the front screen can be read back.
    BackFillFinish();
    memcpy(SCREEN.front, SCREEN.back,
           static_cast<size_t>(SCREEN.surfaceWidth) * SCREEN.surfaceHeight * 4);
    return Present(SCREEN.back);
}

int SelectTarget(int target) {
    if (!SCREEN.started) return -1;
    if (target != PAVEX_SCREEN_FRONT && target != PAVEX_SCREEN_BACK && !ScreenGraphic(target))
        return -1;
    SCREEN.drawScreen = target;
    SetClip(0, 0, Width(), Height());
    return 0;
}

int StartUp() {
    LogIndent(1);
    SCREEN.started = 1;
    SCREEN.drawScreen = PAVEX_SCREEN_FRONT;
    // A mode the display refuses falls back (or ends the program); either way the
    // surfaces exist afterwards.
    ChangeMode(Width(), Height(), Bits(), SCREEN.refreshRate, true);
    LogString("グラフィック管理系の初期化を行います\n");
    LogIndent(1);
    SCREEN.drawBright = 0xFFFFFF;
    SCREEN.blendMode = 0;
    SCREEN.blendParam = 0;
    GraphicsStartUp();
    LogString("３Ｄグラフィック描画機能は使用しません\n");
    SCREEN.drawScreen = PAVEX_SCREEN_FRONT;
    SetClip(0, 0, Width(), Height());
    LogIndent(-1);
    LogString("グラフィック管理系の初期化は正常に終了しました\n");
    LogIndent(-1);
    return 0;
}

}  // namespace

// ---- screen.h ----

int ScreenStartUp() {
    return StartUp();
}

void ScreenShutDown() {
    if (!SCREEN.started && !SCREEN.front && !SCREEN.back) return;
    GraphicsShutDown();
    ReleaseSurfaces();
    SCREEN.started = 0;
    LogString("グラフィック管理系の終了処理は正常に終了しました\n");
}

int ScreenStarted() {
    return SCREEN.started;
}
int ScreenWidth() {
    return Width();
}
int ScreenHeight() {
    return Height();
}
int ScreenColourBits() {
    return SCREEN.started ? SCREEN.actualColourBits : Bits();
}
DrawSurface ScreenSurface(int target) {
    return SurfaceOf(target);
}

DrawState ScreenDrawState() {
    DrawState d = ScreenDrawStateUnsettled();
    if (d.target == PAVEX_SCREEN_BACK) BackFillPayAll();
    return d;
}

DrawState ScreenDrawStateUnsettled() {
    DrawState d;
    d.target = SCREEN.drawScreen;
    d.surface = SurfaceOf(SCREEN.drawScreen, false);
    d.clip = SCREEN.clipRect;
    d.clipEmpty = SCREEN.clipEmpty;
    d.bright = SCREEN.drawBright;
    d.blendMode = SCREEN.blendMode;
    d.blendParam = SCREEN.blendParam;
    return d;
}

void ScreenSetBlend(int mode, int param) {
    SCREEN.blendMode = mode;
    SCREEN.blendParam = param;
}

int ScreenClipEmpty() {
    return SCREEN.clipEmpty;
}

void ScreenShowFrontIfTarget(const DrawState& state) {
    if (state.target == PAVEX_SCREEN_FRONT && SCREEN.started && PlatWindowIsOpen())
        PlatPresent(SCREEN.front, SCREEN.surfaceWidth, SCREEN.surfaceHeight,
                    SCREEN.surfaceWidth * 4, 0);
}

void ScreenReady() {
    if (!SCREEN.started) return;
    SCREEN.waitVSync = 1;
    SelectTarget(PAVEX_SCREEN_BACK);
    SelectTarget(PAVEX_SCREEN_FRONT);
    // One pass through the drawing path, as a program's first frame will take it:
    // a screen graphic made and deleted, black pictures drawn blended, plain and
    // stretched. Every graphic made here is gone again afterwards.
    DeleteGraphic(AddGraphic(kPassSide, kPassSide, 0, 1), 0);
    const int black = AddGraphic(kPassSide, kPassSide, 0, 0);
    const int second = AddGraphic(kPassSide, kPassSide, 0, 0);
    SelectTarget(PAVEX_SCREEN_BACK);
    SelectBlendMode(3, 128);
    DrawImage(0, 0, black, 0);
    SelectBlendMode(0, 0);
    SelectTarget(PAVEX_SCREEN_FRONT);
    DrawImage(0, 0, black, 0);
    DrawImageStretched(0, 0, 640, 480, second, 0);
    DeleteGraphic(black, 0);
    DeleteGraphic(second, 0);
}

void ScreenWindowEvent(int event) {
    if (!SCREEN.started) return;
    if (event == SERVICE_EVENT_EXPOSED) {
        PlatPresent(SCREEN.front, SCREEN.surfaceWidth, SCREEN.surfaceHeight,
                    SCREEN.surfaceWidth * 4, 0);
        return;
    }
    // The desktop changed under a window: a screen that no longer fits on it, or a
    // desktop depth the layer cannot show, ends the program through a close request.
    PlatDesktopInfo desktop = {0, 0, 0, 0};
    if (!FrameIsWindowed() || PlatDesktop(&desktop) != 0) return;
    if (desktop.width >= Width() && desktop.height >= Height() && desktop.bitsPerPixel != 24 &&
        desktop.bitsPerPixel >= 16)
        return;
    LogString("復元関数が登録されていないためか画面が２４ビットカラーに変更されたため終了します\n");
    LogString("またはスクリーンが小さすぎるためか色ビット数の違いが大きいためか終了します\n");
    FrameRequestClose();
}

int ScreenRebuild() {
    if (!SCREEN.started) return 0;
    return ChangeMode(SCREEN.screenWidth, SCREEN.screenHeight, SCREEN.screenColourBits,
                      SCREEN.refreshRate, true);
}

void ScreenResetDefaults() {
    if (SCREEN.started) return;
    ReleaseSurfaces();
    SCREEN = ScreenRecord{};
}

// ---- public calls ----

int SetScreenMode(int width, int height, int colourBits, int refreshRate) {
    ApiScope lock;
    return SetScreenModeInternal(width, height, colourBits, refreshRate);
}

int GetScreenSize(int* width, int* height) {
    ApiScope lock;
    if (width) *width = Width();
    if (height) *height = Height();
    return 0;
}

int ClearScreen() {
    ApiScope lock;
    return ClearScreenInternal();
}

int FlipScreen() {
    ApiScope lock;
    return FlipScreenInternal();
}

int SetFlipWaitsVBlank(int wait) {
    ApiScope lock;
    SCREEN.waitVSync = wait ? 1 : 0;
    return 0;
}

int SelectDrawTarget(int target) {
    ApiScope lock;
    if (!SCREEN.started) return -1;
    FrameWaitWhileInactive();
    return SelectTarget(target);
}

int SetClipRect(int x1, int y1, int x2, int y2) {
    ApiScope lock;
    if (SCREEN.started) FrameWaitWhileInactive();
    SetClip(x1, y1, x2, y2);
    return 0;
}

int SetDrawBrightness(int red, int green, int blue) {
    ApiScope lock;
    SCREEN.drawBright = (static_cast<uint32_t>(Clamp(red, 0, 255)) << 16) |
                        (static_cast<uint32_t>(Clamp(green, 0, 255)) << 8) |
                        static_cast<uint32_t>(Clamp(blue, 0, 255));
    return 0;
}
