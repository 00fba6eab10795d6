// Tests of the log file: time stamps, CR LF, indentation, Shift-JIS in the file,
// the text conversion underneath, and the system-information block.
#include <gtest/gtest.h>

#include <ctype.h>
#include <string.h>

#include <functional>
#include <string>

#include "media/core/log.h"
#include "pavex.h"
#include "media/platform/plat_system.h"
#include "tests/support/log_reader.h"
#include "tests/support/scripted.h"
#include "tests/support/scripted_detail.h"
#include "tests/support/temp_dir.h"

namespace {

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        script::detail::ResetClock(5000);
        LogStart(dir.path().c_str());
    }
    std::string Bytes() { return logfile::ReadBytes(dir.file("Log.txt")); }
    TempDir dir;
};

std::string Repeat(int count, const std::string& every, const std::string& hundredth) {
    std::string s;
    for (int i = 0; i < count; ++i) s += (i % 100 == 99) ? hundredth : every;
    return s;
}

// Whether `s` has the shape `p`, where '#' stands for one or more digits and '*'
// for any text.
bool Shaped(const char* s, const char* p) {
    if (*p == '*') {
        for (;; ++s) {
            if (Shaped(s, p + 1)) return true;
            if (!*s) return false;
        }
    }
    if (*p == '#') {
        while (isdigit(static_cast<unsigned char>(*s))) {
            if (Shaped(++s, p + 1)) return true;
        }
        return false;
    }
    return *p == *s && (*p == '\0' || Shaped(s + 1, p + 1));
}

}  // namespace

// Each case starts a fresh log at virtual time 5000 and compares the file bytes.
TEST_F(LogTest, WrittenBytes) {
    struct Case {
        const char* name;
        std::function<void()> write;
        std::string bytes;
    };
    const Case cases[] = {
        {"two calls, one stamp",
         [] {
             script::AdvanceMs(42);
             LogString("init... ");
             script::AdvanceMs(3);
             LogString("done\n");
             LogString("next\n");
         },
         "42:init... done\r\n45:next\r\n"},
        {"three line feeds", [] { LogString("a\nb\nc\n"); }, "0:a\r\nb\r\nc\r\n"},
        {"carriage return kept", [] { LogString("x\r\ny\n"); }, "0:x\r\ny\r\n"},
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
        {"format adds a line feed", [] { LogFormat("value %d of %s", 7, "x"); },
         "0:value 7 of x\r\n"},
        {"public calls",
         [] {
             EXPECT_EQ(LogIndentIn(), 0);
             EXPECT_EQ(AddLogString("part "), 0);
             EXPECT_EQ(AddLogFormat("%d", 12), 0);
             EXPECT_EQ(LogIndentOut(), 0);
             EXPECT_EQ(LogIndentOut(), 0);
             EXPECT_EQ(AddLogString("end\n"), 0);
             EXPECT_EQ(AddLogString(nullptr), 0);
         },
         "0:\tpart 12\r\n0:end\r\n"},
        {"Shift-JIS", [] { LogString("成功\n"); }, "0:\x90\xAC\x8C\xF7\r\n"},
        // 表 and ソ end in 5C: the trail byte must not be taken for anything else.
        {"trail byte 5C", [] { LogString("表\nソ\n"); }, "0:\x95\x5C\r\n\x83\x5C\r\n"},
        {"half-width katakana", [] { LogString("ｱｲ\n"); }, "0:\xB1\xB2\r\n"},
        {"no Shift-JIS form", [] { LogString("a😀b\n"); }, "0:a?b\r\n"},
        {"long text across pieces", [] { LogString(Repeat(1500, "成", "成\n").c_str()); },
         "0:" + Repeat(1500, "\x90\xAC", "\x90\xAC\r\n")},
        // A 2 KB format buffer: the cut falls inside 成, which is dropped, not garbled.
        {"overlong format", [] { LogFormat("%s", (std::string(2045, 'a') + "成功").c_str()); },
         "0:" + std::string(2045, 'a') + "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        script::detail::ResetClock(5000);
        LogStart(dir.path().c_str());
        c.write();
        EXPECT_EQ(Bytes(), c.bytes);
    }
}

TEST(LogPlacement, LogStaysInTheStartDirectoryAndStartsEmpty) {
    script::detail::ResetClock(0);
    TempDir start;
    LogStart(start.path().c_str());
    {
        TempDir elsewhere;
        LogString("here\n");
        EXPECT_EQ(logfile::ReadBytes(elsewhere.file("Log.txt")), "");
    }
    EXPECT_EQ(logfile::ReadBytes(start.file("Log.txt")), "0:here\r\n");
    LogStart(start.path().c_str());  // a new start recreates the file empty
    EXPECT_EQ(logfile::ReadBytes(start.file("Log.txt")), "");
}

// Both directions, with buffers just large enough or too small: the output never
// splits a character and never passes the end of the buffer.
TEST(TextCodec, ConvertsWithinTheBuffer) {
    struct Case {
        bool toSjis;
        std::string in;
        size_t size;
        std::string out;
    };
    const Case cases[] = {
        {true, "成功", 16, "\x90\xAC\x8C\xF7"},
        {true,
         "A\xFF"
         "B",
         16, "A?B"},
        {true, "成功", 4, "\x90\xAC"},  // room for 3 bytes: the second character does not fit
        {true, "abc", 1, ""},
        {true, "ab\xFF", 3, "ab"},  // full buffer, then a broken byte
        {false, "\x90\xAC\x8C\xF7", 16, "成功"},
        {false, "a\x90", 16, "a?"},  // lead byte cut off at the end
        {false, "ab\x81", 3, "ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        char out[24];
        memset(out, 'Z', sizeof out);
        size_t n = c.toSjis ? PlatUtf8ToShiftJis(c.in.c_str(), out, c.size)
                            : PlatShiftJisToUtf8(c.in.data(), c.in.size(), out, c.size);
        EXPECT_EQ(n, c.out.size());
        EXPECT_EQ(std::string(out), c.out);
        EXPECT_EQ(out[c.size], 'Z') << "wrote past the buffer";
    }
    char out[4];
    EXPECT_EQ(PlatUtf8ToShiftJis(nullptr, out, sizeof out), 0u);
    EXPECT_EQ(out[0], '\0');
}

TEST_F(LogTest, SystemInformationBlock) {
    uint64_t sleptBefore = script::SleptMs();
    LogSystemInformation();
    std::vector<std::string> lines = logfile::Lines(dir.file("Log.txt"));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(logfile::WithoutStamp(lines[0]), "システムの情報を出力します");
    EXPECT_EQ(logfile::WithoutStamp(lines[1]), "ＰＡＶＥＸライブラリ Ver0.53");
    const char* os = "ＯＳ  Linux#.# ( Build # * )";
    const char* speed = "ＣＰＵ動作速度：大体#.##GHz";
    EXPECT_FALSE(Shaped("ＯＳ  Linux ( Build 0 6.1 )", os) ||
                 Shaped("ＣＰＵ動作速度：大体3.2GHz", speed));
    EXPECT_TRUE(Shaped(logfile::WithoutStamp(lines[2]).c_str(), os)) << lines[2];
    PlatCpuInfo cpu;
    PlatCpuIdentify(&cpu);
    if (!cpu.hasCpuid) {
        EXPECT_TRUE(logfile::HasLine(lines, "ＣＰＵＩＤ命令は使えません"));
        return;
    }
    EXPECT_TRUE(logfile::HasLine(lines, std::string("ＣＰＵベンダ：") + cpu.vendor));
    EXPECT_TRUE(
        logfile::HasLine(lines, cpu.hasMmx ? "ＭＭＸ命令を使用します" : "ＭＭＸは使えません"));
    if (cpu.hasTsc) {
        // The speed is measured over 100 ms of (virtual) tick time.
        EXPECT_EQ(script::SleptMs() - sleptBefore, 100u);
        EXPECT_GT(CpuCyclesPerSecond(), 0.0);
        bool found = false;
        for (const std::string& l : lines) {
            found |= Shaped(logfile::WithoutStamp(l).c_str(), speed);
        }
        EXPECT_TRUE(found);
    }
}
