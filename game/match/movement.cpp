// movement.cpp - sideways moves with their repeat timing, the soft drop, rotation
// with its kick list, the hard drop, the landing point, and the per-frame reading of
// directions and buttons that drives them.
//
// Owns `InputState` and the moves of the falling piece. It must not lock pieces,
// score or change the fall gauge, except that the player's hard drop empties it.
#include "match/movement.h"

#include <limits.h>
#include <string.h>

#include "match/match_state.h"
#include "match/pieces.h"
#include "match/queue.h"
#include "shell/assets.h"
#include "shell/settings.h"
#include "pavex.h"

namespace {

// Frames a direction must be held at sensitivity 6 before it moves every frame.
constexpr int kFastRepeatAfter = 13;
constexpr int kPerPressSensitivity = 6;

// A button must be seen on this many frames before hard drop or hold fires.
constexpr int kDebounceFrames = 2;

// Kicks tried in order when a rotated shape does not fit where the piece is.
constexpr int kKicks[][2] = {{1, 0}, {2, 0}, {-1, 0}, {-2, 0}, {0, 1}, {0, 2}, {0, -1}};

// The bar (kind 0) can be pulled two columns left near the left side, and two rows up
// when it stands up.
constexpr int kBarKind = 0;
constexpr int kBarShiftMaxX = 3;

int32_t CountUp(int32_t value) {
    return value < INT32_MAX ? value + 1 : value;
}

void ReadDirections(int pad) {
    InputState& in = match.input;
    if ((pad & kPadDirections) == 0) {
        in.moveHeld = 0;
        match.moveLatch = false;
        return;
    }
    const int sensitivity = ClampInt(gameSettings.MoveSensitivity, 3, kPerPressSensitivity);
    const int d = MapDirection(pad);
    if (d == kDirDown) {
        MovePiece(kDirDown);
    } else if (in.moveHeld >= kFastRepeatAfter && sensitivity == kPerPressSensitivity) {
        MovePiece(d);
    } else if (!match.moveLatch &&
               (in.moveRepeat >= sensitivity || sensitivity == kPerPressSensitivity)) {
        MovePiece(d);
        in.moveRepeat = 0;
        if (sensitivity == kPerPressSensitivity) match.moveLatch = true;
    }
    in.moveRepeat = CountUp(in.moveRepeat);
    in.moveHeld = CountUp(in.moveHeld);
}

// Hard drop and hold share one debounce count: the action fires on the third frame
// the button is seen, and the count is not cleared on release. A hold refused because
// the spawn place is taken did not happen: no sound, and the count stays for the next
// try.
void PressDebounced(int button) {
    InputState& in = match.input;
    if (in.buttonDebounce < kDebounceFrames) {
        in.buttonDebounce += 1;
        return;
    }
    if (button == kButtonHardDrop) {
        HardDrop(true);
    } else if (HoldPiece()) {
        PlaySoundEffect(kEffectScreenShot);
    } else {
        return;
    }
    in.buttonDebounce = 0;
    in.buttonLatch = true;
}

void ReadButtons(int pad) {
    InputState& in = match.input;
    const int b = pad & kPadButtons;
    if (in.buttonLatch || b == 0) return;
    if (b == kButtonRotateNext || b == kButtonRotatePrevious) {
        RotatePiece(b);
        in.buttonLatch = true;
    } else if (b == kButtonHardDrop || b == kButtonHold) {
        PressDebounced(b);
    }
}

void MoveBy(int dx, int dy) {
    match.pieceX += dx;
    match.pieceY += dy;
}

// Where a rotated shape does not fit, looks for a place where it does.
void FindRoomForRotation(const PieceMatrix& candidate, int newRotation) {
    if (match.pieceKind == kBarKind) {
        if (match.pieceX <= kBarShiftMaxX && !PieceCollides(-2, 0, candidate)) MoveBy(-2, 0);
        if ((newRotation == 1 || newRotation == 3) && !PieceCollides(0, -2, candidate)) {
            MoveBy(0, -2);
        }
    }
    for (const auto& kick : kKicks) {
        if (!PieceCollides(kick[0], kick[1], candidate)) {
            MoveBy(kick[0], kick[1]);
            return;
        }
    }
}

void WriteGhost(int row, bool on) {
    for (int r = 0; r < kBoxSize; ++r) {
        for (int c = 0; c < kBoxSize; ++c) {
            const int32_t value = match.ghostMatrix[r][c];
            const int column = match.pieceX + c;
            const int wellRow = row + r;
            if (value == 0 || column < 0 || column >= kWellColumns || wellRow < 0 ||
                wellRow >= kWellRows) {
                continue;
            }
            match.ghostWell[wellRow][column] = on ? value : CellEmpty;
        }
    }
}

}  // namespace

void ReadPlayInput() {
    const int pad = GetPadState(PAVEX_INPUT_KEY_PAD1);
    if (match.input.buttonLatch && (pad & kPadButtons) == 0) match.input.buttonLatch = false;
    ReadDirections(pad);
    ReadButtons(pad);
}

bool MovePiece(int direction) {
    ErasePiece();
    int dx = 0;
    int dy = 0;
    switch (direction) {
        case kDirDown:
            dy = 1;
            break;
        case kDirLeft:
            dx = -1;
            break;
        case kDirRight:
            dx = 1;
            break;
        default:
            return true;
    }
    if (PieceCollides(dx, dy, match.pieceMatrix)) return true;
    MoveBy(dx, dy);
    return false;
}

void RotatePiece(int button) {
    PieceMatrix candidate;
    const int step = button == kButtonRotateNext ? kShapeNext : kShapePrevious;
    const int newRotation = LoadShape(candidate, step, match.pieceKind, match.rotation);
    if (PieceCollides(0, 0, candidate)) FindRoomForRotation(candidate, newRotation);
    if (!PieceCollides(0, 0, candidate)) {
        memcpy(match.pieceMatrix, candidate, sizeof candidate);
        match.rotation = newRotation;
    }
    PlaySoundEffect(kEffectRotation);
}

void HardDrop(bool byPlayer) {
    if (byPlayer) {
        if (match.level >= 25 && match.fallGauge < 50) return;
        // The gauge may stand past 257 for a frame after a forced drop at high
        // levels; a hard drop then earns nothing rather than costing points.
        match.dropBonus = match.fallGauge < 257 ? 257 - match.fallGauge : 0;
        match.fallGauge = 0;
    } else {
        match.dropBonus = 0;
    }
    const uint32_t start = GetTickMillis(0);
    for (int fallen = 0; fallen <= kMaxFallRows && MillisSince(start) < kSearchLimitMs; ++fallen) {
        ErasePiece();
        if (PieceCollides(0, 1, match.pieceMatrix)) break;
        MoveBy(0, 1);
        StampPiece();
    }
    match.dropped = true;
}

void ComputeGhost() {
    memcpy(match.ghostMatrix, match.pieceMatrix, sizeof match.ghostMatrix);
    memset(match.ghostWell, 0, sizeof match.ghostWell);
    int row = match.pieceY;
    const uint32_t start = GetTickMillis(0);
    for (int fallen = 0; fallen <= kMaxFallRows && MillisSince(start) < kSearchLimitMs; ++fallen) {
        WriteGhost(row, false);
        if (CollidesBelowRow(match.ghostMatrix, row)) break;
        row += 1;
        WriteGhost(row, true);
    }
    WriteGhost(row, true);
}
