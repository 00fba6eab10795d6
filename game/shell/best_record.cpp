// best_record.cpp - the best single-player result in memory and in "./score.dat".
//
// Owns the record, the file's layout and the rule that replaces the record. Which
// rounds may set it is the result scenes' business (result_screens.cpp).
#include "shell/best_record.h"

#include "shell/app.h"
#include "shell/data_file.h"

BestRecord bestRecord = {0, 0, 0};

namespace {

const char kScorePath[] = "./score.dat";
constexpr int kScoreFileSize = 12;

void ToImage(uint8_t (&image)[kScoreFileSize]) {
    PutLe32(image, 0, bestRecord.score);
    PutLe32(image, 1, bestRecord.lines);
    PutLe32(image, 2, bestRecord.maxCombo);
}

}  // namespace

void LoadBestRecord() {
    uint8_t image[kScoreFileSize];
    ToImage(image);
    const int size = ReadDataFile(kScorePath, image, kScoreFileSize);
    if (size < 0) {
        WriteDataFile(kScorePath, image, kScoreFileSize);
        return;
    }
    int32_t* const fields[3] = {&bestRecord.score, &bestRecord.lines, &bestRecord.maxCombo};
    for (int i = 0; i < size / 4; ++i) *fields[i] = GetLe32(image, i);
}

void SaveBestRecord() {
    uint8_t image[kScoreFileSize];
    ToImage(image);
    if (!WriteDataFile(kScorePath, image, kScoreFileSize)) ExitApplication();
}

bool UpdateBestRecord(int32_t score, int32_t lines, int32_t maxCombo) {
    if (score <= bestRecord.score) return false;
    bestRecord = {score, lines, maxCombo};
    SaveBestRecord();
    return true;
}
