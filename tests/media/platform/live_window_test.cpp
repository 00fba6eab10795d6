// live_window_test.cpp - the desktop view of the live window under SDL's dummy video
// driver: Alt+Enter and F11 switch it on and off, a plain Enter or a held key's repeat
// does not, and a mode change of the library leaves it.
#include <SDL.h>
#include <gtest/gtest.h>

#include "media/platform/plat_window.h"

namespace {

void Press(SDL_Scancode code, Uint16 mod, Uint8 repeat = 0) {
    SDL_Event e = {};
    e.type = SDL_KEYDOWN;
    e.key.keysym.scancode = code;
    e.key.keysym.mod = mod;
    e.key.repeat = repeat;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    for (PlatEvent out; PlatPollEvent(&out);) continue;  // the window sees the key here
}

bool DesktopView() {
    SDL_Window* window = SDL_GetWindowFromID(1);
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
                         SDL_WINDOW_FULLSCREEN_DESKTOP;
}

TEST(LiveWindow, AltEnterAndF11SwitchTheDesktopViewAndNothingElseDoes) {
    ASSERT_EQ(PlatVideoStart(), 0);
    ASSERT_EQ(PlatWindowOpen("t", 800, 600, PLAT_WINDOW_CAPTION), 0);
    Press(SDL_SCANCODE_RETURN, KMOD_NONE);
    EXPECT_FALSE(DesktopView());
    Press(SDL_SCANCODE_RETURN, KMOD_LALT);
    EXPECT_TRUE(DesktopView());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    Press(SDL_SCANCODE_F11, KMOD_NONE, 1);  // a repeat of the held key
    EXPECT_TRUE(DesktopView());
    Press(SDL_SCANCODE_F11, KMOD_NONE);
    EXPECT_FALSE(DesktopView());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    Press(SDL_SCANCODE_KP_ENTER, KMOD_RALT);
    EXPECT_TRUE(DesktopView());
    ASSERT_EQ(PlatWindowSetMode(800, 600, PLAT_WINDOW_CAPTION, 60), 0);
    EXPECT_FALSE(DesktopView());
    Press(SDL_SCANCODE_F11, KMOD_NONE);  // the next press switches it on again
    EXPECT_TRUE(DesktopView());
    PlatWindowClose();
    PlatVideoStop();
}

}  // namespace
