// versus_result.cpp - the result scene after each versus round: what is left of the
// opponent's messages is read, the local win is counted, and the final picture of
// the round is shown with the win and lose banners for three seconds.
//
// Owns the banner placement and the blink phase. Reads the match state; writes only
// ownWins (a lost round was counted by the round itself). Must not touch the
// connection beyond reading whole messages through the match protocol.
#include "shell/versus_result.h"

#include <stdint.h>

#include "match/match_protocol.h"
#include "match/match_state.h"
#include "match/playfield_draw.h"
#include "shell/app.h"
#include "shell/assets.h"
#include "pavex.h"

namespace {

constexpr int kShowMs = 3000;
constexpr int kBannerY = 138;

}  // namespace

void ShowVersusResult() {
    const uint32_t t0 = GetTickMillis(0);
    int blink = 0;
    StopPadVibration(1);
    // Only whole messages are read, so the stream keeps its 440-byte alignment for
    // the next round.
    ReceiveMatchMessage();
    const int won = match.opponentEnded && match.opponentEndSeen ? 1 : 0;
    if (won) ++match.ownWins;
    if (ProcessMessage() == 0) {
        while (MillisSince(t0) < kShowMs) {
            const uint32_t t = GetTickMillis(0);
            // Messages of the round just played that come late (a retransmitted end
            // flag, say) are read here, not at the first frame of the next round,
            // where an old end flag would end it at once. The opponent's next round
            // sends nothing before its start sequence of two and a half seconds.
            ReceiveMatchMessage();
            ClearScreen();
            DrawBackground(match.backgroundIndex);
            DrawWells();
            DrawConnectionLost();
            DrawHud();
            DrawWellFrames();
            DrawBackground(0);
            DrawVersusBanner(blink, won);
            DrawVersusBanner(2, won);
            FlipScreen();
            blink ^= 1;
            WaitOutFrame(t);
        }
    }
    DeleteAllGraphics(0);
}

void DrawVersusBanner(int kind, int won) {
    if (kind < 0 || kind > 2) return;
    const int x = kind == 2 ? (won ? 536 : 68) : (won ? 96 : 560);
    DrawImage(x, kBannerY, roundImages.vsResult[kind], 1);
}
