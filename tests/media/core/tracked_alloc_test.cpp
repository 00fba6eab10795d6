// tracked_alloc_test.cpp - the tracking allocator: the dump byte for byte, the trace
// rule of 0-byte blocks, the list order, and the detection of damaged headers.
#include <string.h>

#include <regex>
#include <string>
#include <vector>

#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
#include "tests/support/layer_fixture.h"

namespace {

class TrackedAllocTest : public LayerTest {
protected:
    void SetUp() override {
        LayerTest::SetUp();
        LogStart(dir.path().c_str());
        TrackedSetTrace(0, 0, 0, 0);
        ASSERT_EQ(TrackedBlockCount(), 0) << "an earlier test left a block alive";
    }
    // The log's bytes with every serial number turned into "ID:#".
    std::string Log() const {
        return std::regex_replace(logfile::ReadBytes(dir.file("Log.txt")), std::regex("ID:[0-9]+"),
                                  "ID:#");
    }
};

// Byte `offset` of the header in front of `block`.
unsigned char& HeaderByte(void* block, size_t offset) {
    return static_cast<unsigned char*>(
        block)[static_cast<ptrdiff_t>(offset) - static_cast<ptrdiff_t>(TrackedHeaderBytes())];
}

const char* const kDamaged = "以下のメモリ確保情報が破損しました";

}  // namespace

// One live block, then the whole dump as bytes: the totals repeat the block's size. The
// data preview shows bytes below 0x20 as '.', every other byte as it is (the log's text
// conversion must not touch it).
TEST_F(TrackedAllocTest, DumpOfOneBlock) {
    const struct {
        std::string data;
        const char* file;
        int line;
        std::string size, rest;
    } cases[] = {
        {std::string("AB\0\n\x80\xA5\xFF\x1F \xE6", 10), "alloc_test.cpp", 77, "10(0.010kb)",
         "file:alloc_test.cpp  line:77  ID:#  data:<AB..\x80\xA5\xFF. \xE6> "
         "[41 42 00 0a 80 a5 ff 1f 20 e6]"},
        {"abcdefghijklmnopqrst", "", 0, "20(0.020kb)",
         "file:  line:0  ID:#  data:<abcdefghijklmnop> "
         "[61 62 63 64 65 66 67 68 69 6a 6b 6c 6d 6e 6f 70]"},
        {"x", "abcdefghijklmnopqrst", -1, "1(0.001kb)",
         "file:fghijklmnopqrst  line:65535  ID:#  data:<x> [78]"},
        {"", "z.cpp", 2048, "0(0.000kb)", "file:z.cpp  line:2048  ID:#  data:<> ]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rest);
        void* p = TrackedAlloc(c.data.size(), c.file, c.line);
        ASSERT_NE(p, nullptr);
        memcpy(p, c.data.data(), c.data.size());
        LogStart(dir.path().c_str());
        DumpAllocations();
        EXPECT_EQ(Log(), "0:\r\n0:Alloc memory dump\r\n0:\tsize:" + c.size + "  " + c.rest +
                             "\r\n0:\tTotal size:" + c.size + "  Alloc num:1\r\n0:\r\n");
        TrackedFree(p);
    }
}

// With the switches off only a 0-byte block is logged (on alloc and free); with
// traceSize -1 and printTotals every block is, followed by the totals.
TEST_F(TrackedAllocTest, TraceRules) {
    void* other = TrackedAlloc(8, "other.cpp", 3);
    TrackedFree(TrackedAlloc(0, "zero.cpp", 5));
    TrackedFree(other);
    const std::string line = "\tsize:0(0.000kb)  file:zero.cpp  line:5  ID:#  data:<> ]\r\n";
    EXPECT_EQ(Log(), "0:mem alloc  " + line + "0:mem free  " + line);

    LogStart(dir.path().c_str());
    TrackedSetTrace(-1, 0, 1, 0);
    TrackedFree(TrackedAlloc(2048, "t.cpp", 9));
    const std::string big = "\tsize:2048(2.000kb)  file:t.cpp  line:9  ID:#  data:...\r\n";
    EXPECT_EQ(std::regex_replace(Log(), std::regex("data:<[^\r\n]*"), "data:..."),
              "0:mem alloc  " + big + "0:\tTotal size:2048(2.000kb)  Alloc num:1\r\n" +
                  "0:mem free  " + big + "0:\tTotal size:0(0.000kb)  Alloc num:0\r\n");
}

// After three blocks and freeing the middle one the dump lists the newest, then the
// oldest (serials count every allocation); zero-filled blocks; impossible sizes fail
// and write the dump.
TEST_F(TrackedAllocTest, ListOrderSerialsAndImpossibleSizes) {
    void* a = TrackedAlloc(10, "a.cpp", 1);
    void* b = TrackedAlloc(20, "b.cpp", 2);
    void* c = TrackedAlloc(30, "c.cpp", 3);
    EXPECT_EQ(TrackedTotalSize(), 60u);
    TrackedFree(b);
    DumpAllocations();
    const std::string log = logfile::ReadBytes(dir.file("Log.txt"));
    std::smatch id;
    ASSERT_TRUE(std::regex_match(log, id,
                                 std::regex("0:\r\n0:Alloc memory dump\r\n"
                                            "0:\tsize:30[^\r]*c.cpp  line:3  ID:([0-9]+)[^\r]*\r\n"
                                            "0:\tsize:10[^\r]*a.cpp  line:1  ID:([0-9]+)[^\r]*\r\n"
                                            "0:\tTotal size:40\\(0.039kb\\)  Alloc num:2"
                                            "\r\n0:\r\n")))
        << log;
    EXPECT_EQ((std::stoi(id[2]) + 2) % 65536, std::stoi(id[1]));
    TrackedFree(c);
    TrackedFree(a);

    LogStart(dir.path().c_str());
    char* p = static_cast<char*>(TrackedAllocZero(100, "keep.cpp", 1));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::string(p, 100), std::string(100, '\0'));
    TrackedFree(nullptr);
    // Sizes the heap or the header's 32-bit size cannot take.
    EXPECT_EQ(TrackedAlloc(SIZE_MAX - 8, "huge.cpp", 1), nullptr);
    EXPECT_EQ(TrackedAlloc(0x80000000u, "huge.cpp", 1), nullptr);
    EXPECT_EQ(TrackedBlockCount(), 1);
    EXPECT_TRUE(Logged("Alloc memory dump"));
    EXPECT_TRUE(Logged("file:keep.cpp "));
    TrackedFree(p);
}

// Every byte of the middle block's header is damaged in turn while the oldest
// block's guard copy is damaged too: the middle one, the first from the newest end,
// is reported. A damaged block is never unlinked nor hidden by renewing its guard when
// a neighbour goes; with checkEachTime the next allocation finds the damage however far
// back it lies.
TEST_F(TrackedAllocTest, DamagedHeadersAreReportedNeitherHiddenNorUnlinked) {
    void* a = TrackedAlloc(4, "oldest.cpp", 1);
    void* b = TrackedAlloc(4, "middle.cpp", 2);
    void* c = TrackedAlloc(4, "newest.cpp", 3);
    EXPECT_EQ(CheckAllocations(), 0);
    const size_t header = TrackedHeaderBytes();
    HeaderByte(a, header - 1) ^= 0x01;
    for (size_t offset = 0; offset < header; ++offset) {
        SCOPED_TRACE(offset);
        LogStart(dir.path().c_str());
        HeaderByte(b, offset) ^= 0xFF;
        EXPECT_EQ(CheckAllocations(), -1);
        HeaderByte(b, offset) ^= 0xFF;
        std::vector<std::string> lines = LogLines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], kDamaged);
        EXPECT_EQ(lines[1].rfind("\tsize:", 0), 0u) << lines[1];
        EXPECT_EQ(lines[1].find("oldest.cpp"), std::string::npos) << lines[1];
    }
    HeaderByte(a, header - 1) ^= 0x01;

    TrackedFree(c);
    HeaderByte(b, 0) ^= 0x20;  // its file name: the guard alone shows the damage
    TrackedFree(b);
    EXPECT_EQ(TrackedBlockCount(), 2);
    TrackedFree(TrackedAlloc(4, "c.cpp", 3));
    LogStart(dir.path().c_str());
    EXPECT_EQ(CheckAllocations(), -1);
    EXPECT_TRUE(Logged("file:Middle.cpp "));
    HeaderByte(b, 0) ^= 0x20;

    HeaderByte(a, 16) ^= 0x01;
    LogStart(dir.path().c_str());
    TrackedSetTrace(0, 0, 0, 1);
    c = TrackedAlloc(4, "c.cpp", 4);
    TrackedSetTrace(0, 0, 0, 0);
    EXPECT_EQ(LogLines().size(), 2u);
    EXPECT_TRUE(Logged("file:oldest.cpp ") == 2 && Logged(kDamaged) == 1);
    HeaderByte(a, 16) ^= 0x01;
    EXPECT_EQ(CheckAllocations(), 0);
    TrackedFree(c);
    TrackedFree(b);
    TrackedFree(a);
}
