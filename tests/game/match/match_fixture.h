// match_fixture.h - a fresh match, settings and scripted platform for every rule
// test, with helpers to lay out wells and to script the pad frame by frame.
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
#include "shell/assets.h"
#include "shell/settings.h"
#include "pavex.h"
#include "tests/game/match/sound_spy.h"
#include "tests/support/scripted.h"
#include "tests/support/temp_dir.h"

// Key codes the pad bits are read from: the arrows, Z and X rotate to the next and the
// previous shape, C hard-drops and A holds.
namespace key {
constexpr int kUp = 200, kLeft = 203, kRight = 205, kDown = 208, kZ = 44, kX = 45, kC = 46, kA = 30;
}  // namespace key

using Cells = std::vector<std::pair<int, int>>;
using Ints = std::vector<int>;

class MatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        script::Reset(100000);
        // The input service starts on its first query, which reports no state yet.
        GetPadState(PAVEX_INPUT_KEY_PAD1);
        spy::Reset();
        match = MatchState{};
        gameSettings = kDefaultGameSettings;
        InitRound(0);
        SetQueue(6, 1, 2);  // a known queue: the square comes next
    }
    void TearDown() override { script::ReleaseAllKeys(); }

public:
    static void SetQueue(int first, int second, int third) {
        match.nextKinds[0] = first;
        match.nextKinds[1] = second;
        match.nextKinds[2] = third;
    }

    // Puts a piece of `kind` in `rotation` with its box at (x, y), not stamped.
    static void Place(int kind, int rotation, int x, int y) {
        match.pieceKind = kind;
        match.rotation = LoadShape(match.pieceMatrix, kShapeSame, kind, rotation);
        match.pieceX = x;
        match.pieceY = y;
    }

    // Fills row `row`, columns 1..10, with `value`, leaving the listed columns empty.
    static void FillRow(int row, int32_t value, std::vector<int> gaps = {}) {
        for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c) match.well[row][c] = value;
        for (int c : gaps) match.well[row][c] = CellEmpty;
    }

    // One row of the well as text: '.' empty, '#' wall, digits for blocks.
    static std::string Row(int row) {
        std::string text;
        for (int32_t v : match.well[row]) {
            text += v == CellEmpty ? '.' : v == CellWall ? '#' : static_cast<char>('0' + v);
        }
        return text;
    }

    // The blocks of the falling piece as well coordinates (column, row) in reading order.
    static Cells PieceCells() {
        Cells cells;
        for (int r = 0; r < kBoxSize; ++r) {
            for (int c = 0; c < kBoxSize; ++c) {
                if (match.pieceMatrix[r][c] != 0)
                    cells.emplace_back(match.pieceX + c, match.pieceY + r);
            }
        }
        return cells;
    }

    // The falling piece as {kind, rotation, x, y}, and hold slot plus queue.
    static Ints Piece() { return {match.pieceKind, match.rotation, match.pieceX, match.pieceY}; }
    static Ints Queue() {
        return {match.holdKind, match.nextKinds[0], match.nextKinds[1], match.nextKinds[2]};
    }

    // Holds exactly the given keys for `frames` frames of input (the clock moves on first).
    static void InputFrame(std::initializer_list<int> keys, int frames = 1) {
        for (int f = 0; f < frames; ++f) {
            script::ReleaseAllKeys();
            for (int k : keys) script::SetKey(k, true);
            script::AdvanceMs(17);
            ReadPlayInput();
        }
    }

private:
    TempDir dir_;
};

#endif
