// Tests of the `pva` packer run as a program: a whole tree packed and read back
// through the file layer, listed and extracted; exit codes and messages on bad
// arguments and bad input; archives that try to write outside the target folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/media/file/archive_fixture.h"

using namespace archive_test;
namespace fs = std::filesystem;

namespace {

// 20 MB: every fourth 64 KB block is noise, the others repeat the block before but
// for a few bytes, so the file compresses only in part.
std::vector<uint8_t> LargeFile() {
    std::vector<uint8_t> v = Noise(20u << 20, 7);
    for (size_t i = 1 << 16; i < v.size(); ++i)
        if ((i >> 16) % 4 != 0 && i % 997 != 0) v[i] = v[i - (1 << 16)];
    return v;
}

// The source tree: relative path -> content.
std::map<std::string, std::vector<uint8_t>> MakeTree() {
    std::map<std::string, std::vector<uint8_t>> files;
    files["bin/noise.bin"] = Noise(100000, 1);
    files["bin/one.bin"] = {0x42};
    files["bin/twelve.bin"] = Noise(12, 2);
    files["empty.txt"] = {};
    files["deep/empty"] = {};
    std::string deep = "deep";
    for (int i = 1; i <= 12; ++i) deep += "/level" + std::to_string(i);
    const std::string leaf = "the bottom of a deep tree\n";
    files[deep + "/leaf.txt"] = {leaf.begin(), leaf.end()};
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "音 " + std::to_string(i % 10) + " effect sound\n";
    files["音/効果音.wav"] = {text.begin(), text.end()};
    files["ファイル名テスト.txt"] = Noise(777, 3);
    files["Mixed Case Name.DAT"] = Noise(64, 4);
    files["big/large.bin"] = LargeFile();
    return files;
}

using PvaToolTest = FileLayerTest;

TEST_F(PvaToolTest, WholeTreeReadsBackByteForByteThroughTheFileLayer) {
    const auto files = MakeTree();
    for (const auto& [path, content] : files) WriteFile("src/" + path, content);
    fs::create_directories("src/empty folder");
    ASSERT_TRUE(Pack("src", "tree.dat", "KWZ"));
    FileSetArchiveExtension("dat");
    FileSetArchiveKey("KWZ");

    for (const auto& [path, content] : files)
        EXPECT_TRUE(Read("tree/" + path) == std::string(content.begin(), content.end())) << path;

    // The listing names every file once, noise stored and repetitive data compressed.
    const PvaResult list = RunPva({"list", "tree.dat", "--key", "KWZ"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(static_cast<size_t>(std::count(list.out.begin(), list.out.end(), '\n')),
              files.size());
    EXPECT_NE(list.out.find("bin/noise.bin\t100000\tstored\n"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("big/large.bin\t20971520\tlz "), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("音/効果音.wav\t"), std::string::npos) << list.out;
    EXPECT_LT(fs::file_size("tree.dat"), 16u * 1024 * 1024);

    // Packing is repeatable, and an archive inside the folder it packs is left out (so
    // packing into the folder twice still gives the same bytes); extracting gives the
    // tree back.
    for (int pass = 0; pass < 2; ++pass) ASSERT_TRUE(Pack("src", "src/again.dat", "KWZ"));
    EXPECT_TRUE(ReadFile("src/again.dat") == ReadFile("tree.dat"));
    ASSERT_EQ(RunPva({"extract", "tree.dat", "out", "--key", "KWZ"}).exitCode, 0);
    std::map<std::string, Bytes> out;
    for (const auto& e : fs::recursive_directory_iterator("out"))
        if (e.is_regular_file()) out[fs::relative(e.path(), "out")] = ReadFile(e.path());
    EXPECT_TRUE(out == files) << out.size() << " files";
    EXPECT_TRUE(fs::is_directory("out/empty folder"));
}

// Bad arguments give the usage and exit code 2. Failures at run time name the file, exit
// with 1 and leave nothing behind, also when two names of a folder differ only in
// letter case, the finished archive cannot be moved into place, or a name in the
// archive would leave the target folder.
TEST_F(PvaToolTest, BadArgumentsAndFailuresExitWithTwoOrOneAndLeaveNothingBehind) {
    WriteText("src/a.txt", "a");
    WriteText("clash/Readme.txt", "1");
    WriteText("clash/README.TXT", "2");
    WriteText("escape/xx", "escape");
    WriteFile("garbage.pva", Noise(500, 9));
    for (const char* folder : {"occupied/x", "target"}) fs::create_directories(folder);
    ClearArchive clear;
    ASSERT_TRUE(Pack("src", "keyed.pva", "KWZ") && Pack("escape", "dots.pva"));
    ASSERT_TRUE(clear.Load("dots.pva", nullptr));
    // The one name entry: 2 bytes of header counts, the sum, then the search form and
    // the original name of one unit each. The original becomes ".." or holds a separator.
    const size_t original = clear.BlockPos() + 4 + 4;
    ASSERT_EQ(clear.bytes[original], 'x');
    for (const char* name : {"..", "a/"}) {
        std::copy(name, name + 2, clear.bytes.begin() + original);
        clear.Save(name[0] == '.' ? "dots.pva" : "slash.pva");
    }
    const std::string usage = "usage: pva pack DIR ARCHIVE";
    // clang-format off
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, usage}, {{"pack"}, usage}, {{"pack", "src"}, usage}, {{"list"}, usage},
        {{"extract", "a.pva"}, usage}, {{"unpack", "a", "b"}, usage},
        {{"list", "a.pva", "--key"}, usage}, {{"extract", "a.pva", "--colour"}, usage},
        {{"list", "a", "b"}, usage}, {{"pack", "a", "b", "--key", "x", "--key", "y"}, usage},
        {{"pack", "no-such-folder", "x.pva"}, "no-such-folder"},
        {{"pack", "src", "no-such-folder/x.pva"}, "no-such-folder/x.pva"},
        {{"list", "garbage.pva"}, "garbage.pva"},
        {{"list", "missing.pva"}, "missing.pva"},
        {{"extract", "keyed.pva", "out", "--key", "KWY"}, "keyed.pva"},
        {{"pack", "clash", "x.pva"}, "letter case"},
        {{"pack", "src", "occupied"}, "occupied"},  // fails after the temporary file is written
        {{"extract", "dots.pva", "target/inner"}, "unsafe"},
        {{"extract", "slash.pva", "target/inner"}, "unsafe"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases.data());
        const PvaResult r = RunPva(c.first);
        EXPECT_EQ(r.exitCode, c.second == usage ? 2 : 1);
        EXPECT_NE(r.err.find(c.second), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists("x.pva") || fs::exists("x.pva.tmp") || fs::exists("occupied.tmp"));
    EXPECT_FALSE(fs::is_regular_file("target/inner/..") || fs::exists("target/xx") ||
                 fs::exists("target/inner/a"));
}

}  // namespace
