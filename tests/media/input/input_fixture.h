// input_fixture.h - the library started on the scripted platform inside a fresh
// temporary directory, for the input tests.
#ifndef VORLANE_TESTS_MEDIA_INPUT_FIXTURE_H
#define VORLANE_TESTS_MEDIA_INPUT_FIXTURE_H

#include <gtest/gtest.h>

#include <string>

#include "media/pavex.h"
#include "tests/support/scripted.h"
#include "tests/support/scripted_input.h"
#include "tests/support/temp_dir.h"

class InputTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Window mode, keep running without focus, a second copy allowed (as the game
    // does), InitMediaLayer.
    void StartLayer();
    // Lets one millisecond pass, so the next query reads the devices again.
    static void NextMillisecond() { script::AdvanceMs(1); }
    // True when Log.txt holds the text.
    bool LogContains(const char* utf8) const;
    std::string LogText() const;  // Log.txt turned back into UTF-8

    TempDir dir_;
    bool started_ = false;
};

#endif
