// Tests of the tracking allocator: the dump line byte for byte, the trace rule of
// 0-byte blocks, the list order, and the detection of damaged headers.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
#include "tests/media/core/log_file.h"
#include "tests/support/scripted_detail.h"
#include "tests/support/temp_dir.h"

namespace {

class TrackedAllocTest : public ::testing::Test {
protected:
    void SetUp() override {
        script::detail::ResetClock(0);
        LogStart(dir.path().c_str());
        TrackedSetTrace(0, 0, 0, 0);
        ASSERT_EQ(TrackedBlockCount(), 0) << "an earlier test left a block alive";
        ASSERT_EQ(TrackedTotalSize(), 0u);
    }
    void TearDown() override { TrackedSetTrace(0, 0, 0, 0); }
    std::vector<std::string> Lines() { return logfile::Lines(dir.file("Log.txt")); }
    std::string Bytes() { return logfile::ReadBytes(dir.file("Log.txt")); }
    TempDir dir;
};

// The "ID:<n>" of the dump line in `line`, -1 if there is none.
int IdOf(const std::string& line) {
    size_t at = line.find("  ID:");
    if (at == std::string::npos) return -1;
    size_t p = at + 5, start = p;
    while (p < line.size() && line[p] >= '0' && line[p] <= '9') ++p;
    if (p == start || line.compare(p, 7, "  data:") != 0) return -1;
    return std::stoi(line.substr(start, p - start));
}

// The line with its "ID:<n>" replaced by "ID:#".
std::string WithoutId(const std::string& line) {
    int id = IdOf(line);
    if (id < 0) return line;
    size_t at = line.find("  ID:") + 5;
    return line.substr(0, at) + "#" + line.substr(at + std::to_string(id).size());
}

std::string LineWithFile(const std::vector<std::string>& lines, const std::string& file) {
    for (const std::string& l : lines) {
        if (l.find("file:" + file + " ") != std::string::npos) return l;
    }
    return "<no line for " + file + ">";
}

// Byte `offset` of the header in front of `block`.
unsigned char& HeaderByte(unsigned char* block, size_t offset) {
    return block[static_cast<ptrdiff_t>(offset) - static_cast<ptrdiff_t>(TrackedHeaderBytes())];
}

}  // namespace

TEST_F(TrackedAllocTest, DumpLineByteForByte) {
    unsigned char* p = static_cast<unsigned char*>(TrackedAlloc(4, "alloc_test.cpp", 77));
    ASSERT_NE(p, nullptr);
    memcpy(p, "\x41\x42\x00\x0a", 4);
    DumpAllocations();
    std::string bytes = Bytes();
    std::vector<std::string> lines = Lines();
    int id = IdOf(LineWithFile(lines, "alloc_test.cpp"));
    ASSERT_GE(id, 0);
    std::string expected =
        "0:\r\n"
        "0:Alloc memory dump\r\n"
        "0:\tsize:4(0.004kb)  file:alloc_test.cpp  line:77  ID:" +
        std::to_string(id) +
        "  data:<AB..> [41 42 00 0a]\r\n"
        "0:\tTotal size:4(0.004kb)  Alloc num:1\r\n"
        "0:\r\n";
    EXPECT_EQ(bytes, expected);
    TrackedFree(p);
    EXPECT_EQ(TrackedBlockCount(), 0);
}

TEST_F(TrackedAllocTest, DataPreviewShowsAtMostSixteenBytes) {
    unsigned char* p = static_cast<unsigned char*>(TrackedAlloc(20, "", 0));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 20; ++i) p[i] = static_cast<unsigned char>('a' + i);
    DumpAllocations();
    std::string line = Lines()[2];
    EXPECT_TRUE(line.find("\tsize:20(0.020kb)  file:  line:0  ID:") != std::string::npos) << line;
    EXPECT_TRUE(line.find("  data:<abcdefghijklmnop> [61 62 63 64 65 66 67 68 69 6a 6b 6c 6d 6e "
                          "6f 70]") != std::string::npos)
        << line;
    TrackedFree(p);
}

TEST_F(TrackedAllocTest, SerialNumbersCountUp) {
    void* a = TrackedAlloc(1, "first.cpp", 1);
    void* b = TrackedAlloc(1, "second.cpp", 1);
    DumpAllocations();
    std::vector<std::string> lines = Lines();
    EXPECT_EQ((IdOf(LineWithFile(lines, "first.cpp")) + 1) % 65536,
              IdOf(LineWithFile(lines, "second.cpp")));
    TrackedFree(a);
    TrackedFree(b);
}

TEST_F(TrackedAllocTest, ZeroByteBlocksAreTracedOnAllocAndFree) {
    void* other = TrackedAlloc(8, "other.cpp", 3);
    void* zero = TrackedAlloc(0, "zero.cpp", 5);
    ASSERT_NE(zero, nullptr);
    TrackedFree(zero);
    TrackedFree(other);
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 2u) << "only the 0-byte block may be logged";
    EXPECT_EQ(WithoutId(lines[0]),
              "0:mem alloc  \tsize:0(0.000kb)  file:zero.cpp  line:5  ID:#  data:<> ]");
    EXPECT_EQ(WithoutId(lines[1]),
              "0:mem free  \tsize:0(0.000kb)  file:zero.cpp  line:5  ID:#  data:<> ]");
    EXPECT_EQ(IdOf(lines[0]), IdOf(lines[1]));
}

TEST_F(TrackedAllocTest, TraceSwitches) {
    TrackedSetTrace(-1, 0, 1, 0);  // every size, with totals
    void* p = TrackedAlloc(2048, "t.cpp", 9);
    TrackedFree(p);
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find("mem alloc  \tsize:2048(2.000kb)  file:t.cpp  line:9"),
              std::string::npos);
    EXPECT_EQ(lines[1], "0:\tTotal size:2048(2.000kb)  Alloc num:1");
    EXPECT_NE(lines[2].find("mem free  \tsize:2048(2.000kb)"), std::string::npos);
    EXPECT_EQ(lines[3], "0:\tTotal size:0(0.000kb)  Alloc num:0");
}

TEST_F(TrackedAllocTest, SourceNameKeepsItsLastFifteenCharacters) {
    void* p = TrackedAlloc(1, "abcdefghijklmnopqrst", 1);
    void* q = TrackedAlloc(1, "exactly15chars_", 1);
    DumpAllocations();
    std::vector<std::string> lines = Lines();
    EXPECT_NE(LineWithFile(lines, "fghijklmnopqrst").find("file:fghijklmnopqrst  line:1"),
              std::string::npos);
    EXPECT_NE(LineWithFile(lines, "exactly15chars_").find("file:exactly15chars_  line:1"),
              std::string::npos);
    TrackedFree(p);
    TrackedFree(q);
}

TEST_F(TrackedAllocTest, LineIsPrintedAsUnsigned16Bit) {
    void* p = TrackedAlloc(1, "neg.cpp", -1);
    DumpAllocations();
    EXPECT_NE(LineWithFile(Lines(), "neg.cpp").find("line:65535  ID:"), std::string::npos);
    TrackedFree(p);
}

TEST_F(TrackedAllocTest, DumpListsNewestToOldestAfterFreeingTheMiddle) {
    void* a = TrackedAlloc(10, "a.cpp", 1);
    void* b = TrackedAlloc(20, "b.cpp", 2);
    void* c = TrackedAlloc(30, "c.cpp", 3);
    EXPECT_EQ(TrackedBlockCount(), 3);
    EXPECT_EQ(TrackedTotalSize(), 60u);
    TrackedFree(b);
    DumpAllocations();
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_NE(lines[2].find("file:c.cpp"), std::string::npos) << lines[2];
    EXPECT_NE(lines[3].find("file:a.cpp"), std::string::npos) << lines[3];
    EXPECT_EQ(lines[4], "0:\tTotal size:40(0.039kb)  Alloc num:2");
    EXPECT_EQ(lines[5], "0:");
    // Freeing the newest and then the oldest leaves the list empty.
    TrackedFree(c);
    TrackedFree(a);
    EXPECT_EQ(TrackedBlockCount(), 0);
    EXPECT_EQ(TrackedTotalSize(), 0u);
    EXPECT_EQ(CheckAllocations(), 0);
}

TEST_F(TrackedAllocTest, ZeroFilledAndNullFree) {
    unsigned char* p = static_cast<unsigned char*>(TrackedAllocZero(100, "z.cpp", 1));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], 0) << i;
    TrackedFree(nullptr);
    EXPECT_EQ(TrackedBlockCount(), 1);
    TrackedFree(p);
}

TEST_F(TrackedAllocTest, ImpossibleSizeFailsAndWritesTheDump) {
    void* keep = TrackedAlloc(3, "keep.cpp", 1);
    EXPECT_EQ(TrackedAlloc(SIZE_MAX - 8, "huge.cpp", 1), nullptr);
    EXPECT_EQ(TrackedAlloc(0x80000000u, "huge.cpp", 1), nullptr);
    EXPECT_EQ(TrackedBlockCount(), 1);
    std::vector<std::string> lines = Lines();
    EXPECT_TRUE(logfile::HasLine(lines, "Alloc memory dump"));
    EXPECT_NE(LineWithFile(lines, "keep.cpp"), "<no line for keep.cpp>");
    TrackedFree(keep);
}

TEST_F(TrackedAllocTest, EveryDamagedHeaderByteIsReported) {
    unsigned char* a = static_cast<unsigned char*>(TrackedAlloc(4, "oldest.cpp", 1));
    unsigned char* b = static_cast<unsigned char*>(TrackedAlloc(4, "middle.cpp", 2));
    unsigned char* c = static_cast<unsigned char*>(TrackedAlloc(4, "newest.cpp", 3));
    EXPECT_EQ(CheckAllocations(), 0);
    const size_t header = TrackedHeaderBytes();
    EXPECT_GE(header, 64u) << "the header holds at least the 64 bytes of its fields";
    EXPECT_EQ(header % 16, 0u) << "the memory after the header must stay aligned";
    for (size_t offset = 0; offset < header; ++offset) {
        LogStart(dir.path().c_str());
        HeaderByte(b, offset) ^= 0xFF;
        EXPECT_EQ(CheckAllocations(), -1) << "header byte " << offset;
        HeaderByte(b, offset) ^= 0xFF;
        std::vector<std::string> lines = Lines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[0], "0:以下のメモリ確保情報が破損しました");
        // The reported block is the middle one; its dump line may show the damage.
        EXPECT_NE(lines[1].find("\tsize:"), std::string::npos) << lines[1];
        EXPECT_NE(lines[1].find("  data:<"), std::string::npos) << lines[1];
    }
    EXPECT_EQ(CheckAllocations(), 0);
    TrackedFree(a);
    TrackedFree(b);
    TrackedFree(c);
}

TEST_F(TrackedAllocTest, FirstDamagedBlockFromTheNewestEndIsReported) {
    unsigned char* a = static_cast<unsigned char*>(TrackedAlloc(4, "oldest.cpp", 1));
    unsigned char* b = static_cast<unsigned char*>(TrackedAlloc(4, "middle.cpp", 2));
    unsigned char* c = static_cast<unsigned char*>(TrackedAlloc(4, "newest.cpp", 3));
    HeaderByte(a, TrackedHeaderBytes() - 1) ^= 0x01;  // the guard copy of the oldest
    HeaderByte(b, 20) ^= 0x01;                        // the middle one's size field
    EXPECT_EQ(CheckAllocations(), -1);
    std::vector<std::string> lines = Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_NE(lines[1].find("file:middle.cpp"), std::string::npos) << lines[1];
    HeaderByte(b, 20) ^= 0x01;
    HeaderByte(a, TrackedHeaderBytes() - 1) ^= 0x01;
    TrackedFree(c);
    TrackedFree(b);
    TrackedFree(a);
    EXPECT_EQ(TrackedBlockCount(), 0);
}

TEST_F(TrackedAllocTest, FreeOfADamagedBlockIsReportedNotDone) {
    unsigned char* a = static_cast<unsigned char*>(TrackedAlloc(4, "a.cpp", 1));
    unsigned char* b = static_cast<unsigned char*>(TrackedAlloc(4, "b.cpp", 2));
    HeaderByte(b, 24) ^= 0x10;  // the link to the older block
    TrackedFree(b);
    EXPECT_EQ(TrackedBlockCount(), 2) << "a damaged block must not be unlinked";
    EXPECT_TRUE(logfile::HasLine(Lines(), "以下のメモリ確保情報が破損しました"));
    HeaderByte(b, 24) ^= 0x10;
    TrackedFree(b);
    TrackedFree(a);
    EXPECT_EQ(TrackedBlockCount(), 0);
}

TEST_F(TrackedAllocTest, CheckEachTimeFindsDamageOnTheNextAllocation) {
    unsigned char* a = static_cast<unsigned char*>(TrackedAlloc(4, "a.cpp", 1));
    HeaderByte(a, 16) ^= 0x01;  // the serial number
    TrackedSetTrace(0, 0, 0, 1);
    void* b = TrackedAlloc(4, "b.cpp", 2);
    TrackedSetTrace(0, 0, 0, 0);
    std::vector<std::string> lines = Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(logfile::WithoutStamp(lines[0]), "以下のメモリ確保情報が破損しました");
    EXPECT_NE(lines[1].find("file:a.cpp"), std::string::npos);
    HeaderByte(a, 16) ^= 0x01;  // the serial number
    TrackedFree(b);
    TrackedFree(a);
}

TEST_F(TrackedAllocTest, LinkingNextToADamagedBlockDoesNotHideTheDamage) {
    unsigned char* a = static_cast<unsigned char*>(TrackedAlloc(4, "a.cpp", 1));
    unsigned char* b = static_cast<unsigned char*>(TrackedAlloc(4, "b.cpp", 2));
    HeaderByte(b, 5) ^= 0x20;
    void* c = TrackedAlloc(4, "c.cpp", 3);  // changes b's link to the newer block
    TrackedFree(c);                         // and back
    EXPECT_EQ(CheckAllocations(), -1);
    EXPECT_NE(LineWithFile(Lines(), "b.cpp"), "<no line for b.cpp>");
    HeaderByte(b, 5) ^= 0x20;
    EXPECT_EQ(CheckAllocations(), 0);
    TrackedFree(b);
    TrackedFree(a);
}
