// Tests of the file layer and the archive format: archives standing in for folders,
// name and path rules, keys and extensions, the open-file and archive tables, seeking
// and reading, limits before a compressed entry is unpacked, files that are not
// regular, LZ streams written by hand, and archives damaged on purpose (handed over
// from memory). The LZ encoder is checked by the packer's tests, which pack and read
// back whole trees, and by its round-trip fuzz target.
#include <gtest/gtest.h>

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "media/core/log.h"
#include "pavex.h"
#include "media/platform/plat_system.h"
#include "tests/media/file/archive_fixture.h"

using namespace archive_test;

namespace {

// The number after each place `needle` stands in `text` (0 where none follows).
std::vector<unsigned long> NumbersAfter(const std::string& text, const std::string& needle) {
    std::vector<unsigned long> numbers;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        numbers.push_back(strtoul(text.c_str() + at + needle.size(), nullptr, 10));
    return numbers;
}

// ---- archives standing in for folders ----

TEST_F(FileLayerTest, NamesAndPathsFindTheSameEntry) {
    WriteText("pack/Sound/Effect/Decide.wav", "decide");
    WriteText("data/Sound/Effect/Decide.wav", "plain decide");
    WriteText("data/plain.txt", "plain");           // hidden by an archive that does not hold it
    WriteText("pack/表/中.txt", "archived table");  // "表" is 0x95 0x5C: a trail byte of '\'
    WriteText("pack/ヂ.txt", "ヂ");                 // 0x83 0x61: a trail byte of 'a'
    WriteText("datax/a.txt", "next door");          // same first letters, another folder
    ASSERT_TRUE(Pack("pack", "data.dat", "KWZ"));
    FileSetArchiveExtension("dat");
    FileSetArchiveKey("KWZ");
    const std::string decide = "/Sound/Effect/Decide.wav";
    const struct {
        std::string path, expected;
    } cases[] = {
        {"./data" + decide, "decide"},
        {"data/sound/EFFECT/dEcIdE.WAV", "decide"},
        {"data\\SOUND\\effect\\decide.wav", "decide"},
        {"Data" + decide, kNone},  // the archive file name is not folded
        {"data/Sound/Effect/Decide.wa", kNone},
        {"data/Sound/Effect", kNone},  // a folder is not a file
        {"data/Sound/./Effect/../../Sound/Effect/Decide.wav", "decide"},
        {"../../../../../../../../../../../../../.." + dir_.path() + "/data" + decide, "decide"},
        {"data/Sound/.../../Effect/Decide.wav", "decide"},  // "..." is a name
        {"\\" + dir_.path() + "//data///Sound/Effect/Decide.wav", "decide"},
        {"datax/a.txt", "next door"},  // the archive used last serves only its folder
        {"data/plain.txt", kNone},
        {"data/\x95\x5C/\x92\x86.txt", "archived table"},
        {"data/表/中.txt", "archived table"},
        {"data/ヂ.txt", "ヂ"},
        {"data/ア.txt", kNone},  // 0x83 0x41: the trail byte is not a letter to fold
        {"data/" + std::string(1100, 'n'), kNone},  // longer than any name in an archive
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(Read(c.path), c.expected);
    }
    EXPECT_EQ(FileArchiveCount(), 1);
    // Relative paths follow the current directory, into the archive too.
    char start[kFilePathMax], tiny[4];
    ASSERT_EQ(FileGetCurrentDirectory(start, sizeof(start)), 0);
    EXPECT_EQ(FileGetCurrentDirectory(tiny, sizeof(tiny)), -1);
    EXPECT_EQ(FileSetCurrentDirectory("no-such-folder"), -1);
    ASSERT_EQ(FileSetCurrentDirectory("data/Sound"), 0);
    EXPECT_EQ(Read("Effect/Decide.wav"), "decide");
    ASSERT_EQ(FileSetCurrentDirectory(start), 0);
    EXPECT_EQ(FileNormalizePath("/x", "abc", tiny, sizeof(tiny)), -1);  // no room
    EXPECT_TRUE(FileNormalizePath("/x", "..", tiny, sizeof(tiny)) == 0 && tiny == std::string("/"));

    FileUsePlainFiles(1);  // the plain set never looks for archives
    FileStartUp();
    EXPECT_EQ(Read("data" + decide), "plain decide");
    FileUsePlainFiles(0);
    FileStartUp();
    EXPECT_EQ(Read("data" + decide), "decide");
    // A settings call drops archives no file holds. Opening a FIFO waits for a writer
    // unless the open is told not to (a test that hangs is ended by the alarm); the
    // FIFO data.dat is no archive.
    std::filesystem::remove("data.dat");
    ASSERT_TRUE(mkfifo("data.dat", 0600) == 0 && mkfifo("fifo.txt", 0600) == 0);
    FileSetArchiveKey("KWZ");
    alarm(20);
    EXPECT_EQ(FileOpen("fifo.txt"), 0u);
    EXPECT_EQ(Read("data" + decide), "plain decide");
    alarm(0);
}

// Through the public, locked calls.
TEST_F(FileLayerTest, KeysAreCutToTwelveOrRepeatedAndExtensionsFallBackToPva) {
    WriteText("pack/a.txt", "secret");
    const std::string e63(63, 'e'), e64(64, 'e');
    const struct {
        const char *packKey, *setKey;
        std::string fileExtension;
        const char* setExtension;
        bool reads, fallback = false;  // fallback: enciphered with the fall-back key
    } cases[] = {
        // clang-format off
        {"ABCDEFGHIJKL", "ABCDEFGHIJKLmnopqrst", "PVA", nullptr, true},
        {"ABCDEFGHIJKL", "ABCDEFGHIJKXmnopqrst", "PVA", nullptr, false},
        {nullptr, nullptr, "PVA", nullptr, true},     {nullptr, "", "PVA", "", true},
        {nullptr, "KWZ", "PVA", nullptr, false},      {nullptr, nullptr, e63, e63.c_str(), true},
        {nullptr, nullptr, "PVA", e64.c_str(), true}, {nullptr, nullptr, "PVA", "dat", false},
        {nullptr, nullptr, "dat", "dat", true}, {nullptr, "anything", "PVA", nullptr, true, true},
        {"KWZKWZKWZKWZ", "KWZ", "PVA", nullptr, true},
        // clang-format on
    };
    uint8_t fallback[kPvaKeySize];
    PvaMakeFallbackKey(fallback);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.setKey ? c.setKey : "(null)") + " / " + c.fileExtension);
        ASSERT_TRUE(Pack("pack", "data." + c.fileExtension, c.packKey));
        if (ClearArchive a; c.fallback && a.Load("data.PVA", nullptr)) a.Save("data.PVA", fallback);
        EXPECT_EQ(SetArchiveKey(c.setKey), 0);
        EXPECT_EQ(SetArchiveExtension(c.setExtension), 0);
        EXPECT_EQ(Read("data/a.txt"), c.reads ? "secret" : kNone);
        std::filesystem::remove("data." + c.fileExtension);
    }
}

// ---- the open-file and archive tables ----

TEST_F(FileLayerTest, TablesFillUpAndUnknownHandlesAreRefused) {
    LogStart(dir_.path().c_str());
    WriteText("one.txt", "1");
    for (uint32_t i = 0; i < kFileMaxOpen; ++i) ASSERT_EQ(FileOpen("one.txt"), kFileHandleBase + i);
    EXPECT_EQ(FileOpen("one.txt"), 0u);
    ASSERT_EQ(FileClose(kFileHandleBase + 100), 0);
    EXPECT_EQ(FileOpen("one.txt"), kFileHandleBase + 100u);  // the lowest free slot
    EXPECT_EQ(FileOpen("one.txt"), 0u);
    // The limit is logged, in Shift-JIS, once per refusal.
    char expected[256];
    PlatUtf8ToShiftJis("同時に開けるファイルの数が限界を超えました", expected, sizeof(expected));
    EXPECT_EQ(NumbersAfter(ReadText("Log.txt"), expected).size(), 2u);

    FileShutDown();
    const FileHandle closed = FileOpen("one.txt");
    ASSERT_EQ(FileClose(closed), 0);
    for (FileHandle bad : {0u, 1u, closed, kFileHandleBase + 512u, 0xFFFFFFFFu}) {
        EXPECT_TRUE(FileClose(bad) == -1 && FileTell(bad) == -1 && FileSize(bad) == -1 &&
                    FileSeek(bad, 0, kFileSeekStart) == -1 && FileEof(bad) == -1 &&
                    FileRead(expected, 1, 4, bad) == 0)
            << bad;
    }
    for (const char* bad : {"missing.txt", "", ".", static_cast<const char*>(nullptr)})
        EXPECT_EQ(FileOpen(bad), 0u);
    EXPECT_EQ(FileOpenCount(), 0);

    // Unreferenced archives are closed lazily when their table is full.
    WriteText("pack/a.txt", "held!");
    ASSERT_TRUE(Pack("pack", "held.PVA"));
    const FileHandle held = FileOpen("held/a.txt");
    ASSERT_NE(held, 0u);
    WriteText("pack/a.txt", "entry");
    ASSERT_TRUE(Pack("pack", "entry.PVA"));
    // 600 folders, each stood in for by its own archive.
    for (int i = 0; i < 600; ++i) {
        std::filesystem::copy_file("entry.PVA", "d" + std::to_string(i) + ".PVA");
        ASSERT_EQ(Read("d" + std::to_string(i) + "/a.txt"), "entry") << i;
    }
    EXPECT_EQ(FileSeek(held, 0, kFileSeekStart), 0);  // still open and readable
    EXPECT_EQ(FileRead(expected, 1, 6, held), 5u);
    EXPECT_EQ(std::string(expected, 5), "held!");
    // "d0.PVA" was closed to make room: once it is gone, the folder is plain again.
    std::filesystem::remove("d0.PVA");
    WriteText("d0/a.txt", "plain again");
    EXPECT_EQ(Read("d0/a.txt"), "plain again");
}

// ---- reading ----

// Reads and seeks the same way through plain, stored and compressed files: short
// reads at the end, whole elements only, refused seeks that leave the position.
void CheckReading(const char* path, const Bytes& content) {
    SCOPED_TRACE(path);
    const FileHandle file = FileOpen(path);
    ASSERT_NE(file, 0u);
    const int64_t size = static_cast<int64_t>(content.size());
    EXPECT_EQ(FileSize(file), size);
    Bytes buffer(25);
    for (int64_t at : {int64_t{0}, int64_t{13}, size / 2, size - 1}) {
        const size_t n = static_cast<size_t>(std::min<int64_t>(25, size - at));
        ASSERT_EQ(FileSeek(file, at, kFileSeekStart), 0);
        ASSERT_EQ(FileRead(buffer.data(), 1, 25, file), n) << at;
        EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + n, content.begin() + at)) << at;
        EXPECT_EQ(FileEof(file), at + static_cast<int64_t>(n) == size ? 1 : 0) << at;
    }
    EXPECT_EQ(FileSeek(file, -10, kFileSeekEnd), 0);
    EXPECT_EQ(FileRead(buffer.data(), 4, 4, file), 2u);
    EXPECT_EQ(FileTell(file), size);
    EXPECT_TRUE(std::equal(content.end() - 10, content.end(), buffer.begin()));
    ASSERT_EQ(FileSeek(file, 10 - size, kFileSeekCurrent), 0);
    EXPECT_EQ(FileRead(buffer.data(), 3, 1, file), 1u);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 3, content.begin() + 10));
    const std::pair<int64_t, int> refused[] = {
        {-1, kFileSeekStart}, {1, kFileSeekEnd}, {INT64_MAX, kFileSeekCurrent}, {0, 3}};
    for (auto [offset, origin] : refused) EXPECT_EQ(FileSeek(file, offset, origin), -1);
    EXPECT_EQ(FileTell(file), 13);
    EXPECT_EQ(FileRead(buffer.data(), SIZE_MAX / 2, 4, file), 0u);  // size * count overflows
    EXPECT_EQ(FileClose(file), 0);
}

// A compressed entry is unpacked when it opens: the caller's limit, and the layer's
// cap for a hostile size, apply before anything of that size is allocated.
TEST_F(FileLayerTest, LimitsApplyBeforeAnEntryIsUnpacked) {
    WriteText("empty.txt", "");
    EXPECT_EQ(Read("empty.txt", 0), "");

    const size_t zeros = size_t{8} << 20, noise = 160 << 10;
    WriteFile("pack/zeros.bin", Bytes(zeros));
    WriteFile("pack/noise.bin", Noise(noise, 5));
    ASSERT_TRUE(Pack("pack", "orig.PVA"));
    // noise.bin (stored, the first entry) claims 300 MB unpacked from its 160 KB.
    ClearArchive clear;
    ASSERT_TRUE(clear.Load("orig.PVA", nullptr));
    const size_t entry = clear.FileTable(), stream = kPvaHeaderSize + clear.Get32(entry + 8);
    for (size_t at : {entry + 12, stream}) clear.Put32(at, 300u << 20);
    for (size_t at : {entry + 16, stream + 4}) clear.Put32(at, static_cast<uint32_t>(noise));
    clear.Save("data.PVA");

    LogStart(dir_.path().c_str());
    TrackedSetTrace(INT_MAX, 0, 1, 0);  // the totals after every allocation
    EXPECT_EQ(Read("data/zeros.bin", zeros - 1), kNone);
    EXPECT_EQ(FileOpen("data/noise.bin"), 0u);
    TrackedSetTrace(0, 0, 0, 0);
    const auto totals = NumbersAfter(ReadText("Log.txt"), "Total size:");  // the allocator's
    EXPECT_LT(*std::max_element(totals.begin(), totals.end()), 1ul << 20);
    EXPECT_EQ(Read("data/zeros.bin", zeros), std::string(zeros, '\0'));
}

// ---- the LZ format ----

// A stream of the 9-byte header and `tokens`.
Bytes Stream(uint32_t decompressed, uint8_t escape, const Bytes& tokens) {
    Bytes out(kPvaLzHeaderSize + tokens.size());
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<uint8_t>(decompressed >> (8 * i));
        out[4 + i] = static_cast<uint8_t>(out.size() >> (8 * i));
    }
    out[8] = escape;
    std::copy(tokens.begin(), tokens.end(), out.begin() + kPvaLzHeaderSize);
    return out;
}

Bytes Join(Bytes head, const Bytes& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// Streams written by hand from the token rules; an empty result means refused.
TEST(LzTokens, HandWrittenStreamsDecodeOrAreRefused) {
    // 300 literals (0..254 repeating; the escape 0xFF never occurs), and 70000 bytes.
    Bytes counting(300), wide(70000, 'k');
    for (size_t i = 0; i < counting.size(); ++i) counting[i] = static_cast<uint8_t>(i % 255);
    wide[0] = 'S';
    const struct {
        const char* name;
        size_t size;
        uint8_t escape;
        Bytes tokens, expected = {};
    } cases[] = {
        // 'Q', then a copy of 7 from distance 0+1: code (7-4)<<3, one-byte field.
        {"distance 0 repeats the last byte", 8, 0xF0, {'Q', 0xF0, 3 << 3, 0}, Bytes(8, 'Q')},
        {"escape twice is a literal escape", 3, 'x', {'a', 'x', 'x', 'b'}, Text("axb")},
        // Escape 0: code (5-4)<<3 = 8 is written as 9.
        {"codes above the escape are lowered", 7, 0, {'a', 'b', 0, 9, 1}, Text("abababa")},
        // A copy of 4 + (2 << 5) + 1 = 69 from distance 1: code 1<<3 | 4.
        {"extra length byte", 70, 0xFF, {'z', 0xFF, (1 << 3) | 4, 2, 0}, Bytes(70, 'z')},
        // A copy of 4 from distance 300: two-byte field 299 = 0x012B, code 1.
        {"two-byte distance", 304, 0xFF, Join(counting, {0xFF, 1, 0x2B, 1}),
         Join(counting, {0, 1, 2, 3})},
        // 70000 back: three-byte field 69999 = 0x01116F, code 2.
        {"three-byte distance", 70004, 0xFF, Join(wide, {0xFF, 2, 0x6F, 0x11, 1}),
         Join(wide, {'S', 'k', 'k', 'k'})},
        {"distance before the output", 6, 0xFF, {'a', 0xFF, 0 << 3, 1}},
        {"copy with nothing written", 4, 0xFF, {0xFF, 0 << 3, 0}},
        {"distance size code 3", 5, 0xFF, {'a', 0xFF, 3, 0, 0, 0, 0}},
        {"escape at the end", 1, 0xFF, {'a', 0xFF}},
        {"missing extra length byte", 40, 0xFF, {'a', 0xFF, 4}},
        {"missing distance bytes", 5, 0xFF, {'a', 0xFF, 1, 0}},
        {"copy past the declared size", 4, 0xFF, {'a', 0xFF, 3 << 3, 0}},
        {"data short of the declared size", 10, 0xFF, {'a', 'b'}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto in = Stream(static_cast<uint32_t>(c.size), c.escape, c.tokens);
        Bytes out(c.size + 16, 0xEE);  // 16 guard bytes past the declared size
        EXPECT_EQ(PvaLzDecode(in.data(), in.size(), out.data(), c.size) == 0, !c.expected.empty());
        EXPECT_EQ(Bytes(out.begin() + c.size, out.end()), Bytes(16, 0xEE)) << "wrote past the end";
        out.resize(c.size);
        EXPECT_TRUE(c.expected.empty() || out == c.expected);
    }
    // A buffer not of the declared size, a compressed size past the input or below a
    // header, a decompressed size no stream of this length can produce.
    auto in = Stream(2, 0xFF, {'a', 'b'});
    uint8_t out[3];
    EXPECT_EQ(PvaLzDecode(in.data(), in.size(), out, 3), -1);
    for (uint8_t claimed : {200, 5}) {
        in[4] = claimed;
        EXPECT_EQ(PvaLzDecode(in.data(), in.size(), out, 2), -1);
    }
    uint32_t d, c;
    in = Stream(0xFFFFFFF0u, 0xFF, {'a', 'b', 'c', 'd'});
    EXPECT_EQ(PvaLzReadHeader(in.data(), in.size(), &d, &c), -1);
    EXPECT_EQ(PvaLzReadHeader(in.data(), 8, &d, &c), -1);
}

// ---- damaged archives ----

// Each change (a 32-bit value written, the archive cut short) to a packed archive,
// handed over from memory, either leaves it no archive at all (the plain file beside
// it is read) or makes the open fail; nothing stays open or allocated. Undamaged, on
// disk, its entries read like plain files.
TEST_F(FileLayerTest, DamagedArchivesFailCleanlyAndWholeOnesReadLikePlainFiles) {
    std::string text;
    for (int i = 0; i < 400; ++i) text += "line " + std::to_string(i % 7) + " of the text\n";
    const Bytes noise = Noise(5000, 99);
    WriteText("pack/z.txt", text);
    WriteFile("pack/sub/y.txt", noise);
    WriteText("data/z.txt", "plain");
    WriteFile("plain/noise.bin", noise);
    ASSERT_TRUE(Pack("pack", "orig.PVA"));
    ClearArchive original;
    ASSERT_TRUE(original.Load("orig.PVA", nullptr));
    // The file table: the folder "sub", z.txt (compressed), then sub's y.txt (stored).
    const size_t folder = original.FileTable(), z = folder + kPvaFileEntrySize,
                 y = z + kPvaFileEntrySize, stream = kPvaHeaderSize + original.Get32(z + 8),
                 dirs = original.DirTable(), none = SIZE_MAX;
    ASSERT_TRUE(original.Get32(z + 16) != kPvaStored && original.Get32(y + 16) == kPvaStored);
    const uint32_t blockSize = original.Get32(4), magic = 'P' | 'V' << 8;
    const std::string plain = "plain";
    const struct {
        const char* name;
        size_t at;
        uint32_t value;
        std::string expected, path = "data/z.txt";
        size_t length = 0;
    } cases[] = {
        {"undamaged", none, 0, text},
        {"version 3 is read", 0, magic | 3 << 16, text},
        {"future version", 0, magic | 4 << 16, plain},
        {"no magic", 0, 'P' | 'X' << 8 | 2 << 16, plain},
        {"4 GB block in 100 bytes", 4, ~15u, plain, "data/z.txt", 100},
        {"truncated tables", none, 0, plain, "data/z.txt", original.bytes.size() - 5},
        {"no room for the root", 20, blockSize - 4, plain},
        {"tables out of order", 16, original.Get32(20) + 4, plain},
        {"data past the end", z + 8, ~255u, kNone},
        {"packed size past the end", z + 16, ~255u, kNone},
        {"size no stream could give", z + 12, ~255u, kNone},
        {"stored size past the end", y + 12, 1u << 20, kNone, "data/sub/y.txt"},
        // The walk ends where the file table ends.
        {"entry count too large", dirs + 8, ~0u, kNone, "data/sub/missing.txt"},
        {"entries outside the table", dirs + 12, ~15u, kNone},
        {"folder record outside the table", folder + 8, blockSize - 8, kNone, "data/sub/y.txt"},
        {"name units too large", original.BlockPos(), ~0u, kNone},
        // Escape 0, then 0 1 1: a copy of 4 from distance 2 as the first token.
        {"copy from before the output", stream + 8, 0x01010000, kNone},
        {"LZ header disagreeing", stream, original.Get32(stream) + 1, kNone},
    };
    const int blocksBefore = TrackedBlockCount();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClearArchive damaged = original;
        if (c.at != none) damaged.Put32(c.at, c.value);
        if (c.length) damaged.bytes.resize(c.length);
        const Bytes bytes = damaged.Enciphered();
        FileStartUp();  // forget the archive read before
        EXPECT_EQ(FileAddMemoryArchive("data", bytes.data(), bytes.size()) == 0,
                  c.expected != plain);
        const FileHandle file = FileOpen(c.path.c_str());
        EXPECT_EQ(file == 0, c.expected == kNone);
        FileClose(file);
        EXPECT_EQ(Read(c.path), c.expected);
        EXPECT_EQ(FileOpenCount(), 0);
        FileShutDown();
        EXPECT_EQ(TrackedBlockCount(), blocksBefore);
    }
    // An archive that a file holds open is not replaced.
    const Bytes bytes = original.Enciphered();
    ASSERT_EQ(FileAddMemoryArchive("data", bytes.data(), bytes.size()), 0);
    const FileHandle held = FileOpen("data/sub/y.txt");
    EXPECT_EQ(FileAddMemoryArchive("./data", bytes.data(), bytes.size()), -1);
    EXPECT_EQ(FileClose(held), 0);
    FileStartUp();
    std::filesystem::rename("orig.PVA", "data.PVA");
    CheckReading("plain/noise.bin", noise);
    CheckReading("data/sub/y.txt", noise);
    CheckReading("data/z.txt", Text(text));
}

}  // namespace
