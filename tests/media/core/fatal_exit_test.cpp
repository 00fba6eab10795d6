// Tests of FatalErrorExit: the message reaches the log, the layer is shut down and
// the process ends with exit code -1, with and without a running layer.
#include <gtest/gtest.h>

#include "media/core/log.h"
#include "pavex.h"
#include "tests/support/log_reader.h"
#include "tests/support/scripted.h"
#include "tests/support/temp_dir.h"

TEST(FatalExitDeathTest, LogsTheMessageShutsDownAndEndsWithMinusOne) {
    GTEST_FLAG_SET(death_test_style, "fast");  // the child must share the temp dir
    const char* message = "グラフィックの数が許容量を越えました終了します";
    for (bool running : {false, true}) {
        SCOPED_TRACE(running ? "running layer" : "log only");
        TempDir dir;
        script::Reset(0);
        if (!running) LogStart(dir.path().c_str());
        EXPECT_EXIT(
            {
                SetAllowDoubleStart(1);
                ChangeWindowMode(1);
                if (running && InitMediaLayer() != 0) _Exit(3);
                FatalErrorExit(message);
            },
            ::testing::ExitedWithCode(255), "");
        std::vector<std::string> lines = logfile::Lines(dir.file("Log.txt"));
        size_t found = lines.size(), dump = lines.size();
        for (size_t i = 0; i < lines.size(); ++i) {
            std::string body = logfile::WithoutStamp(lines[i]);
            if (body == message) found = i;
            if (body == "Alloc memory dump") dump = i;
        }
        ASSERT_LT(found, lines.size()) << "message missing from the log";
        if (running) {
            EXPECT_LT(dump, lines.size()) << "the shutdown did not run to its allocation dump";
            EXPECT_GT(dump, found);
        }
    }
}
