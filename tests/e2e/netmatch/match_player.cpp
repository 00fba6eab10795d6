// match_player - one side of a network match: the real game code (the network scenes,
// the round loop, the rules and the match protocol) on the live platform under SDL's
// dummy drivers, with a scripted player instead of a person.
//
//   match_player host|join PORT STYLE OUTDIR
// STYLE: "bot" places every piece where it leaves the fewest holes and the most full
//        rows; "weak" plays the bot for 20 pieces a round, then drops every piece in
//        the middle until it tops out; either dumps pieces once the connection is lost.
// Runs in the current folder (which holds the data tree) and writes to OUTDIR:
// sent.bin and received.bin (every byte the match protocol sent and read, in order),
// inserts.txt (the opponent's rows pending at each lock that pushed some in) and result.txt
// ("ownWins opponentWins rounds"). Exit 0 when the match ended (the host's wait for
// the guest's close included), 1 when the round loop sends nothing.
//
// The player acts where the round loop sends its message (SendMatchMessage is caught
// at link time): the frame's rules and drawing are done and the piece is stamped; a
// new piece is moved to its place and hard-dropped as the player's drop would.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "match/match_protocol.h"
#include "match/match_state.h"
#include "match/movement.h"
#include "match/pieces.h"
#include "shell/network_game.h"
#include "shell/network_settings.h"
#include "pavex.h"

namespace {

FILE *g_sent, *g_received, *g_inserts;
bool g_weak = false, g_placed = false;  // g_placed: the current piece was placed and dropped
int g_placedThisRound = 0, g_messages = 0, g_rounds = 0;

// The usual weights of a well for a placing player: full rows are good; height,
// covered holes and steps between neighbouring columns are bad.
int Evaluate(const Well& w) {
    int full = 0, holes = 0, height = 0, bumps = 0, previous = -1, filled[kWellRows] = {};
    for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c) {
        int column = 0;
        for (int r = 0; r <= kLastPlayRow; ++r) {
            filled[r] += w[r][c] != CellEmpty;
            if (column == 0 && w[r][c] != CellEmpty) column = kLastPlayRow + 1 - r;
            holes += column > 0 && w[r][c] == CellEmpty;
        }
        height += column;
        if (previous >= 0) bumps += abs(column - previous);
        previous = column;
    }
    for (int n : filled) full += n == kPlayColumns;
    return full * 76 - height * 51 - holes * 36 - bumps * 18;
}

// Turns and moves the falling piece (erased from the well) to its best place.
void MoveToBestPlace() {
    const int savedY = match.pieceY;
    int best = -1000000, bestRotation = match.rotation, bestX = match.pieceX;
    for (int rotation = 0; rotation < 4; ++rotation) {
        PieceMatrix m;
        LoadShape(m, kShapeSame, match.pieceKind, rotation);
        for (int x = -2; x < kWellColumns; ++x) {
            match.pieceX = x;
            match.pieceY = savedY;
            if (PieceCollides(0, 0, m)) continue;
            while (!PieceCollides(0, 1, m)) ++match.pieceY;
            Well trial;
            memcpy(trial, match.well, sizeof trial);
            for (int r = 0; r < kBoxSize; ++r)
                for (int c = 0; c < kBoxSize; ++c)
                    if (m[r][c]) trial[match.pieceY + r][x + c] = m[r][c];
            const int score = Evaluate(trial);
            if (score > best) best = score, bestRotation = rotation, bestX = x;
        }
    }
    match.pieceX = bestX, match.pieceY = savedY;
    match.rotation = LoadShape(match.pieceMatrix, kShapeSame, match.pieceKind, bestRotation);
}

void Play() {
    if (match.gameOver) return;
    if (match.lockPending) {
        g_placed = false;  // the lock after this frame brings the next piece
        return;
    }
    if (g_placed) return;
    g_placed = true;
    ErasePiece();
    // Pieces are dumped where they are once the connection is lost, and by the weak
    // player after 20 pieces of a round.
    if (!MatchConnectionLost() && !(g_weak && g_placedThisRound >= 20)) MoveToBestPlace();
    ++g_placedThisRound;
    StampPiece();
    HardDrop(true);
}

}  // namespace

extern "C" {
void __real__Z16SendMatchMessagev();
int __real_NetWorkSend(int handle, const void* buffer, int length);
int __real_NetWorkRecv(int handle, void* buffer, int length);
void __real__Z17InsertPendingRowsv();
int __real__Z8RunRoundv();

void __wrap__Z16SendMatchMessagev() {
    ++g_messages;
    Play();
    __real__Z16SendMatchMessagev();
}
int __wrap_NetWorkSend(int handle, const void* buffer, int length) {
    const int result = __real_NetWorkSend(handle, buffer, length);
    if (result == 0 && length > 0) fwrite(buffer, 1, size_t(length), g_sent);
    return result;
}
int __wrap_NetWorkRecv(int handle, void* buffer, int length) {
    const int result = __real_NetWorkRecv(handle, buffer, length);
    if (result == 0 && length > 0) fwrite(buffer, 1, size_t(length), g_received);
    return result;
}
void __wrap__Z17InsertPendingRowsv() {
    if (match.pendingGarbage > 0) fprintf(g_inserts, "%d\n", match.pendingGarbage);
    __real__Z17InsertPendingRowsv();
}
int __wrap__Z8RunRoundv() {
    const int before = g_messages;
    g_placedThisRound = 0;
    g_placed = false;
    ++g_rounds;
    const int result = __real__Z8RunRoundv();
    if (g_messages == before && ProcessMessage() == 0) {
        fprintf(stderr, "the round loop sent no message\n");
        EndMediaLayer();
        exit(1);
    }
    return result;
}
}

int main(int argc, char** argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: match_player host|join PORT bot|weak OUTDIR\n");
        return 2;
    }
    const bool host = strcmp(argv[1], "host") == 0;
    const int port = atoi(argv[2]);
    g_weak = strcmp(argv[3], "weak") == 0;
    const std::string out = argv[4];
    g_sent = fopen((out + "/sent.bin").c_str(), "wb");
    g_received = fopen((out + "/received.bin").c_str(), "wb");
    g_inserts = fopen((out + "/inserts.txt").c_str(), "w");
    if (!g_sent || !g_received || !g_inserts) return 2;

    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ChangeWindowMode(1);
    SetAllowDoubleStart(1);
    SetScreenMode(800, 600, 32, 60);
    if (InitMediaLayer() != 0) return 2;
    SetRunWhileInactive(1);
    SelectDrawTarget(PAVEX_SCREEN_BACK);

    networkSettings.octets[0] = 127, networkSettings.octets[3] = 1, networkSettings.port = port;
    networkRole = host ? 1 : 0;
    PlayNetworkMatch();

    for (FILE* f : {g_sent, g_received, g_inserts}) fclose(f);
    FILE* result = fopen((out + "/result.txt").c_str(), "w");
    if (result) fprintf(result, "%d %d %d\n", match.ownWins, match.opponentWins, g_rounds);
    if (result) fclose(result);
    EndMediaLayer();
    return g_rounds > 0 ? 0 : 1;
}
