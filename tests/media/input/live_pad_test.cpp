// live_pad_test.cpp - the live SDL input back-end with SDL's virtual joysticks: pads
// found, read, rumbled, pulled out with and without their removal event, and device
// events handed in by the event loop.
#include <SDL.h>
#include <gtest/gtest.h>

#include "media/platform/live/sdl_input_events.h"
#include "media/platform/plat_input.h"

namespace {

struct RumbleSeen {
    int calls;
    Uint16 low, high;
};
RumbleSeen g_rumble;

int RecordRumble(void*, Uint16 low, Uint16 high) {
    ++g_rumble.calls;
    g_rumble.low = low;
    g_rumble.high = high;
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
        g_rumble = RumbleSeen{};
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

    // Attaches a raw virtual joystick with 6 axes, 32 buttons, one hat and rumble;
    // returns the id the back-end gave it (0 when it did not appear).
    uint32_t AttachPad() {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
        desc.naxes = 6;
        desc.nbuttons = 32;
        desc.nhats = 1;
        desc.name = "Virtual Test Pad";
        desc.Rumble = RecordRumble;
        virtualIndex_ = SDL_JoystickAttachVirtualEx(&desc);
        if (virtualIndex_ < 0) return 0;
        PumpEvents();
        int count = PlatListPads(ids_);
        if (count != basePads_ + 1) return 0;
        uint32_t id = ids_[count - 1];
        joystick_ = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(virtualIndex_));
        return joystick_ ? id : 0;
    }

    uint32_t ids_[PLAT_MAX_PADS] = {};
    int basePads_ = 0;
    int virtualIndex_ = -1;
    SDL_Joystick* joystick_ = nullptr;
};

TEST_F(LivePadTest, AVirtualPadIsFoundReadAndRumbled) {
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
    PumpEvents();
    PlatPadState state;
    ASSERT_EQ(PlatReadPad(id, &state), 0);
    EXPECT_EQ(state.axes[0], 1000);
    EXPECT_EQ(state.axes[1], 0);
    EXPECT_EQ(state.axes[3], -1000);
    EXPECT_EQ(state.buttons[0], 0x80);
    EXPECT_EQ(state.buttons[1], 0);
    EXPECT_EQ(state.buttons[31], 0x80);

    // The hat moves the stick axes only while the stick rests.
    SDL_JoystickSetVirtualAxis(joystick_, 0, 0);
    SDL_JoystickSetVirtualHat(joystick_, 0, SDL_HAT_LEFTUP);
    PumpEvents();
    ASSERT_EQ(PlatReadPad(id, &state), 0);
    EXPECT_EQ(state.axes[0], -1000);
    EXPECT_EQ(state.axes[1], -1000);

    EXPECT_EQ(PlatSetPadRumble(id, 1234, 4321, 500), 0);
    EXPECT_GE(g_rumble.calls, 1);
    EXPECT_EQ(g_rumble.low, 1234);
    EXPECT_EQ(g_rumble.high, 4321);
}

TEST_F(LivePadTest, AControllerReportsItsDpadAsButtonsThirteenToSixteenAndAsAxes) {
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Virtual Controller";
    virtualIndex_ = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(virtualIndex_, 0) << SDL_GetError();
    PumpEvents();
    ASSERT_EQ(PlatListPads(ids_), basePads_ + 1);
    ASSERT_TRUE(SDL_IsGameController(virtualIndex_));
    uint32_t id = ids_[basePads_];
    SDL_Joystick* joystick =
        SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(virtualIndex_));
    ASSERT_NE(joystick, nullptr);

    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_START, 1);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 1);
    PumpEvents();
    PlatPadState state;
    ASSERT_EQ(PlatReadPad(id, &state), 0);
    EXPECT_EQ(state.buttons[0], 0x80);   // A is button 1
    EXPECT_EQ(state.buttons[7], 0x80);   // Start is button 8
    EXPECT_EQ(state.buttons[13], 0x80);  // d-pad right is button 14
    EXPECT_EQ(state.buttons[12] | state.buttons[14] | state.buttons[15], 0);
    EXPECT_EQ(state.axes[0], 1000);
    EXPECT_EQ(state.axes[1], 0);

    // The stick wins over the d-pad on its own axis.
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, -32768);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_DOWN, 1);
    PumpEvents();
    ASSERT_EQ(PlatReadPad(id, &state), 0);
    EXPECT_EQ(state.axes[0], -1000);
    EXPECT_EQ(state.axes[1], 1000);
    EXPECT_EQ(state.buttons[14], 0x80);  // d-pad down is button 15
}

TEST_F(LivePadTest, APadPulledOutIsGoneWithOrWithoutItsEvent) {
    uint32_t id = AttachPad();
    ASSERT_NE(id, 0u) << SDL_GetError();
    uint32_t changes = PlatPadChangeCount();

    // Pulled out, the removal event not handled yet: reads fail cleanly.
    ASSERT_EQ(SDL_JoystickDetachVirtual(virtualIndex_), 0);
    virtualIndex_ = -1;
    PlatPadState state;
    state.axes[0] = 77;
    EXPECT_EQ(PlatReadPad(id, &state), -1);
    EXPECT_EQ(state.axes[0], 0);

    // Once the event is in, the pad leaves the list and its id is dead.
    PumpEvents();
    EXPECT_EQ(PlatListPads(ids_), basePads_);
    EXPECT_NE(PlatPadChangeCount(), changes);
    EXPECT_EQ(PlatReadPad(id, &state), -1);
    EXPECT_EQ(PlatSetPadRumble(id, 1, 1, 10), -1);
    PlatPadInfo info;
    EXPECT_EQ(PlatDescribePad(id, &info), -1);

    // Plugged in again it gets a new id.
    uint32_t again = AttachPad();
    ASSERT_NE(again, 0u);
    EXPECT_NE(again, id);
}

TEST_F(LivePadTest, DeviceEventsAreConsumedAndOthersAreNot) {
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_JOYDEVICEADDED;
    event.jdevice.which = 999;  // no such device
    EXPECT_EQ(SdlInputHandleEvent(event), 1);
    event.type = SDL_JOYDEVICEREMOVED;
    EXPECT_EQ(SdlInputHandleEvent(event), 1);
    EXPECT_EQ(PlatListPads(ids_), basePads_);
    event.type = SDL_CONTROLLERBUTTONDOWN;
    EXPECT_EQ(SdlInputHandleEvent(event), 1);
    event.type = SDL_KEYDOWN;
    EXPECT_EQ(SdlInputHandleEvent(event), 0);
    event.type = SDL_QUIT;
    EXPECT_EQ(SdlInputHandleEvent(event), 0);
}

TEST_F(LivePadTest, NoKeyOrMouseButtonIsDownWithoutAWindow) {
    uint8_t keys[256];
    memset(keys, 0xEE, sizeof keys);
    PlatReadKeyboard(keys);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(keys[i], 0) << "key code " << i;
    EXPECT_EQ(PlatReadMouseButtons(), 0u);
}

}  // namespace
