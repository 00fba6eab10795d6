// sdl_input.cpp - keyboard, mouse buttons and game pads of the live platform (SDL2).
//
// Owns: the SDL game-controller subsystem, the table of open pads (at most 8, in the
// order they were found), pad ids, hot-plug handling and rumble. Must not touch the
// window or the event loop: the frame's event poll hands device events in through
// SdlInputHandleEvent, on the main thread, under the API lock like every other call
// here.
//
// Pads with a known controller mapping are read as controllers:
//   axes    X, Y = left stick; Z = right trigger minus left trigger; Rx, Ry = right
//           stick; Rz = 0
//   buttons 1 A, 2 B, 3 X, 4 Y, 5 left shoulder, 6 right shoulder, 7 back, 8 start,
//           9 left stick, 10 right stick, 11 guide, 12 misc, 13..16 d-pad up, right,
//           down, left (the layout the game reads as a second set of directions),
//           17..20 paddles, 21 touchpad
// Other devices are read as raw joysticks: axes 0..5 and buttons 0..31 in SDL's order.
// On both, the d-pad (the first hat of a raw joystick) also moves X and Y while the
// stick rests, so that screens reading only the direction bits follow the d-pad.
#include <SDL.h>
#include <string.h>

#include "media/platform/live/sdl_input_events.h"
#include "media/platform/live/sdl_input_tables.h"
#include "media/platform/plat_input.h"

namespace {

struct LivePad {
    uint32_t id;  // 0: slot unused
    SDL_JoystickID instance;
    SDL_GameController* controller;  // null for a raw joystick
    SDL_Joystick* joystick;          // owned by the controller when there is one
    int hasRumble;
};

struct InputData {
    int open;
    int padsReady;  // the game-controller sub-system is started
    LivePad pads[PLAT_MAX_PADS];
    int padCount;
    uint32_t nextId;
    uint32_t changeCount;
    uint32_t openFailures;
};

InputData INPUT = {};

int FindByInstance(SDL_JoystickID instance) {
    for (int i = 0; i < INPUT.padCount; ++i) {
        if (INPUT.pads[i].instance == instance) return i;
    }
    return -1;
}

int FindById(uint32_t id) {
    if (id == 0) return -1;
    for (int i = 0; i < INPUT.padCount; ++i) {
        if (INPUT.pads[i].id == id) return i;
    }
    return -1;
}

void AddDevice(int deviceIndex) {
    if (!INPUT.padsReady) return;
    if (deviceIndex < 0 || deviceIndex >= SDL_NumJoysticks()) return;
    SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (instance < 0 || FindByInstance(instance) >= 0) return;
    if (INPUT.padCount >= PLAT_MAX_PADS) return;  // a ninth pad is not used

    LivePad pad = {};
    if (SDL_IsGameController(deviceIndex)) {
        pad.controller = SDL_GameControllerOpen(deviceIndex);
        if (pad.controller) pad.joystick = SDL_GameControllerGetJoystick(pad.controller);
    } else {
        pad.joystick = SDL_JoystickOpen(deviceIndex);
    }
    if (!pad.joystick) {
        if (pad.controller) SDL_GameControllerClose(pad.controller);
        ++INPUT.openFailures;
        ++INPUT.changeCount;
        return;
    }
    pad.instance = SDL_JoystickInstanceID(pad.joystick);
    pad.hasRumble = SDL_JoystickHasRumble(pad.joystick) ? 1 : 0;
    pad.id = ++INPUT.nextId;
    if (pad.id == 0) pad.id = ++INPUT.nextId;  // 0 is never an id
    INPUT.pads[INPUT.padCount++] = pad;
    ++INPUT.changeCount;
}

void ClosePad(LivePad& pad) {
    if (pad.controller) {
        SDL_GameControllerClose(pad.controller);
    } else if (pad.joystick) {
        SDL_JoystickClose(pad.joystick);
    }
    pad = LivePad{};
}

void RemoveDevice(SDL_JoystickID instance) {
    int slot = FindByInstance(instance);
    if (slot < 0) return;
    ClosePad(INPUT.pads[slot]);
    for (int i = slot; i + 1 < INPUT.padCount; ++i) INPUT.pads[i] = INPUT.pads[i + 1];
    INPUT.pads[--INPUT.padCount] = LivePad{};
    ++INPUT.changeCount;
}

void SetButton(PlatPadState* state, int button, bool down) {
    if (button >= 1 && button <= PLAT_PAD_BUTTONS && down) state->buttons[button - 1] = 0x80;
}

// The d-pad moves an axis only while the stick itself rests there.
void FoldDpad(PlatPadState* state, bool up, bool right, bool down, bool left) {
    if (state->axes[0] == 0) state->axes[0] = left ? -1000 : (right ? 1000 : 0);
    if (state->axes[1] == 0) state->axes[1] = up ? -1000 : (down ? 1000 : 0);
}

void ReadController(SDL_GameController* c, PlatPadState* state) {
    state->axes[0] = PlatScaleStickAxis(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX));
    state->axes[1] = PlatScaleStickAxis(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY));
    int triggers = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) -
                   SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
    state->axes[2] = PlatScaleStickAxis(triggers);
    state->axes[3] = PlatScaleStickAxis(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTX));
    state->axes[4] = PlatScaleStickAxis(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTY));
    state->axes[5] = 0;

    static const SDL_GameControllerButton kOrder[] = {
        SDL_CONTROLLER_BUTTON_A,
        SDL_CONTROLLER_BUTTON_B,
        SDL_CONTROLLER_BUTTON_X,
        SDL_CONTROLLER_BUTTON_Y,
        SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
        SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
        SDL_CONTROLLER_BUTTON_BACK,
        SDL_CONTROLLER_BUTTON_START,
        SDL_CONTROLLER_BUTTON_LEFTSTICK,
        SDL_CONTROLLER_BUTTON_RIGHTSTICK,
        SDL_CONTROLLER_BUTTON_GUIDE,
        SDL_CONTROLLER_BUTTON_MISC1,
        SDL_CONTROLLER_BUTTON_DPAD_UP,
        SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
        SDL_CONTROLLER_BUTTON_DPAD_DOWN,
        SDL_CONTROLLER_BUTTON_DPAD_LEFT,
        SDL_CONTROLLER_BUTTON_PADDLE1,
        SDL_CONTROLLER_BUTTON_PADDLE2,
        SDL_CONTROLLER_BUTTON_PADDLE3,
        SDL_CONTROLLER_BUTTON_PADDLE4,
        SDL_CONTROLLER_BUTTON_TOUCHPAD,
    };
    for (int i = 0; i < static_cast<int>(sizeof kOrder / sizeof kOrder[0]); ++i) {
        SetButton(state, i + 1, SDL_GameControllerGetButton(c, kOrder[i]) != 0);
    }
    FoldDpad(state, SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_UP),
             SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT),
             SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN),
             SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT));
}

void ReadJoystick(SDL_Joystick* j, PlatPadState* state) {
    int axes = SDL_JoystickNumAxes(j);
    for (int i = 0; i < PLAT_PAD_AXES && i < axes; ++i) {
        state->axes[i] = PlatScaleStickAxis(SDL_JoystickGetAxis(j, i));
    }
    int buttons = SDL_JoystickNumButtons(j);
    for (int i = 0; i < PLAT_PAD_BUTTONS && i < buttons; ++i) {
        SetButton(state, i + 1, SDL_JoystickGetButton(j, i) != 0);
    }
    if (SDL_JoystickNumHats(j) > 0) {
        Uint8 hat = SDL_JoystickGetHat(j, 0);
        FoldDpad(state, hat & SDL_HAT_UP, hat & SDL_HAT_RIGHT, hat & SDL_HAT_DOWN,
                 hat & SDL_HAT_LEFT);
    }
}

void CopyName(char* out, size_t size, const char* name) {
    if (!name) name = "";
    strncpy(out, name, size - 1);
    out[size - 1] = 0;
}

}  // namespace

int PlatInputOpen() {
    if (INPUT.open) return INPUT.padsReady ? 0 : PLAT_INPUT_NO_PADS;
    uint32_t nextId = INPUT.nextId;  // ids stay unique across a close and a new open
    INPUT = InputData{};
    INPUT.nextId = nextId;
    INPUT.open = 1;
    int result = 0;
    // Sub-system starts are counted by SDL, so this start and the quit in
    // PlatInputClose pair up whoever else uses controllers.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        result |= PLAT_INPUT_NO_PADS;
    } else {
        INPUT.padsReady = 1;
        int count = SDL_NumJoysticks();
        for (int i = 0; i < count; ++i) AddDevice(i);
    }
    return result;
}

void PlatInputClose() {
    if (!INPUT.open) return;
    for (int i = 0; i < INPUT.padCount; ++i) ClosePad(INPUT.pads[i]);
    if (INPUT.padsReady) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    uint32_t nextId = INPUT.nextId;
    INPUT = InputData{};
    INPUT.nextId = nextId;
}

void PlatReadKeyboard(uint8_t keys[256]) {
    memset(keys, 0, 256);
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    if (!state) return;
    if (count > SDL_NUM_SCANCODES) count = SDL_NUM_SCANCODES;
    for (int scancode = 1; scancode < count; ++scancode) {
        if (!state[scancode]) continue;
        int code = PlatKeyCodeFromScancode(scancode);
        if (code > 0) keys[code] = 0x80;
    }
}

uint32_t PlatReadMouseButtons() {
    // SDL_BUTTON(n) is bit n-1: left, middle, right, x1, x2. The library counts left,
    // right, middle, so the middle and right bits swap places.
    Uint32 sdl = SDL_GetMouseState(nullptr, nullptr);
    uint32_t out = 0;
    if (sdl & SDL_BUTTON_LMASK) out |= 0x1;
    if (sdl & SDL_BUTTON_RMASK) out |= 0x2;
    if (sdl & SDL_BUTTON_MMASK) out |= 0x4;
    if (sdl & SDL_BUTTON_X1MASK) out |= 0x8;
    if (sdl & SDL_BUTTON_X2MASK) out |= 0x10;
    return out;
}

int PlatListPads(uint32_t ids[PLAT_MAX_PADS]) {
    for (int i = 0; i < INPUT.padCount; ++i) ids[i] = INPUT.pads[i].id;
    return INPUT.padCount;
}

uint32_t PlatPadChangeCount() {
    return INPUT.changeCount;
}

uint32_t PlatPadOpenFailures() {
    return INPUT.openFailures;
}

int PlatDescribePad(uint32_t id, PlatPadInfo* info) {
    *info = PlatPadInfo{};
    int slot = FindById(id);
    if (slot < 0) return -1;
    const LivePad& pad = INPUT.pads[slot];
    CopyName(info->name, sizeof info->name, SDL_JoystickName(pad.joystick));
    CopyName(
        info->product, sizeof info->product,
        pad.controller ? SDL_GameControllerName(pad.controller) : SDL_JoystickName(pad.joystick));
    info->hasRumble = pad.hasRumble;
    return 0;
}

int PlatReadPad(uint32_t id, PlatPadState* state) {
    *state = PlatPadState{};
    int slot = FindById(id);
    if (slot < 0) return -1;
    const LivePad& pad = INPUT.pads[slot];
    if (!SDL_JoystickGetAttached(pad.joystick)) return -1;
    if (pad.controller) {
        ReadController(pad.controller, state);
    } else {
        ReadJoystick(pad.joystick, state);
    }
    return 0;
}

int PlatSetPadRumble(uint32_t id, uint16_t low, uint16_t high, uint32_t durationMs) {
    int slot = FindById(id);
    if (slot < 0 || !INPUT.pads[slot].hasRumble) return -1;
    return SDL_JoystickRumble(INPUT.pads[slot].joystick, low, high, durationMs) == 0 ? 0 : -1;
}

int SdlInputHandleEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_JOYDEVICEADDED:
            if (INPUT.open) AddDevice(event.jdevice.which);
            return 1;
        case SDL_JOYDEVICEREMOVED:
            if (INPUT.open) RemoveDevice(event.jdevice.which);
            return 1;
        // Controllers also arrive and leave as joysticks (above); their state is polled.
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
        case SDL_CONTROLLERDEVICEREMAPPED:
        case SDL_CONTROLLERAXISMOTION:
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
        case SDL_JOYAXISMOTION:
        case SDL_JOYBALLMOTION:
        case SDL_JOYHATMOTION:
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP:
        case SDL_JOYBATTERYUPDATED:
            return 1;
        default:
            return 0;
    }
}
