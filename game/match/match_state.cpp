// match_state.cpp - the one MatchState, the well template, the stamp, erase and
// collision primitives every rule uses, and the reset before a round.
//
// Owns the layout of the record and the meaning of well cells. It must not decide
// any rule: moves, gravity, locking and the queue each live in their own unit.
#include "match/match_state.h"

#include <string.h>

#include "match/queue.h"
#include "pavex.h"

MatchState match = {};

namespace {

// Walls in columns 0 and 11 and the floor in row 21; everything else empty.
constexpr auto MakeWellTemplate() {
    struct Grid {
        int32_t cells[kWellRows][kWellColumns];
    } grid = {};
    for (int r = 0; r < kWellRows; ++r) {
        for (int c = 0; c < kWellColumns; ++c) {
            bool wall = c == 0 || c == kWellColumns - 1 || r == kWellRows - 1;
            grid.cells[r][c] = wall ? CellWall : CellEmpty;
        }
    }
    return grid;
}

constexpr auto kWellTemplate = MakeWellTemplate();

bool InsideWell(int column, int row) {
    return column >= 0 && column < kWellColumns && row >= 0 && row < kWellRows;
}

}  // namespace

int32_t MillisSince(uint32_t since) {
    return static_cast<int32_t>(GetTickMillis(0) - since);
}

bool PieceCollides(int offsetX, int offsetY, const PieceMatrix& matrix) {
    const int left = match.pieceX + offsetX;
    const int top = match.pieceY + offsetY;
    for (int r = 0; r < kBoxSize; ++r) {
        for (int c = 0; c < kBoxSize; ++c) {
            if (matrix[r][c] == 0) continue;
            if (!InsideWell(left + c, top + r)) return true;
            if (match.well[top + r][left + c] != CellEmpty) return true;
        }
    }
    return false;
}

bool CollidesBelowRow(const PieceMatrix& matrix, int row) {
    return PieceCollides(0, row + 1 - match.pieceY, matrix);
}

void StampPiece() {
    if (match.dropped) {
        match.lockPending = true;
        match.dropped = false;
    }
    for (int r = 0; r < kBoxSize; ++r) {
        for (int c = 0; c < kBoxSize; ++c) {
            const int32_t value = match.pieceMatrix[r][c];
            const int column = match.pieceX + c;
            const int row = match.pieceY + r;
            // The rules keep the piece inside the well; a block outside is never written.
            if (value != 0 && InsideWell(column, row)) match.well[row][column] = value;
        }
    }
}

void ErasePiece() {
    for (int r = 0; r < kBoxSize; ++r) {
        for (int c = 0; c < kBoxSize; ++c) {
            const int column = match.pieceX + c;
            const int row = match.pieceY + r;
            if (match.pieceMatrix[r][c] != 0 && InsideWell(column, row)) {
                match.well[row][column] = CellEmpty;
            }
        }
    }
}

void InitRound(int mode) {
    memcpy(match.well, kWellTemplate.cells, sizeof match.well);
    memset(match.opponentWell, 0, sizeof match.opponentWell);
    memset(match.opponentWellReceived, 0, sizeof match.opponentWellReceived);
    memset(match.ghostWell, 0, sizeof match.ghostWell);

    match.score = 0;
    match.lines = 0;
    match.combo = 0;
    match.maxCombo = 0;

    if (match.netMode == 1) {
        match.level = 10;
    } else {
        match.level = mode == 1 ? 5 : 1;
    }

    match.pendingGarbage = 0;
    match.outgoingAttack = 0;
    match.opponentHoldKind = -1;
    match.opponentEnded = false;
    match.opponentEndSeen = false;

    match.fallTimerRestart = true;
    match.gaugeReset = true;
    match.fallStep = false;
    match.lockPending = false;
    match.comboActive = false;
    match.dropped = false;
    match.warningArmed = false;
    match.gameOver = false;
    match.clearMode = mode == 1 ? 1 : 0;

    FillQueue();
    match.holdKind = -1;
}
