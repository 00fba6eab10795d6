// match_fixture.h - a fresh match, settings and scripted platform for every rule
// test, with helpers to lay out wells, to script the pad and to play whole frames,
// and the record of what the rules asked of the sound and vibration services.
#ifndef VORLANE_TESTS_MATCH_FIXTURE_H
#define VORLANE_TESTS_MATCH_FIXTURE_H

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "match/match_state.h"
#include "match/movement.h"
#include "match/pieces.h"
#include "match/round_frame.h"
#include "shell/assets.h"
#include "shell/settings.h"
#include "pavex.h"
#include "tests/support/scripted.h"
#include "tests/support/temp_dir.h"

// The sound, music and vibration calls of the rules are caught at
// link time (see spies.cpp), counted here and passed on.
namespace spy {
struct Record {
    int effects[32] = {};  // PlaySoundEffect calls by effect number
    int voices = 0, bgms = 0, lastBgm = -2;
    int vibrationStarts = 0, lastPower = 0, vibrationStops = 0;  // starts with a power above 0
};
extern Record calls;
}  // namespace spy

// Key codes the pad bits are read from: the arrows, Z and X rotate to the next and the
// previous shape, C hard-drops and A holds.
namespace key {
constexpr int kLeft = 203, kRight = 205, kDown = 208, kZ = 44, kX = 45, kC = 46, kA = 30;
}  // namespace key

using Cells = std::vector<std::pair<int, int>>;  // (column, row)
using Ints = std::vector<int>;

class MatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        script::Reset(100000);
        // The input service starts on its first query, which reports no state yet.
        GetPadState(PAVEX_INPUT_KEY_PAD1);
        spy::calls = {};
        match = MatchState{};
        gameSettings = kDefaultGameSettings;
        InitRound(0);
        SetQueue(6, 1, 2);  // a known queue: the square comes next
    }

public:
    static void SetQueue(int first, int second, int third) {
        match.nextKinds[0] = first, match.nextKinds[1] = second, match.nextKinds[2] = third;
    }
    // Puts a piece of `kind` in `rotation` with its box at (x, y), not stamped.
    static void Place(int kind, int rotation, int x, int y) {
        match.pieceKind = kind;
        match.rotation = LoadShape(match.pieceMatrix, kShapeSame, kind, rotation);
        match.pieceX = x, match.pieceY = y;
    }
    static void Put(const Cells& cells) {
        for (auto [c, r] : cells) match.well[r][c] = CellGarbage;
    }
    // Fills row `row`, columns 1..10, with `value`, leaving the listed columns empty.
    static void FillRow(int row, int32_t value, const Ints& gaps = {}) {
        for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c) match.well[row][c] = value;
        for (int c : gaps) match.well[row][c] = CellEmpty;
    }
    // One row of a grid as text: '.' empty, '#' wall, digits for blocks.
    static std::string Row(int row, const Well& grid = match.well) {
        std::string text;
        for (int32_t v : grid[row]) text += v == 0 ? '.' : v == CellWall ? '#' : char('0' + v);
        return text;
    }
    // Holds exactly the given keys for `frames` frames of 17 ms and reads the pad, or
    // plays the whole rules of each frame as the round loop does.
    static void InputFrames(std::initializer_list<int> keys, int frames = 1, bool whole = false) {
        for (int f = 0; f < frames; ++f) {
            script::ReleaseAllKeys();
            for (int k : keys) script::SetKey(k, true);
            script::AdvanceMs(17);
            whole ? StepFrameRules() : ReadPlayInput();
            if (whole && !match.gameOver && !ClearGoalReached()) EndFrameRules();
        }
    }
    static void PlayFrames(int frames) { InputFrames({}, frames, true); }

private:
    TempDir dir_;
};

#endif
