// layer_fixture.h - the one fixture for tests that start the media layer: a fresh
// temporary folder (Log.txt lands there), the scripted platform and the frame's
// settings back at their defaults, window mode and double start allowed, and the
// layer ended after the test whatever happened.
#ifndef VORLANE_TESTS_LAYER_FIXTURE_H
#define VORLANE_TESTS_LAYER_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/core/frame.h"
#include "pavex.h"
#include "tests/support/log_reader.h"
#include "tests/support/scripted.h"
#include "tests/support/temp_dir.h"

class LayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        script::Reset();
        FrameResetDefaults();
        ChangeWindowMode(1);
        SetAllowDoubleStart(1);
    }
    void TearDown() override { EndMediaLayer(); }

    // Starts the layer with a screen of width x height (32 bits) and the back screen
    // as draw target, as the game does.
    void Start(int width = 800, int height = 600) {
        ASSERT_EQ(SetScreenMode(width, height, 32, 60), 0);
        ASSERT_EQ(InitMediaLayer(), 0);
        ASSERT_EQ(SelectDrawTarget(PAVEX_SCREEN_BACK), 0);
    }

    // The log so far, as UTF-8 lines without their time stamps.
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines = logfile::Lines(dir.file("Log.txt"));
        for (std::string& l : lines) l = logfile::WithoutStamp(l);
        return lines;
    }
    // 1 + the index of the first log line that contains `part`, 0 when none does (so
    // EXPECT_TRUE(Logged(...)) reads well and the order of two lines can be compared).
    int Logged(const std::string& part) const {
        std::vector<std::string> lines = LogLines();
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].find(part) != std::string::npos) return static_cast<int>(i) + 1;
        return 0;
    }

    TempDir dir;
};

#endif
