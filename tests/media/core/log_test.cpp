// log_test.cpp - the log file: time stamps, CR LF, indentation, Shift-JIS in the file,
// the text conversion underneath, the system-information block and the fatal exit.
#include <string.h>

#include <functional>
#include <regex>
#include <string>

#include "media/core/log.h"
#include "media/platform/plat_system.h"
#include "tests/support/layer_fixture.h"

namespace {

using LogTest = LayerTest;
using FatalExitDeathTest = LayerTest;

std::string Repeat(int count, const std::string& every, const std::string& hundredth) {
    std::string s;
    for (int i = 0; i < count; ++i) s += (i % 100 == 99) ? hundredth : every;
    return s;
}

}  // namespace

// Each case starts a fresh log (a start empties the file) and compares the file's bytes.
TEST_F(LogTest, WrittenBytes) {
    const struct {
        const char* name;
        std::function<void()> write;
        std::string bytes;
    } cases[] = {
        {"two calls, one stamp; the file stays in the start directory",
         [] {
             TempDir elsewhere;
             script::AdvanceMs(42);
             LogString("init... ");
             script::AdvanceMs(3);
             LogString("done\n");
             LogString("next\n");
         },
         "42:init... done\r\n45:next\r\n"},
        {"line feeds; a carriage return kept", [] { LogString("a\nb\r\nc\n"); },
         "0:a\r\nb\r\nc\r\n"},
        {"indent tabs, never below 0; empty text writes nothing",
         [] {
             LogIndent(2);
             LogString("");
             LogString("two\n");
             LogIndent(-1);
             LogString("one\n");
             LogIndent(-5);
             LogString("zero\n");
             LogIndent(1);
             LogString("back\n");
         },
         "0:\t\ttwo\r\n0:\tone\r\n0:zero\r\n0:\tback\r\n"},
        {"public calls",
         [] {
             LogIndentIn(), AddLogString("part "), AddLogFormat("%d of %s", 12, "x");
             LogIndentOut(), LogIndentOut(), AddLogString("end\n"), AddLogString(nullptr);
         },
         "0:\tpart 12 of x\r\n0:end\r\n"},
        // 表 and ソ end in 5C: the trail byte must not be taken for anything else.
        {"Shift-JIS", [] { LogString("成功\n表ソｱｲ\n"); },
         "0:\x90\xAC\x8C\xF7\r\n\x95\x5C\x83\x5C\xB1\xB2\r\n"},
        {"no Shift-JIS form", [] { LogString("a😀b\n"); }, "0:a?b\r\n"},
        {"long text across pieces", [] { LogString(Repeat(1500, "成", "成\n").c_str()); },
         "0:" + Repeat(1500, "\x90\xAC", "\x90\xAC\r\n")},
        // A 2 KB format buffer: the cut falls inside 成, which is dropped, not garbled.
        {"overlong format", [] { LogFormat("%s", (std::string(2045, 'a') + "成功").c_str()); },
         "0:" + std::string(2045, 'a') + "\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LogStart(dir.path().c_str());
        c.write();
        EXPECT_EQ(logfile::ReadBytes(dir.file("Log.txt")), c.bytes);
    }
}

// Both directions, with buffers just large enough or too small: the output never
// splits a character and never passes the end of the buffer.
TEST(TextCodec, ConvertsWithinTheBuffer) {
    // clang-format off
    const struct {
        bool toSjis;
        std::string in;
        size_t size;
        std::string out;
    } cases[] = {
        {true, "成功", 16, "\x90\xAC\x8C\xF7"}, {true, "A\xFF" "B", 16, "A?B"},
        {true, "成功", 4, "\x90\xAC"},  // room for 3 bytes: the second character does not fit
        {true, "abc", 1, ""}, {true, "ab\xFF", 3, "ab"},  // full buffer, then a broken byte
        {false, "\x90\xAC\x8C\xF7", 16, "成功"}, {false, "ab\x81", 3, "ab"},
        {false, "a\x90", 16, "a?"}};  // lead byte cut off at the end
    // clang-format on
    for (const auto& c : cases) {
        char out[24];
        memset(out, 'Z', sizeof out);
        size_t n = c.toSjis ? PlatUtf8ToShiftJis(c.in.c_str(), out, c.size)
                            : PlatShiftJisToUtf8(c.in.data(), c.in.size(), out, c.size);
        EXPECT_EQ(n, c.out.size()) << c.in;
        EXPECT_EQ(std::string(out), c.out) << c.in;
        EXPECT_EQ(out[c.size], 'Z') << c.in << ": wrote past the buffer";
    }
    char out[4];
    EXPECT_EQ(PlatUtf8ToShiftJis(nullptr, out, sizeof out), 0u);
    EXPECT_EQ(out[0], '\0');
}

// The block's head, and the CPU speed measured over 100 ms of (virtual) tick time.
TEST_F(LogTest, SystemInformationBlock) {
    LogStart(dir.path().c_str());
    uint64_t sleptBefore = script::SleptMs();
    LogSystemInformation();
    std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "システムの情報を出力します");
    EXPECT_EQ(lines[1], "ＰＡＶＥＸライブラリ Ver0.53");
    EXPECT_TRUE(std::regex_match(lines[2],
                                 std::regex("ＯＳ  Linux[0-9]+\\.[0-9]+ \\( Build [0-9]+ .* \\)")))
        << lines[2];
    PlatCpuInfo cpu;
    PlatCpuIdentify(&cpu);
    if (cpu.hasCpuid && cpu.hasTsc) {
        EXPECT_EQ(script::SleptMs() - sleptBefore, 100u);
        EXPECT_GT(CpuCyclesPerSecond(), 0.0);
    }
}

// FatalErrorExit logs the message, shuts a running layer down (to its allocation dump)
// and ends the process with exit code -1.
TEST_F(FatalExitDeathTest, LogsTheMessageShutsDownAndEndsWithMinusOne) {
    GTEST_FLAG_SET(death_test_style, "fast");  // the child must share the temp dir
    const char* message = "グラフィックの数が許容量を越えました終了します";
    for (bool running : {false, true}) {
        SCOPED_TRACE(running ? "running layer" : "log only");
        LogStart(dir.path().c_str());
        EXPECT_EXIT(
            {
                if (running) Start();
                FatalErrorExit(message);
            },
            ::testing::ExitedWithCode(255), "");
        int logged = Logged(message);
        EXPECT_GT(logged, 0);
        EXPECT_EQ(Logged("Alloc memory dump") > logged, running);
    }
}
