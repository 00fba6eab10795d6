// Tests of the file layer: archives standing in for folders, name and path rules,
// keys and extensions, the open-file limit, seeking and reading, the archive table,
// and archives damaged on purpose.
#include <gtest/gtest.h>

#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
#include "media/file/file_access.h"
#include "pavex.h"
#include "media/platform/plat_system.h"
#include "tests/media/file/archive_fixture.h"
#include "tests/support/temp_dir.h"

using namespace archive_test;

namespace {

class FileLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        FileUsePlainFiles(0);
        FileSetArchiveExtension(nullptr);
        FileSetArchiveKey(nullptr);
        FileStartUp();
    }
    void TearDown() override {
        FileShutDown();
        FileSetArchiveExtension(nullptr);
        FileSetArchiveKey(nullptr);
    }
    // The whole file as text, or "<none>" when it does not open.
    static std::string Read(const char* path) {
        size_t size = 0;
        char* data = static_cast<char*>(FileReadAll(path, 1u << 26, &size));
        if (!data) return "<none>";
        std::string text(data, size);
        TrackedFree(data);
        return text;
    }
    // Makes data.dat (extension "dat", key "KWZ") from the folder `source`.
    static void MakeDataArchive(const std::string& source) {
        ASSERT_TRUE(Pack(source, "data.dat", "KWZ"));
        FileSetArchiveExtension("dat");
        FileSetArchiveKey("KWZ");
    }
    TempDir dir_;
};

// ---- archives standing in for folders ----

TEST_F(FileLayerTest, DataArchiveStandsInForTheDataFolder) {
    WriteText("data/Sound/Effect/Decide.wav", "plain decide");
    WriteText("pack/Sound/Effect/Decide.wav", "archived decide");
    MakeDataArchive("pack");
    EXPECT_EQ(Read("./data/Sound/Effect/Decide.wav"), "archived decide");

    // An archive that does not hold the file hides the plain file.
    std::filesystem::remove_all("pack");
    WriteText("pack/Sound/Other.wav", "other");
    MakeDataArchive("pack");
    EXPECT_EQ(Read("./data/Sound/Effect/Decide.wav"), "<none>");
    EXPECT_EQ(Read("./data/Sound/Other.wav"), "other");

    std::filesystem::remove("data.dat");
    FileSetArchiveKey("KWZ");  // a settings call drops archives no file holds
    EXPECT_EQ(Read("./data/Sound/Effect/Decide.wav"), "plain decide");
}

TEST_F(FileLayerTest, NamesAndPathsFindTheSameEntry) {
    WriteText("pack/Sound/Effect/Decide.wav", "decide");
    WriteText("pack/sub/b.txt", "b");
    WriteText("pack/表/中.txt", "archived table");  // "表" is 0x95 0x5C: a trail byte of '\'
    WriteText("表.txt", "plain table");
    WriteText("datax/a.txt", "next door");  // same first letters, another folder
    MakeDataArchive("pack");
    const std::string here = std::filesystem::current_path().filename().string();
    const std::string decide = "/Sound/Effect/Decide.wav";
    const struct {
        std::string path, expected;
    } cases[] = {
        {"./data" + decide, "decide"},
        {"data/sound/EFFECT/dEcIdE.WAV", "decide"},
        {"data\\SOUND\\effect\\decide.wav", "decide"},
        {"Data" + decide, "<none>"},  // the archive file name is not folded
        {"data/Sound/Effect/Decide.wa", "<none>"},
        {"data/Sound/Effect", "<none>"},  // a folder is not a file
        {"./data/../data" + decide, "decide"},
        {"data/Sound/./Effect/../Effect/Decide.wav", "decide"},
        {"../" + here + "/data" + decide, "decide"},
        {dir_.path() + "//data///Sound/Effect/Decide.wav", "decide"},
        {"data/sub/../sub/b.txt", "b"},
        {"datax/a.txt", "next door"},
        {"data/sub/b.txt", "b"},
        {"\x95\x5C.txt", "plain table"},
        {"data/\x95\x5C/\x92\x86.txt", "archived table"},
        {"data/表/中.txt", "archived table"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(Read(c.path.c_str()), c.expected);
    }
    EXPECT_EQ(FileArchiveCount(), 1);
}

TEST_F(FileLayerTest, PlainFileSwitchIgnoresArchives) {
    WriteText("data/a.txt", "plain");
    WriteText("pack/a.txt", "archived");
    MakeDataArchive("pack");
    EXPECT_EQ(Read("data/a.txt"), "archived");
    FileUsePlainFiles(1);
    FileStartUp();
    EXPECT_EQ(Read("data/a.txt"), "plain");
    FileUsePlainFiles(0);
}

// ---- keys and extensions (through the public, locked calls) ----

TEST_F(FileLayerTest, KeysAreCutToTwelveRepeatedOrDefault) {
    WriteText("pack/a.txt", "secret");
    const struct {
        const char *packKey, *setKey;
        bool reads;
    } cases[] = {
        {"ABCDEFGHIJKL", "ABCDEFGHIJKLmnopqrst", true},
        {"ABCDEFGHIJKL", "ABCDEFGHIJKXmnopqrst", false},
        {"ABCDEFGHIJKL", "ABCD", false},
        {"KWZKWZKWZKWZ", "KWZ", true},
        {nullptr, nullptr, true},
        {nullptr, "", true},
        {nullptr, "KWZ", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.packKey ? c.packKey : "(none)") + " / " +
                     (c.setKey ? c.setKey : "(null)"));
        ASSERT_TRUE(Pack("pack", "data.PVA", c.packKey));
        EXPECT_EQ(SetArchiveKey(c.setKey), 0);
        EXPECT_EQ(Read("data/a.txt"), c.reads ? "secret" : "<none>");
    }
    // An archive under the fall-back key opens whatever key is set.
    ClearArchive clear;
    ASSERT_TRUE(clear.Load("data.PVA", nullptr));
    uint8_t fallback[kPvaKeySize];
    PvaMakeFallbackKey(fallback);
    clear.Save("data.PVA", fallback);
    EXPECT_EQ(SetArchiveKey("anything"), 0);
    EXPECT_EQ(Read("data/a.txt"), "secret");
}

TEST_F(FileLayerTest, ExtensionEmptyOrTooLongMeansPva) {
    WriteText("pack/a.txt", "ext");
    ASSERT_TRUE(Pack("pack", "master.bin"));
    const std::string e63(63, 'e'), e64(64, 'e');
    const struct {
        std::string fileExtension;
        const char* set;
        bool reads;
    } cases[] = {
        {e63, e63.c_str(), true}, {"PVA", e64.c_str(), true}, {"PVA", "dat", false},
        {"PVA", "", true},        {"PVA", nullptr, true},     {"dat", "dat", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set ? c.set : "(null)");
        std::filesystem::copy_file("master.bin", "data." + c.fileExtension);
        EXPECT_EQ(SetArchiveExtension(c.set), 0);
        EXPECT_EQ(Read("data/a.txt"), c.reads ? "ext" : "<none>");
        std::filesystem::remove("data." + c.fileExtension);
    }
}

// ---- the open-file table ----

TEST_F(FileLayerTest, The513thOpenFailsAndClosingOneFreesASlot) {
    LogStart(dir_.path().c_str());
    WriteText("one.txt", "1");
    std::vector<FileHandle> handles;
    for (int i = 0; i < kFileMaxOpen; ++i) {
        handles.push_back(FileOpen("one.txt"));
        ASSERT_EQ(handles.back(), kFileHandleBase + static_cast<uint32_t>(i));
    }
    EXPECT_EQ(FileOpen("one.txt"), 0u);
    EXPECT_EQ(FileOpenCount(), kFileMaxOpen);
    ASSERT_EQ(FileClose(handles[100]), 0);
    EXPECT_EQ(FileOpen("one.txt"), kFileHandleBase + 100u);  // the lowest free slot
    EXPECT_EQ(FileOpen("one.txt"), 0u);

    // The limit is logged, in Shift-JIS, once per refusal.
    char expected[256];
    ASSERT_GT(PlatUtf8ToShiftJis("同時に開けるファイルの数が限界を超えました", expected,
                                 sizeof(expected)),
              0u);
    const auto log = ReadFile("Log.txt");
    const std::string text(log.begin(), log.end());
    const size_t first = text.find(expected), second = text.find(expected, first + 1);
    EXPECT_TRUE(first != std::string::npos && second != std::string::npos);
    EXPECT_EQ(text.find(expected, second + 1), std::string::npos);
}

TEST_F(FileLayerTest, UnknownHandlesAreRefused) {
    for (FileHandle bad : {0u, 1u, kFileHandleBase + 3u, kFileHandleBase + 512u, 0xFFFFFFFFu}) {
        EXPECT_EQ(FileClose(bad), -1);
        EXPECT_EQ(FileTell(bad), -1);
        EXPECT_EQ(FileSeek(bad, 0, kFileSeekStart), -1);
        EXPECT_EQ(FileEof(bad), -1);
        char buffer[4];
        EXPECT_EQ(FileRead(buffer, 1, 4, bad), 0u);
    }
    WriteText("a.txt", "a");
    const FileHandle file = FileOpen("a.txt");
    ASSERT_NE(file, 0u);
    EXPECT_EQ(FileClose(file), 0);
    EXPECT_EQ(FileClose(file), -1);
    EXPECT_EQ(FileOpen("missing.txt"), 0u);
    EXPECT_EQ(FileOpen(""), 0u);
    EXPECT_EQ(FileOpen(nullptr), 0u);
    EXPECT_EQ(FileOpen("."), 0u);  // a folder is not a file
    EXPECT_EQ(FileOpenCount(), 0);
}

// ---- reading ----

// Reads and seeks the same way through plain, stored and compressed files.
void CheckReading(const char* path, const std::vector<uint8_t>& content) {
    SCOPED_TRACE(path);
    const FileHandle file = FileOpen(path);
    ASSERT_NE(file, 0u);
    const int64_t size = static_cast<int64_t>(content.size());
    EXPECT_EQ(FileSize(file), size);
    EXPECT_EQ(FileTell(file), 0);
    EXPECT_EQ(FileEof(file), 0);

    std::vector<uint8_t> buffer(content.size() + 16);
    // Elements of 4 bytes: only whole elements count, the position still advances
    // over the bytes read.
    EXPECT_EQ(FileSeek(file, -10, kFileSeekEnd), 0);
    EXPECT_EQ(FileRead(buffer.data(), 4, 4, file), 2u);
    EXPECT_EQ(FileTell(file), size);
    EXPECT_EQ(FileEof(file), 1);
    EXPECT_TRUE(std::equal(content.end() - 10, content.end(), buffer.begin()));

    for (int64_t at :
         {int64_t{0}, int64_t{1}, int64_t{11}, int64_t{12}, int64_t{13}, size / 2, size - 1})
        ExpectRange(file, content, static_cast<size_t>(at), 25);
    ASSERT_EQ(FileSeek(file, 5, kFileSeekStart), 0);
    ASSERT_EQ(FileSeek(file, 7, kFileSeekCurrent), 0);
    EXPECT_EQ(FileTell(file), 12);
    ASSERT_EQ(FileSeek(file, -2, kFileSeekCurrent), 0);
    EXPECT_EQ(FileRead(buffer.data(), 3, 1, file), 1u);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 3, content.begin() + 10));

    EXPECT_EQ(FileSeek(file, -1, kFileSeekStart), -1);
    EXPECT_EQ(FileSeek(file, 1, kFileSeekEnd), -1);
    EXPECT_EQ(FileSeek(file, INT64_MAX, kFileSeekCurrent), -1);
    EXPECT_EQ(FileSeek(file, 0, 3), -1);
    EXPECT_EQ(FileTell(file), 13);                                  // unchanged by refused seeks
    EXPECT_EQ(FileRead(buffer.data(), SIZE_MAX / 2, 4, file), 0u);  // size * count overflows
    EXPECT_EQ(FileSeek(file, 0, kFileSeekEnd), 0);
    EXPECT_EQ(FileRead(buffer.data(), 1, 1, file), 0u);
    EXPECT_EQ(FileClose(file), 0);
}

TEST_F(FileLayerTest, SeekTellReadAndEndAreAlikeForEveryKindOfFile) {
    const std::vector<uint8_t> noise = Noise(5000, 99);
    std::vector<uint8_t> text;
    for (int i = 0; i < 400; ++i) {
        const std::string line = "line " + std::to_string(i % 7) + " of the text\n";
        text.insert(text.end(), line.begin(), line.end());
    }
    WriteFile("plain/noise.bin", noise);
    WriteFile("pack/noise.bin", noise);
    WriteFile("pack/text.txt", text);
    ASSERT_TRUE(Pack("pack", "data.PVA"));
    const auto listing = RunPva({"list", "data.PVA"}).out;
    EXPECT_NE(listing.find("noise.bin\t5000\tstored"), std::string::npos) << listing;
    EXPECT_NE(listing.find("text.txt\t" + std::to_string(text.size()) + "\tlz"), std::string::npos)
        << listing;
    CheckReading("plain/noise.bin", noise);
    CheckReading("data/noise.bin", noise);
    CheckReading("data/text.txt", text);
}

TEST_F(FileLayerTest, ReadAllHonoursItsLimit) {
    WriteText("ten.txt", "0123456789");
    size_t size = 0;
    EXPECT_EQ(FileReadAll("ten.txt", 9, &size), nullptr);
    void* data = FileReadAll("ten.txt", 10, &size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(static_cast<char*>(data)[10], '\0');
    TrackedFree(data);
    WriteText("empty.txt", "");
    data = FileReadAll("empty.txt", 0, &size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 0u);
    TrackedFree(data);
    EXPECT_EQ(FileOpenCount(), 0);
}

TEST_F(FileLayerTest, CurrentDirectoryMovesRelativePaths) {
    WriteText("sub/a.txt", "in sub");
    char start[kFilePathMax];
    ASSERT_EQ(FileGetCurrentDirectory(start, sizeof(start)), 0);
    ASSERT_EQ(FileSetCurrentDirectory("sub"), 0);
    EXPECT_EQ(Read("a.txt"), "in sub");
    EXPECT_EQ(FileSetCurrentDirectory("no-such-folder"), -1);
    char tiny[2];
    EXPECT_EQ(FileGetCurrentDirectory(tiny, sizeof(tiny)), -1);
    ASSERT_EQ(FileSetCurrentDirectory(start), 0);
}

TEST(FilePaths, NormalisationRules) {
    const struct {
        const char *base, *path, *expected;
    } cases[] = {
        {"/x", "a/b/../c", "/x/a/c"},
        {"/x/", "a\\b\\.\\c\\", "/x/a/b/c"},
        {"/x/y", "../../../../a", "/a"},
        {"/x/y", "/abs//path", "/abs/path"},
        {"/x/y", "\\abs", "/abs"},
        {"/x", "..", "/"},
        {"/x", "C:/a", "/x/C:/a"},  // no drive letters on this system
        {"/x", "...hidden", "/x/...hidden"},
        {"/x", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "<error>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        char out[64];
        EXPECT_EQ(FileNormalizePath(c.base, c.path, out, sizeof(out)) == 0 ? out : "<error>",
                  std::string(c.expected));
    }
}

// ---- the archive table ----

TEST_F(FileLayerTest, UnreferencedArchivesAreClosedLazilyWhenTheTableIsFull) {
    WriteText("pack/a.txt", "entry");
    ASSERT_TRUE(Pack("pack", "held.PVA"));
    const FileHandle held = FileOpen("held/a.txt");
    ASSERT_NE(held, 0u);
    // 600 folders, each stood in for by its own archive.
    for (int i = 0; i < 600; ++i)
        std::filesystem::copy_file("held.PVA", "d" + std::to_string(i) + ".PVA");
    for (int i = 0; i < 600; ++i) {
        const std::string path = "d" + std::to_string(i) + "/a.txt";
        ASSERT_EQ(Read(path.c_str()), "entry") << i;
        ASSERT_LE(FileArchiveCount(), kFileMaxArchives);
    }
    // The archive still held stayed open and readable.
    char buffer[5];
    ASSERT_EQ(FileSeek(held, 0, kFileSeekStart), 0);
    EXPECT_EQ(FileRead(buffer, 1, 5, held), 5u);
    EXPECT_EQ(std::string(buffer, 5), "entry");

    // "d0.PVA" was used early and closed to make room: once it is gone, the folder
    // reads as plain files again.
    std::filesystem::remove("d0.PVA");
    WriteText("d0/a.txt", "plain again");
    EXPECT_EQ(Read("d0/a.txt"), "plain again");
    EXPECT_EQ(FileClose(held), 0);
}

TEST_F(FileLayerTest, TheArchiveUsedLastServesOnlyPathsInsideItsFolder) {
    WriteText("pack/a.txt", "a");
    WriteText("pack/sub/b.txt", "b");
    ASSERT_TRUE(Pack("pack", "data.PVA"));
    EXPECT_EQ(Read("data/a.txt"), "a");
    EXPECT_EQ(Read("data/sub/b.txt"), "b");
    EXPECT_EQ(Read("data/sub/../a.txt"), "a");
    EXPECT_EQ(FileArchiveCount(), 1);
    // "datax" begins with the same letters but is another folder.
    WriteText("datax/a.txt", "next door");
    EXPECT_EQ(Read("datax/a.txt"), "next door");
    EXPECT_EQ(Read("data/sub/b.txt"), "b");
    EXPECT_EQ(FileArchiveCount(), 1);
}

// A compressed entry is unpacked when it opens: the caller's limit, and the layer's
// cap for a hostile size, apply before anything of that size is allocated.
TEST_F(FileLayerTest, LimitsApplyBeforeAnEntryIsUnpacked) {
    const size_t zeros = size_t{8} << 20, noise = 160 << 10;
    WriteFile("pack/zeros.bin", std::vector<uint8_t>(zeros));
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
    size_t size = 0;
    EXPECT_EQ(FileReadAll("data/zeros.bin", zeros - 1, &size), nullptr);
    EXPECT_EQ(FileOpen("data/noise.bin"), 0u);
    TrackedSetTrace(0, 0, 0, 0);
    const auto log = ReadFile("Log.txt");
    const std::string text(log.begin(), log.end());
    unsigned long peak = 0;
    for (size_t at = text.find("Total size:"); at != std::string::npos;
         at = text.find("Total size:", at + 1))
        peak = std::max(peak, strtoul(text.c_str() + at + 11, nullptr, 10));
    EXPECT_LT(peak, 1ul << 20);
    EXPECT_EQ(Read("data/zeros.bin"), std::string(zeros, '\0'));
}

// An archive handed over from memory stands in for its folder like one on disk; one
// that a file holds open is not replaced.
TEST_F(FileLayerTest, ArchivesFromMemoryStandInForTheirFolder) {
    WriteText("pack/sub/y.txt", "y");
    ASSERT_TRUE(Pack("pack", "orig.PVA"));
    const std::vector<uint8_t> bytes = ReadFile("orig.PVA");
    EXPECT_EQ(FileAddMemoryArchive("data", bytes.data(), 10), -1);
    ASSERT_EQ(FileAddMemoryArchive("data", bytes.data(), bytes.size()), 0);
    const FileHandle held = FileOpen("data/sub/y.txt");
    EXPECT_EQ(Read("data/sub/y.txt"), "y");
    EXPECT_EQ(FileAddMemoryArchive("./data", bytes.data(), bytes.size()), -1);
    EXPECT_EQ(FileClose(held), 0);
    EXPECT_EQ(FileAddMemoryArchive("./data", bytes.data(), bytes.size()), 0);
}

// Opening a FIFO waits for a writer unless the open is told not to; a test that hangs
// is ended by the alarm instead.
TEST_F(FileLayerTest, FilesThatAreNotRegularAreRefusedWithoutWaiting) {
    WriteText("data/a.txt", "plain");
    ASSERT_EQ(mkfifo("fifo.txt", 0600), 0);
    ASSERT_EQ(mkfifo("data.dat", 0600), 0);
    FileSetArchiveExtension("dat");
    alarm(20);
    EXPECT_EQ(FileOpen("fifo.txt"), 0u);
    EXPECT_EQ(Read("data/a.txt"), "plain");  // the FIFO data.dat is no archive
    alarm(0);
}

// ---- damaged archives ----

// Each change to a packed archive either leaves it no archive at all (the plain file
// beside it is read) or makes the open fail; nothing stays open or allocated.
TEST_F(FileLayerTest, DamagedArchivesFailCleanly) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "compressible line\n";
    WriteText("pack/z.txt", text);
    WriteText("data/z.txt", "plain");
    ASSERT_TRUE(Pack("pack", "data.PVA"));
    ClearArchive original;
    ASSERT_TRUE(original.Load("data.PVA", nullptr));
    const size_t entry = original.FileTable();  // the only file entry
    ASSERT_NE(original.Get32(entry + 16), kPvaStored) << "the entry must be compressed";
    struct Damage {
        ClearArchive a;
        size_t entry, stream;
    };
    const size_t stream = kPvaHeaderSize + original.Get32(entry + 8);
    const int blocksBefore = TrackedBlockCount();
    const std::string none = "<none>", plain = "plain";
    const struct {
        const char* name;
        void (*change)(Damage&);
        std::string expected;
        const char* path = "data/z.txt";
    } cases[] = {
        {"undamaged", [](Damage&) {}, text},
        {"4 GB block in 100 bytes",
         [](Damage& d) { d.a.bytes.resize(100), d.a.Put32(4, ~15u), d.a.Put32(12, 24); }, plain},
        {"truncated tables",
         [](Damage& d) { d.a.bytes.erase(d.a.bytes.end() - 5, d.a.bytes.end()); }, plain},
        {"future version", [](Damage& d) { d.a.bytes[2] = 4; }, plain},
        {"no room for the root", [](Damage& d) { d.a.Put32(20, d.a.Get32(4) - 4); }, plain},
        {"data past the end", [](Damage& d) { d.a.Put32(d.entry + 8, ~255u); }, none},
        {"packed size past the end", [](Damage& d) { d.a.Put32(d.entry + 16, ~255u); }, none},
        {"size no stream could give", [](Damage& d) { d.a.Put32(d.entry + 12, ~255u); }, none},
        {"entry count too large", [](Damage& d) { d.a.Put32(d.a.DirTable() + 8, ~0u); }, none,
         "data/sub/missing.txt"},  // the walk ends where the file table ends
        {"entries outside the table", [](Damage& d) { d.a.Put32(d.a.DirTable() + 12, ~15u); },
         none},
        {"name units too large",
         [](Damage& d) { d.a.bytes[d.a.BlockPos()] = d.a.bytes[d.a.BlockPos() + 1] = 0xFF; }, none},
        {"copy from before the output",  // first token: 4 bytes from distance 6
         [](Damage& d) {
             const uint8_t escape = d.a.bytes[d.stream + 8];
             d.a.bytes[d.stream + 9] = escape;
             d.a.bytes[d.stream + 10] = escape == 0 ? 1 : 0;
             d.a.bytes[d.stream + 11] = 5;
         },
         none},
        {"LZ header disagreeing", [](Damage& d) { d.a.Put32(d.stream, d.a.Get32(d.stream) + 1); },
         none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Damage damaged{original, entry, stream};
        c.change(damaged);
        damaged.a.Save("data.PVA");
        FileStartUp();  // forget the archive read before
        EXPECT_EQ(Read(c.path), c.expected);
        EXPECT_EQ(FileOpenCount(), 0);
        FileShutDown();
        EXPECT_EQ(TrackedBlockCount(), blocksBefore);
    }
}

}  // namespace
