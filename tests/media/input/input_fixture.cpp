// input_fixture.cpp - see input_fixture.h.
#include "tests/media/input/input_fixture.h"

#include <fstream>
#include <iterator>

#include "media/platform/plat_system.h"

void InputTest::StartLayer() {
    ChangeWindowMode(1);
    SetRunWhileInactive(1);
    SetAllowDoubleStart(1);
    started_ = true;
    ASSERT_EQ(InitMediaLayer(), 0) << "log:\n" << LogText();
}

void InputTest::EndLayer() {
    if (started_) EndMediaLayer();
    started_ = false;
}

void InputTest::Press(const std::vector<int>& codes) {
    script::ReleaseAllKeys();
    for (int code : codes) script::SetKey(code, true);
    script::AdvanceMs(1);
}

void InputTest::RunFor(uint32_t ms) {
    while (ms > 0) {
        uint32_t step = ms < 17 ? ms : 17;
        script::AdvanceMs(step);
        ProcessMessage();
        ms -= step;
    }
}

std::string InputTest::LogText() const {
    std::ifstream in(dir_.file("Log.txt"), std::ios::binary);
    std::string sjis((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string utf8(sjis.size() * 2 + 1, '\0');
    utf8.resize(PlatShiftJisToUtf8(sjis.data(), sjis.size(), utf8.data(), utf8.size()));
    return utf8;
}
