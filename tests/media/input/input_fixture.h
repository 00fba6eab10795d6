// input_fixture.h - the library started on the scripted platform inside a fresh
// temporary directory, for the input tests.
#ifndef VORLANE_TESTS_MEDIA_INPUT_FIXTURE_H
#define VORLANE_TESTS_MEDIA_INPUT_FIXTURE_H

#include <gtest/gtest.h>

#include <vector>
#include <string>

#include "pavex.h"
#include "tests/support/scripted.h"
#include "tests/support/scripted_input.h"
#include "tests/support/temp_dir.h"

class InputTest : public ::testing::Test {
protected:
    void SetUp() override { script::Reset(); }
    void TearDown() override { EndLayer(); }

    // Window mode, keep running without focus, a second copy allowed (as the game
    // does), InitMediaLayer.
    void StartLayer();
    void EndLayer();
    // Exactly these keys down, then one millisecond on so the next query reads them.
    static void Press(const std::vector<int>& codes);
    // Lets `ms` pass in frame-sized steps with a message pump after each step.
    static void RunFor(uint32_t ms);
    std::string LogText() const;  // Log.txt turned back into UTF-8
    bool LogContains(const char* utf8) const { return LogText().find(utf8) != std::string::npos; }

    TempDir dir_;
    bool started_ = false;
};

#endif
