// Tests of FatalErrorExit: the message reaches the log, the layer is shut down and
// the process ends with exit code -1.
#include <gtest/gtest.h>

#include "media/core/log.h"
#include "media/pavex.h"
#include "tests/media/core/log_file.h"
#include "tests/support/scripted.h"
#include "tests/support/temp_dir.h"

TEST(FatalExitDeathTest, LogsTheMessageAndEndsWithMinusOne) {
    GTEST_FLAG_SET(death_test_style, "fast");  // the child must share the temp dir
    TempDir dir;
    script::Reset(0);
    LogStart(dir.path().c_str());
    EXPECT_EXIT(FatalErrorExit("メモリの確保に失敗しました"), ::testing::ExitedWithCode(255), "");
    std::vector<std::string> lines = logfile::Lines(dir.file("Log.txt"));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(logfile::WithoutStamp(lines[0]), "メモリの確保に失敗しました");
}

TEST(FatalExitDeathTest, ShutsARunningLayerDownBeforeEnding) {
    GTEST_FLAG_SET(death_test_style, "fast");  // the child must share the temp dir
    TempDir dir;
    script::Reset(0);
    EXPECT_EXIT(
        {
            SetAllowDoubleStart(1);
            ChangeWindowMode(1);
            if (InitMediaLayer() != 0) _Exit(3);
            FatalErrorExit("グラフィックの数が許容量を越えました終了します");
        },
        ::testing::ExitedWithCode(255), "");
    std::vector<std::string> lines = logfile::Lines(dir.file("Log.txt"));
    size_t message = lines.size(), dump = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string body = logfile::WithoutStamp(lines[i]);
        if (body == "グラフィックの数が許容量を越えました終了します") message = i;
        if (body == "Alloc memory dump") dump = i;
    }
    ASSERT_LT(message, lines.size()) << "message missing from the log";
    ASSERT_LT(dump, lines.size()) << "the shutdown did not run to its allocation dump";
    EXPECT_GT(dump, message);
}
