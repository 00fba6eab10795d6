// plat_input.h - keyboard, mouse buttons and game pads, as the input area needs them
// of the platform.
//
// Implemented by media/platform/live (SDL2) and by the scripted platform. The
// platform translates its own key identifiers into the library's one-byte key codes,
// so everything above it speaks key codes only. Pads are named by ids that stay
// unique for the whole run (a pad pulled out and plugged in again gets a new id), so
// a stale id is always recognised as gone and never reaches a closed device.
#ifndef PAVEX_PLATFORM_INPUT_H
#define PAVEX_PLATFORM_INPUT_H

#include <stdint.h>

// Results of PlatInputOpen, OR-ed together; 0 means everything is there.
#define PLAT_INPUT_NO_KEYBOARD 0x1
#define PLAT_INPUT_NO_MOUSE 0x2
#define PLAT_INPUT_NO_PADS 0x4  // the pad subsystem could not be started; no pads at all

// Opens keyboard, mouse and the pad subsystem and enumerates the attached pads.
// Opening twice is harmless; Close releases every pad.
int PlatInputOpen();
void PlatInputClose();

// Fills 256 bytes indexed by key code: 0x80 when the key is down, else 0.
void PlatReadKeyboard(uint8_t keys[256]);

// Mouse buttons down: bit i set while button i+1 is down (left, right, middle, then
// the extra buttons), up to 8 buttons.
uint32_t PlatReadMouseButtons();

#define PLAT_MAX_PADS 8
#define PLAT_PAD_AXES 6  // X, Y, Z, Rx, Ry, Rz
#define PLAT_PAD_BUTTONS 32

// Every pad attached now, in the order they were found (at most PLAT_MAX_PADS).
// Writes the ids and returns the count.
int PlatListPads(uint32_t ids[PLAT_MAX_PADS]);
// Changes each time a pad arrives, leaves or fails to open: a cheap way to notice
// that PlatListPads would give a different answer.
uint32_t PlatPadChangeCount();
// How many controllers could not be opened at all since PlatInputOpen.
uint32_t PlatPadOpenFailures();

struct PlatPadInfo {
    char name[64];     // the name the device registers (zero-terminated, UTF-8)
    char product[64];  // product name (mapping name for known controllers)
    int hasRumble;     // 1 when the pad has rumble motors
};
// 0, or -1 when no such pad is attached (info zeroed).
int PlatDescribePad(uint32_t id, PlatPadInfo* info);

struct PlatPadState {
    int32_t axes[PLAT_PAD_AXES];        // -1000..1000, 0 inside the quarter dead zone
    uint8_t buttons[PLAT_PAD_BUTTONS];  // 0x80 while pressed
};
// 0, or -1 when the pad is gone (state zeroed).
int PlatReadPad(uint32_t id, PlatPadState* state);

// Sets the two rumble motors (0..65535 each: low-frequency and high-frequency) for at
// most durationMs; the motors stop by themselves afterwards. 0, or -1 when the pad is
// gone or cannot rumble.
int PlatSetPadRumble(uint32_t id, uint16_t low, uint16_t high, uint32_t durationMs);

#endif
