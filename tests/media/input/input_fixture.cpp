// input_fixture.cpp - see input_fixture.h.
#include "tests/media/input/input_fixture.h"

#include <fstream>
#include <iterator>

#include "media/platform/plat_system.h"

void InputTest::SetUp() {
    script::Reset();
}

void InputTest::TearDown() {
    if (started_) EndMediaLayer();
}

void InputTest::StartLayer() {
    ChangeWindowMode(1);
    SetRunWhileInactive(1);
    SetAllowDoubleStart(1);
    started_ = true;
    ASSERT_EQ(InitMediaLayer(), 0) << "log:\n" << LogText();
}

std::string InputTest::LogText() const {
    std::ifstream in(dir_.file("Log.txt"), std::ios::binary);
    std::string sjis((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string utf8(sjis.size() * 2 + 1, '\0');
    size_t n = PlatShiftJisToUtf8(sjis.data(), sjis.size(), utf8.data(), utf8.size());
    utf8.resize(n);
    return utf8;
}

bool InputTest::LogContains(const char* utf8) const {
    return LogText().find(utf8) != std::string::npos;
}
