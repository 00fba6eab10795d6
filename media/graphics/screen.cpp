// screen.cpp - the screen: its mode, the front and back surfaces (32-bit XRGB in
// memory), the draw target, the clip rectangle, the drawing brightness, clear and
// flip, and the graphics start-up and shutdown that InitMediaLayer and EndMediaLayer
// run.
//
// Owns: the one screen record below and the two pixel buffers (through the tracking
// allocator). Presents through plat_window.h only; never touches the window itself
// except through the frame (FrameApplyWindowMode). Drawing primitives, graphic
// handles and text live in their own units and reach the surfaces through screen.h.
#include "media/graphics/screen.h"

#include <stdint.h>
#include <string.h>

#include "media/core/api_lock.h"
#include "media/core/frame.h"
#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
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
    int vsyncMinGap;  // -1: no measured refresh (memory screen)
    uint32_t lastVSync;
    uint32_t lastModeChange;
    int modeChanged;  // lastModeChange is valid
    int started;
    uint32_t* front;  // what the window shows
    uint32_t* back;   // the frame being built
    int surfaceWidth, surfaceHeight;
    uint32_t frameCount;
};

ScreenRecord S = {};

int Width() {
    return S.screenWidth > 0 ? S.screenWidth : kDefaultWidth;
}
int Height() {
    return S.screenHeight > 0 ? S.screenHeight : kDefaultHeight;
}
int Bits() {
    return S.screenColourBits > 0 ? S.screenColourBits : kDefaultBits;
}

DrawSurface SurfaceOf(int target) {
    DrawSurface s = {nullptr, 0, 0, 0};
    if (!S.started) return s;
    if (target == PAVEX_SCREEN_FRONT)
        s.pixels = S.front;
    else if (target == PAVEX_SCREEN_BACK)
        s.pixels = S.back;
    else
        return s;
    s.width = S.surfaceWidth;
    s.height = S.surfaceHeight;
    s.pitch = S.surfaceWidth * 4;
    return s;
}

// The size of the draw target: the screen size for the front and back screens.
void TargetSize(int* w, int* h) {
    DrawSurface s = SurfaceOf(S.drawScreen);
    if (s.pixels) {
        *w = s.width;
        *h = s.height;
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
    S.clipRect.x1 = Clamp(x1, 0, w);
    S.clipRect.x2 = Clamp(x2, 0, w);
    S.clipRect.y1 = Clamp(y1, 0, h);
    S.clipRect.y2 = Clamp(y2, 0, h);
    S.clipEmpty = (S.clipRect.x1 == S.clipRect.x2 || S.clipRect.y1 == S.clipRect.y2) ? 1 : 0;
}

void ReleaseSurfaces() {
    TrackedFree(S.front);
    TrackedFree(S.back);
    S.front = nullptr;
    S.back = nullptr;
    S.surfaceWidth = 0;
    S.surfaceHeight = 0;
}

// Makes the two surfaces for the current mode (both black). Fatal when memory runs
// out: the running program cannot do without its screen.
void CreateSurfaces() {
    LogString("出力画面用の DirectDrawSurface を作成します\n");
    size_t bytes = static_cast<size_t>(Width()) * static_cast<size_t>(Height()) * 4u;
    S.front = static_cast<uint32_t*>(PAVEX_ALLOC_ZERO(bytes));
    if (!S.front) FatalErrorExit("プライマリサーフェスの作成に失敗しました");
    S.back = static_cast<uint32_t*>(PAVEX_ALLOC_ZERO(bytes));
    if (!S.back) FatalErrorExit("バックサーフェスの作成に失敗しました");
    S.surfaceWidth = Width();
    S.surfaceHeight = Height();
    LogString("出力画面用の DirectDrawSurface の作成は正常に終了しました\n");
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
        if (haveDesktop && desktop.bitsPerPixel == 24) return -1;
        if (FrameApplyWindowMode(Width(), Height(), 0) != 0) return -1;
        LogString("画面モードの変更は正常に終了しました \n");
        return 0;
    }
    if (Bits() == 24) return -1;
    LogString("画面解像度を変更します... ");
    if (FrameApplyWindowMode(Width(), Height(), S.refreshRate) != 0 &&
        FrameApplyWindowMode(Width(), Height(), 0) != 0) {
        LogString("画面モードの変更に失敗しました\n");
        return -1;
    }
    LogString("成功しました\n");
    LogString("画面モードの変更は正常に終了しました \n");
    return 0;
}

// The mode change: stores the new values and, with the graphics running, rebuilds
// the display and the surfaces. Returns 0 in the asked mode, -1 back in the old
// mode, -2 fallen back to 640 x 480 x 16.
int ChangeMode(int width, int height, int bits, int rate, bool force) {
    if (!force && width == S.screenWidth && height == S.screenHeight &&
        bits == S.screenColourBits && rate == S.refreshRate)
        return 0;
    const int oldW = S.screenWidth, oldH = S.screenHeight, oldB = S.screenColourBits,
              oldR = S.refreshRate;
    S.screenWidth = width;
    S.screenHeight = height;
    S.screenColourBits = bits;
    S.refreshRate = rate;
    if (!S.started) return 0;
    LogString("画面モード変更処理を開始します\n");

    uint32_t now = PlatTickMillis();
    if (S.modeChanged && static_cast<int32_t>(now - S.lastModeChange) < kModeSpacingMs)
        SleepUntil(S.lastModeChange + kModeSpacingWaitMs);
    else
        PlatSleepMillis(kModeSettleMs);
    S.lastModeChange = PlatTickMillis();
    S.modeChanged = 1;

    ReleaseSurfaces();
    int result = 0;
    if (ApplyDisplayMode() != 0) {
        // Back to the old mode, then to the smallest mode every display has.
        result = -2;
        if (oldW != width || oldH != height || oldB != bits || oldR != rate) {
            S.screenWidth = oldW;
            S.screenHeight = oldH;
            S.screenColourBits = oldB;
            S.refreshRate = oldR;
            if (ApplyDisplayMode() == 0) result = -1;
        }
        if (result == -2) {
            S.screenWidth = kDefaultWidth;
            S.screenHeight = kDefaultHeight;
            S.screenColourBits = kDefaultBits;
            S.refreshRate = 0;
            if (ApplyDisplayMode() != 0)
                FatalErrorExit("予期せぬ画面モード変更不能現象が起きました\n");
        }
    }
    S.actualColourBits = 32;
    S.vsyncMinGap = -1;
    CreateSurfaces();
    SetClip(0, 0, Width(), Height());
    LogString("画面モード変更処理は正常に終了しました\n");
    S.frameCount = 0;
    ProcessMessage();
    return result;
}

// Waits for the next vertical blank where the display cannot do it itself: the next
// boundary of a 60 Hz rhythm on the microsecond clock.
void SoftVBlankWait() {
    uint64_t now = PlatMicroseconds();
    uint64_t next = (now / kSoftVBlankMicros + 1) * kSoftVBlankMicros;
    while (PlatMicroseconds() < next) PlatSleepMillis(1);
    S.lastVSync = PlatTickMillis();
}

int Present(const uint32_t* pixels) {
    int wait = S.waitVSync && PlatCanWaitVBlank();
    if (S.waitVSync && !wait) SoftVBlankWait();
    if (!PlatWindowIsOpen()) return 0;
    PlatPresent(pixels, S.surfaceWidth, S.surfaceHeight, S.surfaceWidth * 4, wait);
    if (wait) S.lastVSync = PlatTickMillis();
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
    int r = rate == -1 ? S.refreshRate : rate;
    if (b != 8 && b != 16 && b != 32) return -1;
    if (!S.started) {
        S.screenWidth = w;
        S.screenHeight = h;
        S.screenColourBits = b;
        S.refreshRate = r;
        return 0;
    }
    // Graphic handles die with the surfaces; the graphic table clears itself when the
    // image unit joins.
    return ChangeMode(w, h, b, r, false);
}

int ClearScreenInternal() {
    if (!S.started) return -1;
    FrameWaitWhileInactive();
    if (!S.started) return -1;
    FillBlack(SurfaceOf(S.drawScreen));
    if (S.drawScreen == PAVEX_SCREEN_FRONT && PlatWindowIsOpen())
        PlatPresent(S.front, S.surfaceWidth, S.surfaceHeight, S.surfaceWidth * 4, 0);
    return 0;
}

int FlipScreenInternal() {
    if (!S.started) return -1;
    FrameWaitWhileInactive();
    if (!S.started) return -1;
    ++S.frameCount;
    if (S.drawScreen == PAVEX_SCREEN_FRONT) return Present(S.front);
    // The front screen keeps the finished picture, so an exposed window can be
    // painted again and the front screen can be read back.
    memcpy(S.front, S.back, static_cast<size_t>(S.surfaceWidth) * S.surfaceHeight * 4);
    return Present(S.back);
}

int StartUp() {
    LogIndent(1);
    S.started = 1;
    S.drawScreen = PAVEX_SCREEN_FRONT;
    // A mode the display refuses falls back (or ends the program); either way the
    // surfaces exist afterwards.
    ChangeMode(Width(), Height(), Bits(), S.refreshRate, true);
    LogString("グラフィック管理系の初期化を行います\n");
    LogIndent(1);
    S.drawBright = 0xFFFFFF;
    S.blendMode = 0;
    S.blendParam = 0;
    LogString("３Ｄグラフィック描画機能は使用しません\n");
    S.drawScreen = PAVEX_SCREEN_FRONT;
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
    if (!S.started && !S.front && !S.back) return;
    ReleaseSurfaces();
    S.started = 0;
    LogString("グラフィック管理系の終了処理は正常に終了しました\n");
}

int ScreenStarted() {
    return S.started;
}
int ScreenWidth() {
    return Width();
}
int ScreenHeight() {
    return Height();
}
int ScreenColourBits() {
    return S.started ? S.actualColourBits : Bits();
}
int ScreenDrawTarget() {
    return S.drawScreen;
}
DrawSurface ScreenDrawSurface() {
    return SurfaceOf(S.drawScreen);
}
DrawSurface ScreenSurface(int target) {
    return SurfaceOf(target);
}
ClipRect ScreenClip() {
    return S.clipRect;
}
int ScreenClipEmpty() {
    return S.clipEmpty;
}
uint32_t ScreenDrawBright() {
    return S.drawBright;
}
void ScreenSetBlend(int mode, int param) {
    S.blendMode = mode;
    S.blendParam = param;
}
int ScreenBlendMode() {
    return S.blendMode;
}
int ScreenBlendParam() {
    return S.blendParam;
}
void ScreenSetWaitVSync(int wait) {
    S.waitVSync = wait ? 1 : 0;
}

int ScreenSelectTarget(int target) {
    if (!S.started) return -1;
    if (target != PAVEX_SCREEN_FRONT && target != PAVEX_SCREEN_BACK) return -1;
    S.drawScreen = target;
    SetClip(0, 0, Width(), Height());
    return 0;
}

void ScreenRepaint() {
    if (!S.started || !S.front) return;
    PlatPresent(S.front, S.surfaceWidth, S.surfaceHeight, S.surfaceWidth * 4, 0);
}

int ScreenRebuild() {
    if (!S.started) return 0;
    return ChangeMode(S.screenWidth, S.screenHeight, S.screenColourBits, S.refreshRate, true);
}

void ScreenResetDefaults() {
    if (S.started) return;
    ReleaseSurfaces();
    S = ScreenRecord{};
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
    ScreenSetWaitVSync(wait);
    return 0;
}

int SelectDrawTarget(int target) {
    ApiScope lock;
    if (!S.started) return -1;
    FrameWaitWhileInactive();
    return ScreenSelectTarget(target);
}

int SetClipRect(int x1, int y1, int x2, int y2) {
    ApiScope lock;
    if (S.started) FrameWaitWhileInactive();
    SetClip(x1, y1, x2, y2);
    return 0;
}

int SetDrawBrightness(int red, int green, int blue) {
    ApiScope lock;
    S.drawBright = (static_cast<uint32_t>(Clamp(red, 0, 255)) << 16) |
                   (static_cast<uint32_t>(Clamp(green, 0, 255)) << 8) |
                   static_cast<uint32_t>(Clamp(blue, 0, 255));
    return 0;
}
