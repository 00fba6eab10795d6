// "./vorlane.cfg" and "./score.dat": first run, short, wild and unreadable files, the
// record rule, a save that cannot be written, and saves cut short by SIGKILL.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "shell/best_record.h"
#include "shell/settings.h"
#include "shell/settings_file.h"
#include "tests/game/files.h"
#include "tests/support/scripted.h"
#include "tests/support/temp_dir.h"

namespace {

// The first `size` bytes of the integers.
Bytes Cut(const Bytes& bytes, size_t size) {
    return Bytes(bytes.begin(), bytes.begin() + long(size));
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

TEST_F(DataFiles, FirstRunCreatesBothFilesAndShortWildOrOddFilesLoadWhatTheyHold) {
    LoadSettings();
    LoadBestRecord();
    EXPECT_EQ(FileBytes("score.dat"), Bytes(12, 0));  // the settings bytes: the flow tests

    // 14 bytes: three whole integers; the half fourth one is ignored. 2 is not 1: off.
    WriteFile("vorlane.cfg", Cut(Le32s({0, 6, 2, 1}), 14));
    WriteFile("score.dat", Cut(Le32s({700, 9}), 6));
    LoadSettings();
    LoadBestRecord();
    const GameSettings& s = gameSettings;
    EXPECT_EQ(std::vector<int>({s.Difficulty, s.MoveSensitivity, s.ShowLandingPoint, s.ShowGrid,
                                s.Reserved1, bestRecord.score, bestRecord.lines}),
              std::vector<int>({0, 6, 0, 0, 40, 700, 0}));
    EXPECT_EQ(FileBytes("vorlane.cfg").size(), 14u) << "a load does not rewrite a short file";

    // Wild values are kept (and saved back) as they are; readers get them clamped.
    WriteFile("vorlane.cfg", Le32s({-7, 99, 1, 1, 1, -1, 0, 123456}));
    LoadSettings();
    EXPECT_EQ(std::vector<int>({s.Difficulty, ClampedDifficulty(), ClampedMoveSensitivity()}),
              std::vector<int>({-7, 0, 6}));
    gameSettings.Difficulty = 9, gameSettings.MoveSensitivity = -3;
    EXPECT_EQ(std::vector<int>({ClampedDifficulty(), ClampedMoveSensitivity()}),
              std::vector<int>({3, 3}));
    SaveSettings();
    EXPECT_EQ(FileBytes("vorlane.cfg"), Le32s({9, -3, 1, 1, 1, -1, 0, 123456}));

    // An empty file changes nothing; a FIFO neither blocks nor counts as a file: it
    // is replaced by a regular file with the values in memory.
    WriteFile("score.dat", {});
    LoadBestRecord();
    EXPECT_EQ(bestRecord.score, 700);
    unlink("score.dat");
    ASSERT_EQ(mkfifo("score.dat", 0644), 0);
    LoadBestRecord();
    ASSERT_TRUE(std::filesystem::is_regular_file("score.dat"));  // reading a FIFO would block
    EXPECT_EQ(FileBytes("score.dat"), Le32s({700, 0, 0}));
}

TEST_F(DataFiles, OnlyAStrictlyHigherScoreReplacesTheRecordAndAFailedSaveExitsWithOne) {
    bestRecord = {-5, 1, 1};  // a negative stored score is beaten by 0
    EXPECT_TRUE(UpdateBestRecord(0, 3, 2));
    EXPECT_FALSE(UpdateBestRecord(0, 50, 9));  // an equal score, even with more lines
    EXPECT_EQ(FileBytes("score.dat"), Le32s({0, 3, 2}));

    unlink("score.dat");
    ASSERT_EQ(mkdir("vorlane.cfg", 0755), 0);
    ASSERT_EQ(mkdir("score.dat", 0755), 0);
    LoadSettings();  // unreadable and not creatable: nothing happens
    EXPECT_EQ(gameSettings.Difficulty, 1);
    EXPECT_EXIT(SaveSettings(), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(SaveBestRecord(), ::testing::ExitedWithCode(1), "");
}

// A child saves the settings and the record in a loop, each time switching between
// two contents; it is killed at a random moment. Every file left is one of the two
// whole (a cut-short file would be shorter), or missing before the first save.
TEST_F(DataFiles, SavesKilledAtRandomMomentsLeaveTheOldOrTheNewFile) {
    const GameSettings settingsB{3, 6, false, true, true, 7, 8, 9};
    const BestRecord recordB{9999999, 999, 42};
    const Bytes settings[2] = {Le32s({1, 4, 1, 0, 0, 40, 255, 255}),
                               Le32s({3, 6, 0, 1, 1, 7, 8, 9})};
    const Bytes records[2] = {Bytes(12, 0), Le32s({9999999, 999, 42})};
    auto oneOf = [](const char* path, const Bytes(&two)[2]) {
        const Bytes now = FileBytes(path);
        return access(path, F_OK) != 0 || now == two[0] || now == two[1];
    };
    std::mt19937 random(20261207);
    // SIGKILL, unlike a power loss, leaves the page cache alone, so the folder may live
    // in memory; a disk folder makes each kill wait for the fsync in progress.
    char shm[] = "/dev/shm/vorlane-kill-XXXXXX";
    const bool inMemory = mkdtemp(shm) != nullptr && chdir(shm) == 0;
    for (int round = 0; round < 1000 && !HasFailure(); ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        for (int i = 0; child == 0 && i >= 0; i = (i + 1) % 2) {  // until it is killed
            gameSettings = i % 2 ? settingsB : kDefaultGameSettings;
            bestRecord = i % 2 ? recordB : BestRecord{0, 0, 0};
            SaveSettings();
            SaveBestRecord();
        }
        const timespec pause = {0, static_cast<long>(random() % 1000) * 1000};
        nanosleep(&pause, nullptr);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        EXPECT_TRUE(oneOf("vorlane.cfg", settings)) << "after round " << round;
        EXPECT_TRUE(oneOf("score.dat", records)) << "after round " << round;
    }
    if (inMemory) {
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        std::filesystem::remove_all(shm);
    }
}

}  // namespace
