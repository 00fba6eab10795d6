// The generated data tree packed by pva into data.dat with the game's key, read back
// through the file layer exactly as the game reads it: every file the same bytes as
// the plain file, and a file the archive does not hold is not found even where the
// plain file exists.
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "media/core/tracked_alloc.h"
#include "media/file/file_access.h"
#include "pavex.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

std::string ReadPlain(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int RunCommand(const std::string& command) {
    int status = system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class PackedTree : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::is_directory(DATA_TREE)) << DATA_TREE;
        fs::copy(DATA_TREE, fs::path(dir.path()) / "data", fs::copy_options::recursive);
        ASSERT_EQ(RunCommand(std::string(PVA_PATH) + " pack data data.dat --key KWZ > /dev/null"),
                  0);
        ASSERT_EQ(FileStartUp(), 0);
        SetArchiveExtension("dat");
        SetArchiveKey("KWZ");
    }
    void TearDown() override { FileShutDown(); }
    TempDir dir;
};

}  // namespace

TEST_F(PackedTree, EveryGeneratedFileReadsTheSameFromTheArchive) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator("data"))
        if (entry.is_regular_file()) files.push_back(entry.path());
    ASSERT_GT(files.size(), 50u);
    // Reading from the archive must not depend on the plain files: move them away.
    fs::rename("data", "plain");
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        std::string game_path = "./" + file.generic_string();
        size_t size = 0;
        void* bytes = FileReadAll(game_path.c_str(), 64u << 20, &size);
        ASSERT_NE(bytes, nullptr);
        std::string expected = ReadPlain("plain" / file.lexically_relative("data"));
        EXPECT_EQ(size, expected.size());
        EXPECT_EQ(std::string(static_cast<char*>(bytes), size), expected);
        TrackedFree(bytes);
    }
    EXPECT_EQ(FileOpenCount(), 0);
}

TEST_F(PackedTree, TheArchiveStandsInForTheWholeFolder) {
    // A plain file beside the generated ones is hidden by the archive.
    std::ofstream("data/image/extra.png") << "not in the archive";
    EXPECT_EQ(FileOpen("./data/image/extra.png"), 0u);
    // Without the archive the plain tree is read.
    fs::remove("data.dat");
    FileShutDown();
    ASSERT_EQ(FileStartUp(), 0);
    FileHandle file = FileOpen("./data/image/extra.png");
    EXPECT_NE(file, 0u);
    FileClose(file);
}

TEST_F(PackedTree, AWrongKeyReadsNothing) {
    fs::rename("data", "plain");
    SetArchiveKey("XYZ");
    EXPECT_EQ(FileOpen("./data/Sound/Effect/Decide.wav"), 0u);
    SetArchiveKey("KWZ");
    FileHandle file = FileOpen("./data/Sound/Effect/Decide.wav");
    EXPECT_NE(file, 0u);
    FileClose(file);
}
