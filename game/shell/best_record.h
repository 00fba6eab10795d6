// best_record.h - the best single-player result and "./score.dat".
#ifndef VORLANE_SHELL_BEST_RECORD_H
#define VORLANE_SHELL_BEST_RECORD_H

#include <stdint.h>

struct BestRecord {
    int32_t score;
    int32_t lines;
    int32_t maxCombo;
};

// All zero at program start; replaced by the file at each title scene.
extern BestRecord bestRecord;

// Reads the file into `bestRecord` (a short file changes only the fields it holds
// completely); a missing file is created with the record in memory.
void LoadBestRecord();
// Writes `bestRecord`, whole or not at all; a file that cannot be written ends the
// program (ExitApplication).
void SaveBestRecord();
// A round's result: when its score is strictly above the record (signed), it becomes
// the record and is saved. true when it did.
bool UpdateBestRecord(int32_t score, int32_t lines, int32_t maxCombo);

#endif
