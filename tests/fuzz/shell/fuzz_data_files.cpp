// fuzz_data_files - "./vorlane.cfg" and "./score.dat" with hostile contents of any
// length (also longer than the files' 32 and 12 bytes), read as the title scene reads
// them. Whatever they hold, the clamped settings stay in the editor's ranges, the
// booleans are on exactly for the integer 1, and a save writes back the integers that
// were read (booleans as 1 or 0) followed by what the short file did not hold.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "shell/best_record.h"
#include "shell/data_file.h"
#include "shell/settings.h"
#include "shell/settings_file.h"

namespace {

void Check(bool ok) {
    if (!ok) abort();
}

void Write(const char* path, const uint8_t* data, size_t size) {
    FILE* f = fopen(path, "wb");
    if (f == nullptr) abort();
    if (size > 0) fwrite(data, 1, size, f);
    fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool inFolder = false;
    if (!inFolder) {
        char folder[] = "/tmp/vorlane-fuzz-files-XXXXXX";
        if (mkdtemp(folder) == nullptr || chdir(folder) != 0) abort();
        inFolder = true;
    }
    Write("vorlane.cfg", data, size);
    Write("score.dat", data, size);
    gameSettings = kDefaultGameSettings;
    bestRecord = {0, 0, 0};
    LoadSettings();
    LoadBestRecord();

    Check(ClampedDifficulty() >= kMinDifficulty && ClampedDifficulty() <= kMaxDifficulty);
    Check(ClampedMoveSensitivity() >= kMinMoveSensitivity &&
          ClampedMoveSensitivity() <= kMaxMoveSensitivity);
    uint8_t expected[kSettingsFileSize];
    SettingsToImage(kDefaultGameSettings, expected);
    const size_t whole = (size < kSettingsFileSize ? size : kSettingsFileSize) / 4 * 4;
    memcpy(expected, data, whole);
    for (int i = 2; i <= 4; ++i) PutLe32(expected, i, GetLe32(expected, i) == 1 ? 1 : 0);
    SaveSettings();
    uint8_t saved[kSettingsFileSize + 1];
    Check(ReadDataFile("vorlane.cfg", saved, sizeof saved) == kSettingsFileSize);
    Check(memcmp(saved, expected, kSettingsFileSize) == 0);

    const int32_t fields[3] = {bestRecord.score, bestRecord.lines, bestRecord.maxCombo};
    for (int i = 0; i < 3; ++i)
        Check(fields[i] == (size_t(4 * i + 4) <= size ? GetLe32(data, i) : 0));
    return 0;
}
