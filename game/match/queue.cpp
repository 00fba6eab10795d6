// queue.cpp - the next queue of three kinds, spawning and the hold slot.
//
// Owns how kinds are drawn (one uniform draw, never equal to the kind just before it
// in the queue) and how the falling piece enters the well. It must not test whether
// a spawned piece fits: the round loop decides that.
#include "match/queue.h"

#include "match/match_state.h"
#include "match/pieces.h"
#include "pavex.h"

namespace {

constexpr int kHighestKind = kKindCount - 1;

int DrawKind() {
    return GetRandom(kHighestKind);
}

void ReseedFromClock() {
    SeedRandom(GetTickMillis(0));
}

void ShiftQueue() {
    match.nextKinds[0] = match.nextKinds[1];
    match.nextKinds[1] = match.nextKinds[2];
}

void EnterAtSpawn(int kind) {
    match.pieceKind = kind;
    match.rotation = LoadShape(match.pieceMatrix, kShapeSame, kind, 0);
    match.pieceX = kSpawnX;
    match.pieceY = kSpawnY;
}

// Whether `kind` fits at the spawn place in rotation 0. The falling piece is erased
// while the input is read, so only the stack counts.
bool FitsAtSpawn(int kind) {
    PieceMatrix shape;
    LoadShape(shape, kShapeSame, kind, 0);
    return !PieceCollides(kSpawnX - match.pieceX, kSpawnY - match.pieceY, shape);
}

}  // namespace

void FillQueue() {
    for (int slot = 0; slot < 3; ++slot) {
        ReseedFromClock();
        match.nextKinds[slot] = DrawKind();
    }
    while (match.nextKinds[1] == match.nextKinds[0]) match.nextKinds[1] = DrawKind();
    while (match.nextKinds[2] == match.nextKinds[1]) match.nextKinds[2] = DrawKind();
}

void SpawnPiece() {
    EnterAtSpawn(match.nextKinds[0]);
    ShiftQueue();
    ReseedFromClock();
    match.nextKinds[2] = DrawKind();
    while (match.nextKinds[2] == match.nextKinds[1]) match.nextKinds[2] = DrawKind();
}

bool HoldPiece() {
    // A piece swapped in over blocks would have the end-of-frame stamp overwrite them
    // and the next erase empty them: with the spawn place taken, the hold does nothing.
    const int incoming = match.holdKind == -1 ? match.nextKinds[0] : match.holdKind;
    if (!FitsAtSpawn(incoming)) return false;
    match.rotation = 0;
    if (match.holdKind == -1) {
        match.holdKind = match.pieceKind;
        EnterAtSpawn(match.nextKinds[0]);
        ShiftQueue();
        match.nextKinds[2] = DrawKind();
    } else {
        const int held = match.holdKind;
        match.holdKind = match.pieceKind;
        EnterAtSpawn(held);
    }
    return true;
}
