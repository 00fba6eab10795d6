// Tests of the log file: time stamps, CR LF, indentation, Shift-JIS in the file,
// the text conversion underneath, and the system-information block.
#include <gtest/gtest.h>

#include <string>

#include "media/core/log.h"
#include "media/pavex.h"
#include "media/platform/plat_system.h"
#include "tests/media/core/log_file.h"
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

// "<digits>" at `pos` of `s`: moves past them, false when there is none.
bool SkipDigits(const std::string& s, size_t* pos) {
    size_t start = *pos;
    while (*pos < s.size() && s[*pos] >= '0' && s[*pos] <= '9') ++*pos;
    return *pos > start;
}

bool SkipText(const std::string& s, size_t* pos, const std::string& text) {
    if (s.compare(*pos, text.size(), text) != 0) return false;
    *pos += text.size();
    return true;
}

// "ＯＳ  Linux<n>.<n> ( Build <n> <text> )"
bool IsOsLine(const std::string& s) {
    size_t p = 0;
    return SkipText(s, &p, "ＯＳ  Linux") && SkipDigits(s, &p) && SkipText(s, &p, ".") &&
           SkipDigits(s, &p) && SkipText(s, &p, " ( Build ") && SkipDigits(s, &p) &&
           SkipText(s, &p, " ") && s.size() > p + 2 && s.compare(s.size() - 2, 2, " )") == 0;
}

// "ＣＰＵ動作速度：大体<n>.<nn>GHz"
bool IsSpeedLine(const std::string& s) {
    size_t p = 0;
    if (!SkipText(s, &p, "ＣＰＵ動作速度：大体") || !SkipDigits(s, &p) || !SkipText(s, &p, "."))
        return false;
    size_t fraction = p;
    return SkipDigits(s, &p) && p - fraction == 2 && SkipText(s, &p, "GHz") && p == s.size();
}

std::string Hex(const std::string& s) {
    std::string out;
    char b[4];
    for (unsigned char c : s) {
        snprintf(b, sizeof b, "%02x ", c);
        out += b;
    }
    return out;
}

}  // namespace

TEST_F(LogTest, StartRecreatesAnEmptyFile) {
    LogString("old entry\n");
    EXPECT_FALSE(Bytes().empty());
    LogStart(dir.path().c_str());
    EXPECT_EQ(Bytes(), "");
}

TEST_F(LogTest, MessageInTwoCallsGetsOneTimeStamp) {
    script::AdvanceMs(42);
    LogString("init... ");
    script::AdvanceMs(3);
    LogString("done\n");
    LogString("next\n");
    EXPECT_EQ(Bytes(), "42:init... done\r\n45:next\r\n");
}

TEST_F(LogTest, EveryLineFeedBecomesCarriageReturnLineFeed) {
    LogString("a\nb\nc\n");
    EXPECT_EQ(Bytes(), "0:a\r\nb\r\nc\r\n");
}

TEST_F(LogTest, ExistingCarriageReturnIsNotDoubled) {
    LogString("x\r\ny\n");
    EXPECT_EQ(Bytes(), "0:x\r\ny\r\n");
}

TEST_F(LogTest, IndentationGivesTabsAfterTheStampAndNeverGoesNegative) {
    LogIndent(1);
    LogIndent(1);
    LogString("two\n");
    LogIndent(-1);
    LogString("one\n");
    LogIndent(-5);
    LogString("zero\n");
    LogIndent(1);
    LogString("back to one\n");
    EXPECT_EQ(Bytes(), "0:\t\ttwo\r\n0:\tone\r\n0:zero\r\n0:\tback to one\r\n");
}

TEST_F(LogTest, FormatAppendsALineFeed) {
    LogFormat("value %d of %s", 7, "x");
    EXPECT_EQ(Bytes(), "0:value 7 of x\r\n");
}

TEST_F(LogTest, PublicCallsWriteTheSameWay) {
    EXPECT_EQ(LogIndentIn(), 0);
    EXPECT_EQ(AddLogString("part "), 0);
    EXPECT_EQ(AddLogFormat("%d", 12), 0);
    EXPECT_EQ(LogIndentOut(), 0);
    EXPECT_EQ(LogIndentOut(), 0);
    EXPECT_EQ(AddLogString("end\n"), 0);
    EXPECT_EQ(AddLogString(nullptr), 0);
    EXPECT_EQ(Bytes(), "0:\tpart 12\r\n0:end\r\n");
}

TEST_F(LogTest, FileIsShiftJis) {
    LogString("成功\n");
    EXPECT_EQ(Hex(Bytes()), Hex(std::string("0:\x90\xAC\x8C\xF7\r\n")));
}

TEST_F(LogTest, DoubleByteCharactersWithBackslashTrailStayWhole) {
    // 表 is 95 5C and ソ is 83 5C in Shift-JIS: the trail byte looks like '\'.
    LogString("表\nソ\n");
    EXPECT_EQ(Hex(Bytes()), Hex(std::string("0:\x95\x5C\r\n\x83\x5C\r\n")));
}

TEST_F(LogTest, HalfWidthKatakanaIsOneByte) {
    LogString("ｱｲ\n");
    EXPECT_EQ(Hex(Bytes()), Hex(std::string("0:\xB1\xB2\r\n")));
}

TEST_F(LogTest, CharacterWithoutShiftJisFormBecomesQuestionMark) {
    LogString(
        "a\xF0\x9F\x98\x80"
        "b\n");  // an emoji between two letters
    EXPECT_EQ(Bytes(), "0:a?b\r\n");
}

TEST_F(LogTest, LongTextIsConvertedWholeAcrossPieces) {
    std::string text;
    for (int i = 0; i < 1500; ++i) text += (i % 100 == 99) ? "成\n" : "成";
    LogString(text.c_str());
    std::string expected = "0:";
    for (int i = 0; i < 1500; ++i) expected += (i % 100 == 99) ? "\x90\xAC\r\n" : "\x90\xAC";
    EXPECT_EQ(Bytes(), expected);
}

TEST_F(LogTest, OverlongFormatIsCutAtAWholeCharacter) {
    std::string text(2045, 'a');
    text += "成功";  // the cut falls inside 成
    LogFormat("%s", text.c_str());
    std::string bytes = Bytes();
    EXPECT_EQ(bytes.find('?'), std::string::npos);
    EXPECT_EQ(bytes, "0:" + std::string(2045, 'a') + "\r\n");
}

TEST_F(LogTest, EmptyTextWritesNothing) {
    LogString("");
    LogString("x\n");
    EXPECT_EQ(Bytes(), "0:x\r\n");
}

TEST(LogPlacement, LogStaysInTheStartDirectoryWhenTheCurrentOneChanges) {
    script::detail::ResetClock(0);
    TempDir start;
    LogStart(start.path().c_str());
    {
        TempDir elsewhere;
        LogString("here\n");
        EXPECT_EQ(logfile::ReadBytes(elsewhere.file("Log.txt")), "");
    }
    EXPECT_EQ(logfile::ReadBytes(start.file("Log.txt")), "0:here\r\n");
}

TEST(LineShapes, RecogniseTheirLinesOnly) {
    EXPECT_TRUE(IsOsLine("ＯＳ  Linux6.1 ( Build 0 6.1.0-18-amd64 )"));
    EXPECT_FALSE(IsOsLine("ＯＳ  Linux ( Build 0 6.1.0 )"));
    EXPECT_FALSE(IsOsLine("ＯＳ  Linux6.1 ( Build x 6.1.0 )"));
    EXPECT_TRUE(IsSpeedLine("ＣＰＵ動作速度：大体3.20GHz"));
    EXPECT_FALSE(IsSpeedLine("ＣＰＵ動作速度：大体3.2GHz"));
}

TEST(TextCodec, Utf8ToShiftJis) {
    char out[16];
    EXPECT_EQ(PlatUtf8ToShiftJis("成功", out, sizeof out), 4u);
    EXPECT_EQ(std::string(out), "\x90\xAC\x8C\xF7");
    EXPECT_EQ(PlatUtf8ToShiftJis("A\xFF"
                                 "B",
                                 out, sizeof out),
              3u);
    EXPECT_EQ(std::string(out), "A?B");
    EXPECT_EQ(PlatUtf8ToShiftJis(nullptr, out, sizeof out), 0u);
    EXPECT_EQ(std::string(out), "");
}

TEST(TextCodec, NeverSplitsACharacterWhenTheBufferIsFull) {
    char out[4];  // room for 3 bytes: one double-byte character fits, two do not
    EXPECT_EQ(PlatUtf8ToShiftJis("成功", out, sizeof out), 2u);
    EXPECT_EQ(std::string(out), "\x90\xAC");
    EXPECT_EQ(PlatUtf8ToShiftJis("abc", out, 1), 0u);
    EXPECT_EQ(out[0], '\0');
}

TEST(TextCodec, ShiftJisToUtf8) {
    char out[16];
    const char sjis[] = "\x90\xAC\x8C\xF7";
    EXPECT_EQ(PlatShiftJisToUtf8(sjis, 4, out, sizeof out), 6u);
    EXPECT_EQ(std::string(out), "成功");
    // A lead byte cut off at the end of the input.
    EXPECT_EQ(PlatShiftJisToUtf8("a\x90", 2, out, sizeof out), 2u);
    EXPECT_EQ(std::string(out), "a?");
}

TEST_F(LogTest, SystemInformationBlock) {
    uint64_t sleptBefore = script::SleptMs();
    LogSystemInformation();
    std::vector<std::string> lines = logfile::Lines(dir.file("Log.txt"));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(logfile::WithoutStamp(lines[0]), "システムの情報を出力します");
    EXPECT_EQ(logfile::WithoutStamp(lines[1]), "ＰＡＶＥＸライブラリ Ver0.53");
    EXPECT_TRUE(IsOsLine(logfile::WithoutStamp(lines[2]))) << lines[2];
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
            found |= IsSpeedLine(logfile::WithoutStamp(l));
        }
        EXPECT_TRUE(found);
    }
}
