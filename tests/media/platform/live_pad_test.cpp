// live_pad_test.cpp - the live SDL input back-end with SDL's virtual joysticks: pads
// found, read, rumbled, pulled out with and without their removal event, a game
// controller's d-pad, and device events for devices it does not know.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "media/platform/live/sdl_input_events.h"
#include "media/platform/plat_input.h"

namespace {

Uint16 g_rumble[2];  // the motors the virtual pad was last given

class LivePadTest : public ::testing::Test {
protected:
    void SetUp() override {
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
        ASSERT_EQ(PlatInputOpen() & PLAT_INPUT_NO_KEYBOARD, 0);
        basePads = PlatListPads(ids);
    }
    void TearDown() override {
        if (index >= 0) SDL_JoystickDetachVirtual(index);
        PlatInputClose();
        SDL_Quit();
    }
    // Hands every queued event to the input back-end, as the window's event loop does.
    static void PumpEvents() {
        SDL_PumpEvents();
        SDL_Event event;
        while (SDL_PollEvent(&event)) SdlInputHandleEvent(event);
        SDL_JoystickUpdate();
    }
    // Attaches a virtual device (a raw joystick with 6 axes, 32 buttons, a hat and
    // rumble, or a game controller); returns the back-end's id for it, 0 if none.
    uint32_t AttachPad(bool controller = false) {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = controller ? SDL_JOYSTICK_TYPE_GAMECONTROLLER : SDL_JOYSTICK_TYPE_UNKNOWN;
        desc.naxes = controller ? SDL_CONTROLLER_AXIS_MAX : 6;
        desc.nbuttons = controller ? SDL_CONTROLLER_BUTTON_MAX : 32;
        desc.nhats = controller ? 0 : 1;
        desc.name = "Virtual Test Pad";
        desc.Rumble = [](void*, Uint16 low, Uint16 high) {
            g_rumble[0] = low;
            g_rumble[1] = high;
            return 0;
        };
        index = SDL_JoystickAttachVirtualEx(&desc);
        PumpEvents();
        joystick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
        int count = PlatListPads(ids);
        return index >= 0 && count == basePads + 1 && joystick ? ids[count - 1] : 0;
    }
    PlatPadState Read(uint32_t id) {
        PumpEvents();
        PlatPadState state;
        EXPECT_EQ(PlatReadPad(id, &state), 0);
        return state;
    }

    uint32_t ids[PLAT_MAX_PADS] = {};
    int basePads = 0;
    int index = -1;
    SDL_Joystick* joystick = nullptr;
};

}  // namespace

TEST_F(LivePadTest, AVirtualPadIsFoundReadRumbledPulledOutAndAControllersDpadIsButtons) {
    uint32_t id = AttachPad();
    ASSERT_NE(id, 0u) << SDL_GetError();
    PlatPadInfo info;
    ASSERT_EQ(PlatDescribePad(id, &info), 0);
    EXPECT_STREQ(info.name, "Virtual Test Pad");
    EXPECT_EQ(info.hasRumble, 1);
    SDL_JoystickSetVirtualAxis(joystick, 0, 32767);
    SDL_JoystickSetVirtualAxis(joystick, 1, 4000);  // inside the dead zone
    SDL_JoystickSetVirtualAxis(joystick, 3, -32768);
    SDL_JoystickSetVirtualButton(joystick, 0, 1);
    SDL_JoystickSetVirtualButton(joystick, 31, 1);
    PlatPadState state = Read(id);
    using V = std::vector<int>;
    EXPECT_EQ((V{state.axes[0], state.axes[1], state.axes[3]}), (V{1000, 0, -1000}));
    EXPECT_EQ((V{state.buttons[0], state.buttons[1], state.buttons[31]}), (V{0x80, 0, 0x80}));
    // The hat moves the stick axes only while the stick rests.
    SDL_JoystickSetVirtualAxis(joystick, 0, 0);
    SDL_JoystickSetVirtualHat(joystick, 0, SDL_HAT_LEFTUP);
    state = Read(id);
    EXPECT_EQ((V{state.axes[0], state.axes[1]}), (V{-1000, -1000}));
    EXPECT_EQ(PlatSetPadRumble(id, 1234, 4321, 500), 0);
    EXPECT_EQ((V{g_rumble[0], g_rumble[1]}), (V{1234, 4321}));

    // Pulled out, the removal event not handled yet: reads fail cleanly.
    uint32_t changes = PlatPadChangeCount();
    ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0);
    index = -1;
    EXPECT_EQ(PlatReadPad(id, &state), -1);
    EXPECT_EQ(state.axes[0], 0);
    // Once the event is in, the pad leaves the list and its id is dead.
    PumpEvents();
    EXPECT_EQ(PlatListPads(ids), basePads);
    EXPECT_NE(PlatPadChangeCount(), changes);
    EXPECT_EQ(PlatReadPad(id, &state), -1);
    EXPECT_EQ(PlatSetPadRumble(id, 1, 1, 10), -1);
    EXPECT_EQ(PlatDescribePad(id, &info), -1);
    uint32_t again = AttachPad(true);  // plugged in again (as a game controller): a new id
    ASSERT_NE(again, 0u);
    EXPECT_NE(again, id);
    // Device events for a device nobody knows are consumed and change nothing.
    SDL_Event event;
    SDL_zero(event);
    event.jdevice.which = 999;
    for (Uint32 type : {SDL_JOYDEVICEADDED, SDL_JOYDEVICEREMOVED, SDL_KEYDOWN}) {
        event.type = type;
        EXPECT_EQ(SdlInputHandleEvent(event), type == SDL_KEYDOWN ? 0 : 1) << type;
    }
    EXPECT_EQ(PlatListPads(ids), basePads + 1);

    // A controller reports its d-pad as buttons 13..16 and, while the stick rests on
    // that axis, as the stick axes.
    ASSERT_TRUE(SDL_IsGameController(index));
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_START, 1);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 1);
    state = Read(again);
    // A is button 1, Start button 8, the d-pad's right button 14.
    EXPECT_EQ((V{state.buttons[0], state.buttons[7], state.buttons[12], state.buttons[13],
                 state.buttons[14], state.buttons[15]}),
              (V{0x80, 0x80, 0, 0x80, 0, 0}));
    EXPECT_EQ((V{state.axes[0], state.axes[1]}), (V{1000, 0}));
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, -32768);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_DOWN, 1);
    state = Read(again);
    EXPECT_EQ((V{state.axes[0], state.axes[1], state.buttons[14]}), (V{-1000, 1000, 0x80}));
}
