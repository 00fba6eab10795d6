// input_fixture.h - the one way tests script keys and pads: the layer fixture with
// input started as the game starts it (window mode, kept running without the focus),
// keys set all at once, and time let pass in frame-sized steps with a pump after each.
// Pads, mouse buttons and motors are scripted through scripted_input.h.
#ifndef VORLANE_TESTS_INPUT_FIXTURE_H
#define VORLANE_TESTS_INPUT_FIXTURE_H

#include <vector>

#include "tests/support/layer_fixture.h"
#include "tests/support/scripted_input.h"

class InputTest : public LayerTest {
protected:
    void Start() {
        SetRunWhileInactive(1);
        LayerTest::Start();
    }
    // Exactly these keys down, then one millisecond on so the next query reads them.
    static void Press(const std::vector<int>& codes) {
        script::ReleaseAllKeys();
        for (int code : codes) script::SetKey(code, true);
        script::AdvanceMs(1);
    }
    static void RunFor(uint32_t ms) {
        for (uint32_t step; ms > 0; ms -= step) {
            step = ms < 17 ? ms : 17;
            script::AdvanceMs(step);
            ProcessMessage();
        }
    }
};

#endif
