// Tests of the file layer: archives standing in for folders, name and path rules,
// keys and extensions, the open-file limit, seeking and reading, the archive table,
// and archives damaged on purpose.
#include <gtest/gtest.h>

#include <stdint.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
#include "media/file/file_access.h"
#include "media/pavex.h"
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

    // Without the archive the plain file is read.
    std::filesystem::remove("data.dat");
    FileSetArchiveKey("KWZ");  // a settings call drops archives no file holds
    EXPECT_EQ(Read("./data/Sound/Effect/Decide.wav"), "plain decide");
}

TEST_F(FileLayerTest, NamesInsideMatchWithoutAsciiCaseButTheArchiveFileDoesNot) {
    WriteText("pack/Sound/Effect/Decide.wav", "decide");
    MakeDataArchive("pack");
    EXPECT_EQ(Read("data/sound/EFFECT/dEcIdE.WAV"), "decide");
    EXPECT_EQ(Read("data\\SOUND\\effect\\decide.wav"), "decide");
    EXPECT_EQ(Read("Data/Sound/Effect/Decide.wav"), "<none>");  // no Data.dat on disk
    EXPECT_EQ(Read("data/Sound/Effect/Decide.wa"), "<none>");
    EXPECT_EQ(Read("data/Sound/Effect"), "<none>");  // a folder is not a file
}

TEST_F(FileLayerTest, PathsThroughDotDotFindTheSameFile) {
    WriteText("pack/Sound/Effect/Decide.wav", "decide");
    MakeDataArchive("pack");
    const std::string here = std::filesystem::current_path().filename().string();
    EXPECT_EQ(Read("./data/../data/Sound/Effect/Decide.wav"), "decide");
    EXPECT_EQ(Read("data/Sound/./Effect/../Effect/Decide.wav"), "decide");
    EXPECT_EQ(Read(("../" + here + "/data/Sound/Effect/Decide.wav").c_str()), "decide");
    EXPECT_EQ(Read((dir_.path() + "//data///Sound/Effect/Decide.wav").c_str()), "decide");
}

TEST_F(FileLayerTest, ShiftJisPathsKeepTheirTrailBytes) {
    // "表" is 0x95 0x5C in Shift-JIS: its trail byte is the code of '\'.
    WriteText("表.txt", "plain table");
    WriteText("pack/表/中.txt", "archived table");
    MakeDataArchive("pack");
    EXPECT_EQ(Read("\x95\x5C.txt"), "plain table");
    EXPECT_EQ(Read("data/\x95\x5C/\x92\x86.txt"), "archived table");
    EXPECT_EQ(Read("data/表/中.txt"), "archived table");
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

// ---- keys and extensions ----

TEST_F(FileLayerTest, KeyOfTwentyCharactersUsesTheFirstTwelve) {
    WriteText("pack/a.txt", "secret");
    ASSERT_TRUE(Pack("pack", "data.PVA", "ABCDEFGHIJKL"));
    FileSetArchiveKey("ABCDEFGHIJKLmnopqrst");
    EXPECT_EQ(Read("data/a.txt"), "secret");
    FileSetArchiveKey("ABCDEFGHIJKXmnopqrst");  // wrong 12th character: not an archive
    EXPECT_EQ(Read("data/a.txt"), "<none>");
    FileSetArchiveKey("ABCD");  // "ABCDABCDABCD"
    EXPECT_EQ(Read("data/a.txt"), "<none>");
}

TEST_F(FileLayerTest, ShortKeysRepeatAndNullReadsWithTheDefaultKey) {
    WriteText("pack/a.txt", "short");
    ASSERT_TRUE(Pack("pack", "data.PVA", "KWZKWZKWZKWZ"));
    FileSetArchiveKey("KWZ");
    EXPECT_EQ(Read("data/a.txt"), "short");

    ASSERT_TRUE(Pack("pack", "data.PVA"));  // no key: the default key
    FileSetArchiveKey(nullptr);
    EXPECT_EQ(Read("data/a.txt"), "short");
    FileSetArchiveKey("");
    EXPECT_EQ(Read("data/a.txt"), "short");
    FileSetArchiveKey("KWZ");
    EXPECT_EQ(Read("data/a.txt"), "<none>");
}

TEST_F(FileLayerTest, ArchivesUnderTheFallbackKeyOpenWhateverKeyIsSet) {
    WriteText("pack/a.txt", "fallback");
    ASSERT_TRUE(Pack("pack", "data.PVA"));
    ClearArchive clear;
    ASSERT_TRUE(clear.Load("data.PVA", nullptr));
    uint8_t fallback[kPvaKeySize];
    PvaMakeFallbackKey(fallback);
    clear.Save("data.PVA", fallback);
    FileSetArchiveKey("anything");
    EXPECT_EQ(Read("data/a.txt"), "fallback");
}

TEST_F(FileLayerTest, ExtensionEmptyOrTooLongMeansPva) {
    WriteText("pack/a.txt", "ext");
    ASSERT_TRUE(Pack("pack", "data.PVA"));
    const std::string longest(63, 'e');
    std::filesystem::copy_file("data.PVA", "data." + longest);
    FileSetArchiveExtension(longest.c_str());
    std::filesystem::rename("data.PVA", "data.keep");
    EXPECT_EQ(Read("data/a.txt"), "ext");
    std::filesystem::rename("data.keep", "data.PVA");
    std::filesystem::remove("data." + longest);
    FileSetArchiveExtension((longest + "e").c_str());
    EXPECT_EQ(Read("data/a.txt"), "ext");
    FileSetArchiveExtension("dat");
    EXPECT_EQ(Read("data/a.txt"), "<none>");
    FileSetArchiveExtension("");
    EXPECT_EQ(Read("data/a.txt"), "ext");
    // The public calls take the lock and do the same.
    EXPECT_EQ(SetArchiveExtension("dat"), 0);
    EXPECT_EQ(Read("data/a.txt"), "<none>");
    EXPECT_EQ(SetArchiveExtension(nullptr), 0);
    EXPECT_EQ(SetArchiveKey("KWZ"), 0);
    EXPECT_EQ(Read("data/a.txt"), "<none>");
    EXPECT_EQ(SetArchiveKey(nullptr), 0);
    EXPECT_EQ(Read("data/a.txt"), "ext");
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

    // The limit is logged, in Shift-JIS.
    char expected[256];
    const size_t n = PlatUtf8ToShiftJis("同時に開けるファイルの数が限界を超えました", expected,
                                        sizeof(expected));
    ASSERT_GT(n, 0u);
    const auto log = ReadFile("Log.txt");
    const std::string text(log.begin(), log.end());
    size_t count = 0;
    for (size_t at = text.find(expected); at != std::string::npos; at = text.find(expected, at + 1))
        ++count;
    EXPECT_EQ(count, 2u);
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
         {int64_t{0}, int64_t{1}, int64_t{11}, int64_t{12}, int64_t{13}, size / 2, size - 1}) {
        ASSERT_EQ(FileSeek(file, at, kFileSeekStart), 0) << at;
        EXPECT_EQ(FileRead(buffer.data(), 1, 25, file),
                  static_cast<size_t>(std::min<int64_t>(25, size - at)));
        EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + std::min<int64_t>(25, size - at),
                               content.begin() + at))
            << at;
    }
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
    std::vector<uint8_t> noise(5000), text;
    uint32_t x = 99;
    for (auto& b : noise) b = static_cast<uint8_t>((x = x * 1664525u + 1013904223u) >> 24);
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
    char out[64];
    auto normal = [&](const char* base, const char* path) -> std::string {
        return FileNormalizePath(base, path, out, sizeof(out)) == 0 ? out : "<error>";
    };
    EXPECT_EQ(normal("/x", "a/b/../c"), "/x/a/c");
    EXPECT_EQ(normal("/x/", "a\\b\\.\\c\\"), "/x/a/b/c");
    EXPECT_EQ(normal("/x/y", "../../../../a"), "/a");
    EXPECT_EQ(normal("/x/y", "/abs//path"), "/abs/path");
    EXPECT_EQ(normal("/x/y", "\\abs"), "/abs");
    EXPECT_EQ(normal("/x", ".."), "/");
    EXPECT_EQ(normal("/x", "C:/a"), "/x/C:/a");  // no drive letters on this system
    EXPECT_EQ(normal("/x", "...hidden"), "/x/...hidden");
    EXPECT_EQ(normal("/x", std::string(70, 'a').c_str()), "<error>");
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

// ---- damaged archives ----

class DamagedArchiveTest : public FileLayerTest {
protected:
    void SetUp() override {
        FileLayerTest::SetUp();
        std::string text;
        for (int i = 0; i < 200; ++i) text += "compressible line\n";
        WriteText("pack/z.txt", text);
        ASSERT_TRUE(Pack("pack", "data.PVA"));
        ASSERT_TRUE(clear_.Load("data.PVA", nullptr));
        // The only file entry follows the name table.
        entry_ = clear_.FileTable();
        ASSERT_EQ(clear_.Get32(entry_ + 16) == kPvaStored, false) << "the entry must be compressed";
        blocksBefore_ = TrackedBlockCount();
    }
    // Opening the file fails, leaves nothing open and nothing allocated.
    void ExpectRefused() {
        clear_.Save("data.PVA");
        FileSetArchiveKey(nullptr);  // forget the archive read before
        EXPECT_EQ(FileOpen("data/z.txt"), 0u);
        EXPECT_EQ(FileOpenCount(), 0);
        FileShutDown();
        EXPECT_EQ(TrackedBlockCount(), blocksBefore_);
    }
    ClearArchive clear_;
    size_t entry_ = 0;
    int blocksBefore_ = 0;
};

TEST_F(DamagedArchiveTest, UndamagedArchiveReads) {
    EXPECT_NE(Read("data/z.txt"), "<none>");
}

TEST_F(DamagedArchiveTest, HeaderClaimingFourGigabytesInAHundredBytes) {
    clear_.bytes.resize(100);
    clear_.Put32(4, 0xFFFFFFF0u);  // header block size
    clear_.Put32(12, 24);
    // Not an archive: the walk goes on to the plain file.
    WriteText("data/z.txt", "plain");
    clear_.Save("data.PVA");
    EXPECT_EQ(Read("data/z.txt"), "plain");
    FileShutDown();
    EXPECT_EQ(TrackedBlockCount(), blocksBefore_);
}

TEST_F(DamagedArchiveTest, TruncatedTables) {
    clear_.bytes.resize(clear_.bytes.size() - 5);
    WriteText("data/z.txt", "plain");
    clear_.Save("data.PVA");
    EXPECT_EQ(Read("data/z.txt"), "plain");
}

TEST_F(DamagedArchiveTest, EntryDataPastTheEnd) {
    clear_.Put32(entry_ + 8, 0xFFFFFF00u);
    ExpectRefused();
}

TEST_F(DamagedArchiveTest, CompressedSizeLargerThanTheData) {
    clear_.Put32(entry_ + 16, static_cast<uint32_t>(clear_.bytes.size()));
    ExpectRefused();
}

TEST_F(DamagedArchiveTest, SizeNoStreamCouldProduce) {
    clear_.Put32(entry_ + 12, 0xFFFFFF00u);
    ExpectRefused();
}

TEST_F(DamagedArchiveTest, EntryCountTooLarge) {
    // The walk over the root's entries ends where the file table ends.
    clear_.Put32(clear_.DirTable() + 8, 0xFFFFFFFFu);
    clear_.Save("data.PVA");
    EXPECT_EQ(FileOpen("data/missing.txt"), 0u);
    EXPECT_EQ(FileOpen("data/sub/missing.txt"), 0u);
    EXPECT_EQ(FileOpenCount(), 0);
}

TEST_F(DamagedArchiveTest, EntriesOutsideTheFileTable) {
    clear_.Put32(clear_.DirTable() + 12, 0xFFFFFFF0u);
    ExpectRefused();
}

TEST_F(DamagedArchiveTest, NameUnitsTooLarge) {
    clear_.bytes[clear_.BlockPos()] = 0xFF;
    clear_.bytes[clear_.BlockPos() + 1] = 0xFF;
    ExpectRefused();
}

TEST_F(DamagedArchiveTest, RootRecordOutsideItsTable) {
    // Directory table pushed to the end of the block: no room for the root.
    clear_.Put32(20, clear_.Get32(4) - 4);
    WriteText("data/z.txt", "plain");
    clear_.Save("data.PVA");
    EXPECT_EQ(Read("data/z.txt"), "plain");
}

TEST_F(DamagedArchiveTest, BackReferenceBeforeTheStartOfTheOutput) {
    const size_t stream = kPvaHeaderSize + clear_.Get32(entry_ + 8);
    const uint8_t escape = clear_.bytes[stream + 8];
    // First token: a copy of 4 from distance 6, with nothing written yet.
    clear_.bytes[stream + 9] = escape;
    clear_.bytes[stream + 10] = escape == 0 ? 1 : 0;
    clear_.bytes[stream + 11] = 5;
    ExpectRefused();
}

TEST_F(DamagedArchiveTest, LzHeaderDisagreeingWithTheEntry) {
    const size_t stream = kPvaHeaderSize + clear_.Get32(entry_ + 8);
    clear_.Put32(stream, clear_.Get32(stream) + 1);
    ExpectRefused();
}

TEST_F(DamagedArchiveTest, FutureVersionIsNotAnArchive) {
    clear_.bytes[2] = 4;
    WriteText("data/z.txt", "plain");
    clear_.Save("data.PVA");
    EXPECT_EQ(Read("data/z.txt"), "plain");
}

}  // namespace
