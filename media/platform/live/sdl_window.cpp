// sdl_window.cpp - the window and display of the live platform (plat_window.h) on
// SDL2: one window, its events (polled on the main thread only), and a streaming
// XRGB8888 texture that shows the library's memory screen, scaled to the client
// area when that is larger. The display waits for the vertical blank only when a
// flip asks for it. Alt+Enter and F11 switch the window to a borderless view over the
// whole desktop and back; the library's screen mode does not change (the picture is
// only scaled), so nothing above the platform sees the switch.
//
// Owns: the SDL window, renderer and texture. Device events (pads plugged in or
// pulled out) go to the live input service (sdl_input_events.h); everything else of
// input stays there.
#include <SDL.h>

#include "media/platform/live/sdl_input_events.h"
#include "media/platform/live/sdl_timing.h"
#include "media/platform/plat_window.h"

namespace {

struct LiveWindow {
    int videoStarted;
    SDL_Window* window;
    SDL_Renderer* renderer;
    SDL_Texture* texture;
    int textureWidth, textureHeight;
    int vsyncOn;      // the renderer's present waits for the blank now
    int vsyncWorks;   // the renderer can wait for the blank at all
    int hasPicture;   // the texture holds a presented picture
    int flags;        // the PlatWindowFlag set the window was made or last changed with
    int desktopView;  // shown borderless over the whole desktop (Alt+Enter, F11)
};

LiveWindow W = {};

void DestroyWindowObjects() {
    if (W.texture) SDL_DestroyTexture(W.texture);
    if (W.renderer) SDL_DestroyRenderer(W.renderer);
    if (W.window) SDL_DestroyWindow(W.window);
    W.texture = nullptr;
    W.renderer = nullptr;
    W.window = nullptr;
    W.textureWidth = W.textureHeight = 0;
    W.vsyncOn = W.vsyncWorks = W.hasPicture = W.flags = W.desktopView = 0;
}

void ShowCursorFor(int flags, int desktopView) {
    const bool hide = (flags & PLAT_WINDOW_HIDE_CURSOR) || desktopView;
    SDL_ShowCursor(hide ? SDL_DISABLE : SDL_ENABLE);
}

bool IsDesktopViewKey(const SDL_KeyboardEvent& key) {
    if (key.repeat) return false;
    if (key.keysym.scancode == SDL_SCANCODE_F11) return true;
    const bool enter =
        key.keysym.scancode == SDL_SCANCODE_RETURN || key.keysym.scancode == SDL_SCANCODE_KP_ENTER;
    return enter && (key.keysym.mod & KMOD_ALT) != 0;
}

// The desktop view is SDL's "full screen desktop": the display keeps its mode and
// the renderer's logical size scales the picture to it with its proportions kept
// (black bars fill the rest). An exclusive full-screen window is left alone.
void ToggleDesktopView() {
    if (!W.window || (W.flags & PLAT_WINDOW_FULLSCREEN)) return;
    const int want = !W.desktopView;
    if (SDL_SetWindowFullscreen(W.window, want ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return;
    W.desktopView = want;
    ShowCursorFor(W.flags, W.desktopView);
}

Uint32 SdlFlags(int flags) {
    Uint32 f = SDL_WINDOW_SHOWN;
    if (flags & PLAT_WINDOW_FULLSCREEN)
        f |= SDL_WINDOW_FULLSCREEN;
    else if (!(flags & PLAT_WINDOW_CAPTION))
        f |= SDL_WINDOW_BORDERLESS;
    if (flags & PLAT_WINDOW_UTILITY) f |= SDL_WINDOW_UTILITY;
    if (flags & PLAT_WINDOW_TOPMOST) f |= SDL_WINDOW_ALWAYS_ON_TOP;
    return f;
}

// Makes (or remakes) the texture for pictures of width x height; the renderer's
// logical size makes SDL scale it to the client area, keeping its proportions.
bool EnsureTexture(int width, int height) {
    if (W.texture && W.textureWidth == width && W.textureHeight == height) return true;
    if (W.texture) SDL_DestroyTexture(W.texture);
    // Scaled pictures (a larger window, the desktop view) are filtered, not blocky.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    W.texture = SDL_CreateTexture(W.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                  width, height);
    W.hasPicture = 0;
    if (!W.texture) {
        W.textureWidth = W.textureHeight = 0;
        return false;
    }
    W.textureWidth = width;
    W.textureHeight = height;
    SDL_RenderSetLogicalSize(W.renderer, width, height);
    return true;
}

void ShowTexture() {
    SDL_SetRenderDrawColor(W.renderer, 0, 0, 0, 255);
    SDL_RenderClear(W.renderer);
    if (W.hasPicture) SDL_RenderCopy(W.renderer, W.texture, nullptr, nullptr);
    SDL_RenderPresent(W.renderer);
}

}  // namespace

int PlatVideoStart() {
    if (W.videoStarted) return 0;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return -1;
    SDL_DisableScreenSaver();
    W.videoStarted = 1;
    return 0;
}

void PlatVideoStop() {
    if (!W.videoStarted) return;
    DestroyWindowObjects();
    SDL_EnableScreenSaver();
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    // The last subsystem gone: let SDL release what it keeps beside them (its
    // desktop-bus connection among others).
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
    W.videoStarted = 0;
}

int PlatDesktop(PlatDesktopInfo* out) {
    if (!W.videoStarted || !out) return -1;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return -1;
    out->width = mode.w;
    out->height = mode.h;
    // Storage bits: a 24-bit colour desktop stores its pixels in 32 bits.
    out->bitsPerPixel = SDL_BYTESPERPIXEL(mode.format) * 8;
    out->refreshRate = mode.refresh_rate;
    return 0;
}

int PlatWindowOpen(const char* titleUtf8, int clientWidth, int clientHeight, int flags) {
    if (!W.videoStarted || W.window || clientWidth <= 0 || clientHeight <= 0) return -1;
    W.window = SDL_CreateWindow(titleUtf8 ? titleUtf8 : "", SDL_WINDOWPOS_CENTERED,
                                SDL_WINDOWPOS_CENTERED, clientWidth, clientHeight, SdlFlags(flags));
    if (!W.window) return -1;
    W.renderer = SDL_CreateRenderer(W.window, -1, 0);
    if (!W.renderer) W.renderer = SDL_CreateRenderer(W.window, -1, SDL_RENDERER_SOFTWARE);
    if (!W.renderer) {
        DestroyWindowObjects();
        return -1;
    }
    W.vsyncWorks = SDL_RenderSetVSync(W.renderer, 1) == 0;
    SDL_RenderSetVSync(W.renderer, 0);
    W.vsyncOn = 0;
    W.flags = flags;
    ShowCursorFor(flags, 0);
    ShowTexture();  // black until the first picture
    return 0;
}

void PlatWindowClose() {
    DestroyWindowObjects();
}

int PlatWindowIsOpen() {
    return W.window ? 1 : 0;
}

void PlatWindowSetTitle(const char* titleUtf8) {
    if (W.window) SDL_SetWindowTitle(W.window, titleUtf8 ? titleUtf8 : "");
}

int PlatWindowSetMode(int clientWidth, int clientHeight, int flags, int refreshRate) {
    if (!W.window || clientWidth <= 0 || clientHeight <= 0) return -1;
    if (flags & PLAT_WINDOW_FULLSCREEN) {
        SDL_DisplayMode want = {0, clientWidth, clientHeight, refreshRate, nullptr};
        SDL_DisplayMode mode;
        if (!SDL_GetClosestDisplayMode(0, &want, &mode)) return -1;
        if (mode.w != clientWidth || mode.h != clientHeight) return -1;
        if (refreshRate > 0 && mode.refresh_rate != refreshRate) return -1;
        if (SDL_SetWindowDisplayMode(W.window, &mode) != 0) return -1;
        if (SDL_SetWindowFullscreen(W.window, SDL_WINDOW_FULLSCREEN) != 0) return -1;
    } else {
        if (SDL_SetWindowFullscreen(W.window, 0) != 0) return -1;
        SDL_SetWindowBordered(W.window, (flags & PLAT_WINDOW_CAPTION) ? SDL_TRUE : SDL_FALSE);
        SDL_SetWindowAlwaysOnTop(W.window, (flags & PLAT_WINDOW_TOPMOST) ? SDL_TRUE : SDL_FALSE);
        SDL_SetWindowSize(W.window, clientWidth, clientHeight);
        SDL_SetWindowPosition(W.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    W.flags = flags;
    W.desktopView = 0;
    ShowCursorFor(flags, 0);
    return 0;
}

int PlatWindowDisableTextInput() {
    if (!W.window) return 0;
    SDL_StopTextInput();
    return 1;
}

void PlatWindowRaise() {
    if (W.window) SDL_RaiseWindow(W.window);
}

int PlatPollEvent(PlatEvent* out) {
    if (!W.videoStarted || !out) return 0;
    SDL_Event e;
    if (!SDL_PollEvent(&e)) return 0;
    out->type = PLAT_EVENT_OTHER;
    out->width = out->height = 0;
    if (SdlInputHandleEvent(e)) return 1;
    if (e.type == SDL_KEYDOWN && IsDesktopViewKey(e.key)) {
        ToggleDesktopView();
    } else if (e.type == SDL_QUIT) {
        out->type = PLAT_EVENT_CLOSE_REQUEST;
    } else if (e.type == SDL_DISPLAYEVENT) {
        // SDL 2 reports displays that come, go or turn; the frame then checks
        // whether the screen still fits on the desktop.
        out->type = PLAT_EVENT_DISPLAY_CHANGED;
    } else if (e.type == SDL_WINDOWEVENT) {
        switch (e.window.event) {
            case SDL_WINDOWEVENT_CLOSE:
                out->type = PLAT_EVENT_CLOSE_REQUEST;
                break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                out->type = PLAT_EVENT_FOCUS_GAINED;
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                out->type = PLAT_EVENT_FOCUS_LOST;
                break;
            case SDL_WINDOWEVENT_EXPOSED:
                out->type = PLAT_EVENT_EXPOSED;
                break;
            case SDL_WINDOWEVENT_DISPLAY_CHANGED:  // moved onto another display
                out->type = PLAT_EVENT_DISPLAY_CHANGED;
                break;
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                out->type = PLAT_EVENT_RESIZED;
                out->width = e.window.data1;
                out->height = e.window.data2;
                break;
            default:
                break;
        }
    }
    return 1;
}

int PlatPresent(const uint32_t* pixels, int width, int height, int pitchBytes, int waitVBlank) {
    if (!W.renderer || !pixels || width <= 0 || height <= 0 || pitchBytes < width * 4) return -1;
    if (!EnsureTexture(width, height)) return -1;
    int wantVsync = (waitVBlank && W.vsyncWorks) ? 1 : 0;
    if (wantVsync != W.vsyncOn) {
        SDL_RenderSetVSync(W.renderer, wantVsync);
        W.vsyncOn = wantVsync;
    }
    if (SDL_UpdateTexture(W.texture, nullptr, pixels, pitchBytes) != 0) return -1;
    W.hasPicture = 1;
    ShowTexture();
    return 0;
}

int PlatCanWaitVBlank() {
    return W.vsyncWorks;
}

void SdlDelayMillis(uint32_t ms) {
    SDL_Delay(ms);
}

uint32_t SdlTicksMillis() {
    return SDL_GetTicks();
}
