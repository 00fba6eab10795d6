// golden.h - the last presented frame against a reference picture golden/<name>.png
// of the test's folder, pixel for pixel. On a difference it writes <name>.actual.png
// and <name>.diff.png (differing pixels in red) beside the test executable; with
// VORLANE_UPDATE_GOLDEN=1 it writes the reference instead (look at it before you commit it). Pixels
// inside `ignore` (x1, y1 inclusive; x2, y2 exclusive) are not compared.
#ifndef VORLANE_TESTS_GAME_GOLDEN_H
#define VORLANE_TESTS_GAME_GOLDEN_H

#include <string>

struct IgnoredRect {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
// Adds a non-fatal test failure that names the pictures when the frame differs.
void ExpectGolden(const std::string& name, IgnoredRect ignore = {});

#endif
