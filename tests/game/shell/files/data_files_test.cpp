// "./vorlane.cfg" and "./score.dat": first run, short, wild and unreadable files, the
// record rule, a save that cannot be written, and saves cut short by SIGKILL.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "shell/best_record.h"
#include "shell/settings.h"
#include "shell/settings_file.h"
#include "tests/support/scripted.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<int32_t> ReadInts(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<int32_t> ints;
    unsigned char b[4];
    while (in.read(reinterpret_cast<char*>(b), 4))
        ints.push_back(static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24));
    return ints;
}

void WriteInts(const std::string& path, const std::vector<int32_t>& ints, size_t bytes) {
    std::string data;
    for (int32_t v : ints)
        for (int i = 0; i < 4; ++i)
            data.push_back(static_cast<char>(static_cast<uint32_t>(v) >> (8 * i)));
    std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(bytes));
}

// The file is missing (killed before its first save), or it has `size` bytes that
// read as `a` or as `b`.
bool OneOf(const char* path, off_t size, const std::vector<int32_t>& a,
           const std::vector<int32_t>& b) {
    struct stat info;
    if (stat(path, &info) != 0) return true;
    const std::vector<int32_t> ints = ReadInts(path);
    return info.st_size == size && (ints == a || ints == b);
}

class DataFiles : public ::testing::Test {
protected:
    void SetUp() override {
        script::Reset();  // no layer runs: ExitApplication ends a stopped one
        gameSettings = kDefaultGameSettings;
        bestRecord = {0, 0, 0};
    }
    TempDir dir;
};

TEST_F(DataFiles, FirstRunCreatesBothFilesWithTheDefaults) {
    LoadSettings();
    LoadBestRecord();
    EXPECT_EQ(ReadInts("vorlane.cfg"), (std::vector<int32_t>{1, 4, 1, 0, 0, 40, 255, 255}));
    EXPECT_EQ(ReadInts("score.dat"), (std::vector<int32_t>{0, 0, 0}));
    EXPECT_EQ(gameSettings.MoveSensitivity, 4);
    EXPECT_TRUE(gameSettings.ShowLandingPoint);
}

TEST_F(DataFiles, ShortWildAndOddFilesLoadWhatTheyHoldCompletely) {
    // 14 bytes: three whole integers; the half fourth one is ignored.
    WriteInts("vorlane.cfg", {0, 6, 2, 1}, 14);
    WriteInts("score.dat", {700, 9}, 6);
    LoadSettings();
    LoadBestRecord();
    EXPECT_EQ(gameSettings.Difficulty, 0);
    EXPECT_EQ(gameSettings.MoveSensitivity, 6);
    EXPECT_FALSE(gameSettings.ShowLandingPoint);  // 2 is not 1: off
    EXPECT_FALSE(gameSettings.ShowGrid);
    EXPECT_EQ(gameSettings.Reserved1, 40);
    EXPECT_EQ(bestRecord.score, 700);
    EXPECT_EQ(bestRecord.lines, 0);
    // The short files are not rewritten by a load.
    EXPECT_EQ(ReadInts("vorlane.cfg").size(), 3u);

    // Wild values are kept (and saved back) as they are; readers get them clamped.
    WriteInts("vorlane.cfg", {-7, 99, 1, 1, 1, -1, 0, 123456}, 32);
    LoadSettings();
    EXPECT_EQ(gameSettings.Difficulty, -7);
    EXPECT_EQ(ClampedDifficulty(), 0);
    EXPECT_EQ(ClampedMoveSensitivity(), 6);
    gameSettings.Difficulty = 9;
    gameSettings.MoveSensitivity = -3;
    EXPECT_EQ(ClampedDifficulty(), 3);
    EXPECT_EQ(ClampedMoveSensitivity(), 3);
    SaveSettings();
    EXPECT_EQ(ReadInts("vorlane.cfg"), (std::vector<int32_t>{9, -3, 1, 1, 1, -1, 0, 123456}));

    // An empty file changes nothing; a FIFO neither blocks nor counts as a file: it
    // is replaced by a regular file with the values in memory.
    WriteInts("score.dat", {}, 0);
    LoadBestRecord();
    EXPECT_EQ(bestRecord.score, 700);
    unlink("score.dat");
    ASSERT_EQ(mkfifo("score.dat", 0644), 0);
    LoadBestRecord();
    EXPECT_EQ(ReadInts("score.dat"), (std::vector<int32_t>{700, 0, 0}));
}

TEST_F(DataFiles, OnlyAStrictlyHigherScoreReplacesTheRecord) {
    bestRecord = {-5, 1, 1};  // a negative stored score is beaten by 0
    EXPECT_TRUE(UpdateBestRecord(0, 3, 2));
    EXPECT_EQ(ReadInts("score.dat"), (std::vector<int32_t>{0, 3, 2}));
    unlink("score.dat");
    EXPECT_FALSE(UpdateBestRecord(0, 50, 9));  // equal: record and file untouched
    EXPECT_EQ(access("score.dat", F_OK), -1);
    EXPECT_EQ(bestRecord.lines, 3);
    EXPECT_TRUE(UpdateBestRecord(1234, 12, 3));
    EXPECT_EQ(ReadInts("score.dat"), (std::vector<int32_t>{1234, 12, 3}));
}

TEST_F(DataFiles, ASaveThatCannotBeWrittenEndsTheProgramWithExitCodeOne) {
    ASSERT_EQ(mkdir("vorlane.cfg", 0755), 0);
    ASSERT_EQ(mkdir("score.dat", 0755), 0);
    LoadSettings();  // unreadable and not creatable: nothing happens
    EXPECT_EQ(gameSettings.Difficulty, 1);
    EXPECT_EXIT(SaveSettings(), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(SaveBestRecord(), ::testing::ExitedWithCode(1), "");
}

// A child saves the settings and the record in a loop, each time switching between
// two contents; it is killed at a random moment. Every file left is one of the two.
TEST_F(DataFiles, SavesKilledAtRandomMomentsLeaveTheOldOrTheNewFile) {
    const std::vector<int32_t> settingsA{1, 4, 1, 0, 0, 40, 255, 255};
    const std::vector<int32_t> settingsB{3, 6, 0, 1, 1, 7, 8, 9};
    const std::vector<int32_t> recordA{0, 0, 0}, recordB{9999999, 999, 42};
    std::mt19937 random(20261207);
    // SIGKILL, unlike a power loss, leaves the page cache alone, so the folder may live
    // in memory; a disk folder makes each kill wait for the fsync in progress.
    char shm[] = "/dev/shm/vorlane-kill-XXXXXX";
    const bool inMemory = mkdtemp(shm) != nullptr && chdir(shm) == 0;
    for (int round = 0; round < 1000; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) {
                gameSettings =
                    i % 2 ? GameSettings{3, 6, false, true, true, 7, 8, 9} : kDefaultGameSettings;
                bestRecord = i % 2 ? BestRecord{9999999, 999, 42} : BestRecord{0, 0, 0};
                SaveSettings();
                SaveBestRecord();
            }
        }
        const timespec pause = {0, static_cast<long>(random() % 1000) * 1000};
        nanosleep(&pause, nullptr);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        // Whole or not at all: a cut-short file would read as fewer integers.
        EXPECT_TRUE(OneOf("vorlane.cfg", 32, settingsA, settingsB)) << "after round " << round;
        EXPECT_TRUE(OneOf("score.dat", 12, recordA, recordB)) << "after round " << round;
        if (HasFailure()) break;
    }
    if (inMemory) {
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        std::filesystem::remove_all(shm);
    }
}

}  // namespace
