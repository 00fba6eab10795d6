// Tests of the tracking allocator: the dump line byte for byte, the trace rule of
// 0-byte blocks, the list order, and the detection of damaged headers.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
#include "tests/support/log_reader.h"
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

bool HasFile(const std::vector<std::string>& lines, const std::string& file) {
    for (const std::string& l : lines) {
        if (l.find("file:" + file + " ") != std::string::npos) return true;
    }
    return false;
}

// Byte `offset` of the header in front of `block`.
unsigned char& HeaderByte(void* block, size_t offset) {
    return static_cast<unsigned char*>(
        block)[static_cast<ptrdiff_t>(offset) - static_cast<ptrdiff_t>(TrackedHeaderBytes())];
}

const char* const kDamaged = "0:以下のメモリ確保情報が破損しました";

}  // namespace

// One live block, then the dump: the whole dump, line by line (each line must end
// in CR LF; the serial number is replaced by '#').
TEST_F(TrackedAllocTest, DumpOfOneBlock) {
    struct Case {
        std::string data;
        const char* file;
        int line;
        std::string dumpLine;
        std::string totals;
    };
    const Case cases[] = {
        {std::string("AB\0\n", 4), "alloc_test.cpp", 77,
         "0:\tsize:4(0.004kb)  file:alloc_test.cpp  line:77  ID:#  data:<AB..> [41 42 00 0a]",
         "0:\tTotal size:4(0.004kb)  Alloc num:1"},
        {"abcdefghijklmnopqrst", "", 0,
         "0:\tsize:20(0.020kb)  file:  line:0  ID:#  data:<abcdefghijklmnop> "
         "[61 62 63 64 65 66 67 68 69 6a 6b 6c 6d 6e 6f 70]",
         "0:\tTotal size:20(0.020kb)  Alloc num:1"},
        {"x", "abcdefghijklmnopqrst", 1,
         "0:\tsize:1(0.001kb)  file:fghijklmnopqrst  line:1  ID:#  data:<x> [78]",
         "0:\tTotal size:1(0.001kb)  Alloc num:1"},
        {"x", "exactly15chars_", -1,
         "0:\tsize:1(0.001kb)  file:exactly15chars_  line:65535  ID:#  data:<x> [78]",
         "0:\tTotal size:1(0.001kb)  Alloc num:1"},
        {"", "z.cpp", 2048, "0:\tsize:0(0.000kb)  file:z.cpp  line:2048  ID:#  data:<> ]",
         "0:\tTotal size:0(0.000kb)  Alloc num:1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dumpLine);
        void* p = TrackedAlloc(c.data.size(), c.file, c.line);
        ASSERT_NE(p, nullptr);
        memcpy(p, c.data.data(), c.data.size());
        LogStart(dir.path().c_str());
        DumpAllocations();
        std::vector<std::string> lines = Lines();
        for (std::string& l : lines) l = WithoutId(l);
        EXPECT_EQ(lines, (std::vector<std::string>{"0:", "0:Alloc memory dump", c.dumpLine,
                                                   c.totals, "0:"}));
        TrackedFree(p);
    }
}

TEST_F(TrackedAllocTest, ZeroByteBlocksAreTracedOnAllocAndFree) {
    void* other = TrackedAlloc(8, "other.cpp", 3);
    void* zero = TrackedAlloc(0, "zero.cpp", 5);
    ASSERT_NE(zero, nullptr);
    TrackedFree(zero);
    TrackedFree(other);
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 2u) << "only the 0-byte block may be logged";
    const std::string dumpLine = "\tsize:0(0.000kb)  file:zero.cpp  line:5  ID:#  data:<> ]";
    EXPECT_EQ(WithoutId(lines[0]), "0:mem alloc  " + dumpLine);
    EXPECT_EQ(WithoutId(lines[1]), "0:mem free  " + dumpLine);
    EXPECT_EQ(IdOf(lines[0]), IdOf(lines[1]));
}

TEST_F(TrackedAllocTest, TraceEverySizeWithTotals) {
    TrackedSetTrace(-1, 0, 1, 0);
    TrackedFree(TrackedAlloc(2048, "t.cpp", 9));
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find("mem alloc  \tsize:2048(2.000kb)  file:t.cpp  line:9"),
              std::string::npos);
    EXPECT_EQ(lines[1], "0:\tTotal size:2048(2.000kb)  Alloc num:1");
    EXPECT_NE(lines[2].find("mem free  \tsize:2048(2.000kb)"), std::string::npos);
    EXPECT_EQ(lines[3], "0:\tTotal size:0(0.000kb)  Alloc num:0");
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
    EXPECT_EQ((IdOf(lines[3]) + 2) % 65536, IdOf(lines[2])) << "serials count every allocation";
    EXPECT_EQ(lines[4], "0:\tTotal size:40(0.039kb)  Alloc num:2");
    // Freeing the newest and then the oldest leaves the list empty.
    TrackedFree(c);
    TrackedFree(a);
    EXPECT_EQ(TrackedBlockCount(), 0);
    EXPECT_EQ(TrackedTotalSize(), 0u);
    EXPECT_EQ(CheckAllocations(), 0);
}

TEST_F(TrackedAllocTest, ZeroFillNullFreeAndImpossibleSizes) {
    unsigned char* p = static_cast<unsigned char*>(TrackedAllocZero(100, "keep.cpp", 1));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], 0) << i;
    TrackedFree(nullptr);
    // Sizes the heap or the header's 32-bit size cannot take fail and write the dump.
    EXPECT_EQ(TrackedAlloc(SIZE_MAX - 8, "huge.cpp", 1), nullptr);
    EXPECT_EQ(TrackedAlloc(0x80000000u, "huge.cpp", 1), nullptr);
    EXPECT_EQ(TrackedBlockCount(), 1);
    std::vector<std::string> lines = Lines();
    EXPECT_TRUE(logfile::HasLine(lines, "Alloc memory dump"));
    EXPECT_TRUE(HasFile(lines, "keep.cpp"));
    TrackedFree(p);
}

// Every byte of the middle block's header is damaged in turn while the oldest
// block's guard copy is damaged too: the middle one, the first from the newest
// end, is reported.
TEST_F(TrackedAllocTest, EveryDamagedHeaderByteIsReportedFromTheNewestEnd) {
    void* a = TrackedAlloc(4, "oldest.cpp", 1);
    void* b = TrackedAlloc(4, "middle.cpp", 2);
    void* c = TrackedAlloc(4, "newest.cpp", 3);
    EXPECT_EQ(CheckAllocations(), 0);
    const size_t header = TrackedHeaderBytes();
    EXPECT_GE(header, 64u) << "the header holds at least the 64 bytes of its fields";
    EXPECT_EQ(header % 16, 0u) << "the memory after the header must stay aligned";
    HeaderByte(a, header - 1) ^= 0x01;
    for (size_t offset = 0; offset < header; ++offset) {
        SCOPED_TRACE(offset);
        LogStart(dir.path().c_str());
        HeaderByte(b, offset) ^= 0xFF;
        EXPECT_EQ(CheckAllocations(), -1);
        HeaderByte(b, offset) ^= 0xFF;
        std::vector<std::string> lines = Lines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], kDamaged);
        EXPECT_NE(lines[1].find("\tsize:"), std::string::npos) << lines[1];
        EXPECT_EQ(lines[1].find("oldest.cpp"), std::string::npos) << lines[1];
    }
    HeaderByte(a, header - 1) ^= 0x01;
    EXPECT_EQ(CheckAllocations(), 0);
    TrackedFree(a);
    TrackedFree(b);
    TrackedFree(c);
}

TEST_F(TrackedAllocTest, DamageIsReportedNotHiddenNorFollowed) {
    void* a = TrackedAlloc(4, "a.cpp", 1);
    void* b = TrackedAlloc(4, "b.cpp", 2);
    // A block whose link to the older one is damaged is reported, not unlinked.
    HeaderByte(b, 24) ^= 0x10;
    TrackedFree(b);
    EXPECT_EQ(TrackedBlockCount(), 2) << "a damaged block must not be unlinked";
    EXPECT_TRUE(logfile::HasLine(Lines(), "以下のメモリ確保情報が破損しました"));
    HeaderByte(b, 24) ^= 0x10;

    // Linking a newer block next to a damaged one and unlinking it again renews
    // nothing that would hide the damage.
    HeaderByte(b, 5) ^= 0x20;
    TrackedFree(TrackedAlloc(4, "c.cpp", 3));
    LogStart(dir.path().c_str());
    EXPECT_EQ(CheckAllocations(), -1);
    EXPECT_TRUE(HasFile(Lines(), "b.cpp"));
    HeaderByte(b, 5) ^= 0x20;

    // With checkEachTime the next allocation finds the damage.
    HeaderByte(a, 16) ^= 0x01;
    LogStart(dir.path().c_str());
    TrackedSetTrace(0, 0, 0, 1);
    void* d = TrackedAlloc(4, "d.cpp", 4);
    TrackedSetTrace(0, 0, 0, 0);
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], kDamaged);
    EXPECT_NE(lines[1].find("file:a.cpp"), std::string::npos);
    HeaderByte(a, 16) ^= 0x01;
    EXPECT_EQ(CheckAllocations(), 0);
    TrackedFree(d);
    TrackedFree(b);
    TrackedFree(a);
    EXPECT_EQ(TrackedBlockCount(), 0);
}
