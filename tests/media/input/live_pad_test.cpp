// live_pad_test.cpp - the live SDL input back-end with SDL's virtual joysticks: pads
// found, read, rumbled, pulled out with and without their removal event, and device
// events handed in by the event loop.
#include <SDL.h>
#include <gtest/gtest.h>

#include "media/platform/live/sdl_input_events.h"
#include "media/platform/plat_input.h"

namespace {

Uint16 g_rumble[2];  // the motors the virtual pad was last given

int RecordRumble(void*, Uint16 low, Uint16 high) {
    g_rumble[0] = low;
    g_rumble[1] = high;
    return 0;
}

// Hands every queued event to the input back-end, as the window's event loop does.
void PumpEvents() {
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PollEvent(&event)) SdlInputHandleEvent(event);
    SDL_JoystickUpdate();
}

class LivePadTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_rumble[0] = g_rumble[1] = 0;
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
        ASSERT_EQ(PlatInputOpen() & PLAT_INPUT_NO_KEYBOARD, 0);
        PumpEvents();
        basePads_ = PlatListPads(ids_);
    }
    void TearDown() override {
        if (virtualIndex_ >= 0) SDL_JoystickDetachVirtual(virtualIndex_);
        PlatInputClose();
        SDL_Quit();
    }

    // Attaches a virtual device (by default a raw joystick with 6 axes, 32 buttons,
    // one hat and rumble); returns the id the back-end gave it, 0 when it did not appear.
    uint32_t AttachPad(SDL_JoystickType type = SDL_JOYSTICK_TYPE_UNKNOWN, int axes = 6,
                       int buttons = 32) {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = type;
        desc.naxes = axes;
        desc.nbuttons = buttons;
        desc.nhats = type == SDL_JOYSTICK_TYPE_UNKNOWN ? 1 : 0;
        desc.name = "Virtual Test Pad";
        desc.Rumble = RecordRumble;
        virtualIndex_ = SDL_JoystickAttachVirtualEx(&desc);
        if (virtualIndex_ < 0) return 0;
        PumpEvents();
        int count = PlatListPads(ids_);
        joystick_ = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(virtualIndex_));
        return count == basePads_ + 1 && joystick_ ? ids_[count - 1] : 0;
    }
    PlatPadState Read(uint32_t id) {
        PumpEvents();
        PlatPadState state;
        EXPECT_EQ(PlatReadPad(id, &state), 0);
        return state;
    }

    uint32_t ids_[PLAT_MAX_PADS] = {};
    int basePads_ = 0;
    int virtualIndex_ = -1;
    SDL_Joystick* joystick_ = nullptr;
};

TEST_F(LivePadTest, AVirtualPadIsFoundReadRumbledAndPulledOutWithOrWithoutItsEvent) {
    uint32_t id = AttachPad();
    ASSERT_NE(id, 0u) << SDL_GetError();
    PlatPadInfo info;
    ASSERT_EQ(PlatDescribePad(id, &info), 0);
    EXPECT_STREQ(info.name, "Virtual Test Pad");
    EXPECT_EQ(info.hasRumble, 1);

    SDL_JoystickSetVirtualAxis(joystick_, 0, 32767);
    SDL_JoystickSetVirtualAxis(joystick_, 1, 4000);  // inside the dead zone
    SDL_JoystickSetVirtualAxis(joystick_, 3, -32768);
    SDL_JoystickSetVirtualButton(joystick_, 0, 1);
    SDL_JoystickSetVirtualButton(joystick_, 31, 1);
    PlatPadState state = Read(id);
    EXPECT_EQ(state.axes[0], 1000);
    EXPECT_EQ(state.axes[1], 0);
    EXPECT_EQ(state.axes[3], -1000);
    EXPECT_EQ(state.buttons[0], 0x80);
    EXPECT_EQ(state.buttons[1], 0);
    EXPECT_EQ(state.buttons[31], 0x80);
    // The hat moves the stick axes only while the stick rests.
    SDL_JoystickSetVirtualAxis(joystick_, 0, 0);
    SDL_JoystickSetVirtualHat(joystick_, 0, SDL_HAT_LEFTUP);
    state = Read(id);
    EXPECT_EQ(state.axes[0], -1000);
    EXPECT_EQ(state.axes[1], -1000);
    EXPECT_EQ(PlatSetPadRumble(id, 1234, 4321, 500), 0);
    EXPECT_EQ(g_rumble[0], 1234);
    EXPECT_EQ(g_rumble[1], 4321);

    // Pulled out, the removal event not handled yet: reads fail cleanly.
    uint32_t changes = PlatPadChangeCount();
    ASSERT_EQ(SDL_JoystickDetachVirtual(virtualIndex_), 0);
    virtualIndex_ = -1;
    EXPECT_EQ(PlatReadPad(id, &state), -1);
    EXPECT_EQ(state.axes[0], 0);
    // Once the event is in, the pad leaves the list and its id is dead.
    PumpEvents();
    EXPECT_EQ(PlatListPads(ids_), basePads_);
    EXPECT_NE(PlatPadChangeCount(), changes);
    EXPECT_EQ(PlatReadPad(id, &state), -1);
    EXPECT_EQ(PlatSetPadRumble(id, 1, 1, 10), -1);
    EXPECT_EQ(PlatDescribePad(id, &info), -1);
    uint32_t again = AttachPad();  // plugged in again: a new id
    ASSERT_NE(again, 0u);
    EXPECT_NE(again, id);
}

TEST_F(LivePadTest, AControllerReportsItsDpadAsButtonsThirteenToSixteenAndAsAxes) {
    uint32_t id = AttachPad(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                            SDL_CONTROLLER_BUTTON_MAX);
    ASSERT_NE(id, 0u) << SDL_GetError();
    ASSERT_TRUE(SDL_IsGameController(virtualIndex_));
    SDL_JoystickSetVirtualButton(joystick_, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualButton(joystick_, SDL_CONTROLLER_BUTTON_START, 1);
    SDL_JoystickSetVirtualButton(joystick_, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 1);
    PlatPadState state = Read(id);
    EXPECT_EQ(state.buttons[0], 0x80);   // A is button 1
    EXPECT_EQ(state.buttons[7], 0x80);   // Start is button 8
    EXPECT_EQ(state.buttons[13], 0x80);  // d-pad right is button 14
    EXPECT_EQ(state.buttons[12] | state.buttons[14] | state.buttons[15], 0);
    EXPECT_EQ(state.axes[0], 1000);
    EXPECT_EQ(state.axes[1], 0);

    // The stick wins over the d-pad on its own axis.
    SDL_JoystickSetVirtualAxis(joystick_, SDL_CONTROLLER_AXIS_LEFTX, -32768);
    SDL_JoystickSetVirtualButton(joystick_, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0);
    SDL_JoystickSetVirtualButton(joystick_, SDL_CONTROLLER_BUTTON_DPAD_DOWN, 1);
    state = Read(id);
    EXPECT_EQ(state.axes[0], -1000);
    EXPECT_EQ(state.axes[1], 1000);
    EXPECT_EQ(state.buttons[14], 0x80);  // d-pad down is button 15
}

TEST_F(LivePadTest, DeviceEventsForUnknownDevicesAreConsumedAndChangeNothing) {
    SDL_Event event;
    SDL_zero(event);
    event.jdevice.which = 999;  // no such device
    for (Uint32 type : {SDL_JOYDEVICEADDED, SDL_JOYDEVICEREMOVED, SDL_KEYDOWN}) {
        event.type = type;
        EXPECT_EQ(SdlInputHandleEvent(event), type == SDL_KEYDOWN ? 0 : 1) << type;
    }
    EXPECT_EQ(PlatListPads(ids_), basePads_);
}

}  // namespace
