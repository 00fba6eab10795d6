// round_loop.cpp - the round loop: the start sequence, one frame after another with
// its budget, the network exchange of a versus round, the system keys, the round
// clock and the frame counter.
//
// Owns the order of a frame (what is drawn between which rules), the frame budgets
// and the ends of a round. It decides no rule itself (round_frame.cpp runs them) and
// builds no network message (match_protocol.cpp does). Nothing here allocates.
#include "match/round_loop.h"

#include <stdint.h>
#include <string.h>

#include "match/match_protocol.h"
#include "match/match_state.h"
#include "match/playfield_draw.h"
#include "match/queue.h"
#include "match/round_frame.h"
#include "shell/app.h"
#include "shell/assets.h"
#include "shell/settings.h"
#include "pavex.h"

namespace {

constexpr int kLongBudgetMs = 17;
constexpr int kShortBudgetMs = 16;  // every third frame, so three frames take 50 ms
constexpr int kStartFramePeriodMs = 17;

constexpr int kCurtainStartLine = 300;
constexpr int kCurtainStep = 10;
constexpr int kCurtainStartBrightness = 128;
constexpr int kCurtainBrightnessStep = 4;

constexpr int32_t kReadyPhaseMs = 2000;
constexpr int32_t kReadyRunOnMs = 1921;  // the "Ready" picture leaves its hold frame
constexpr int kReadyHoldFrame = 7;
constexpr int kReadyLastFrame = 15;

constexpr int kFilterBackground = 0;
constexpr int kKeyEscape = 1;
constexpr int kKeyF1 = 59;
constexpr int32_t kFpsWindowMs = 1000;

// The frame counter of DrawFps; the count and the shown value outlive a round.
uint32_t fpsReferenceTime;
int fpsCount;
int fpsShown;

// Sleeps in 1 ms steps with message handling. Once the program must end, a wait
// returns at once; the rest of the budget would only be spun away, so it is given up.
void WaitUntil(uint32_t start, int32_t periodMs) {
    while (MillisSince(start) < periodMs) {
        const uint32_t before = GetTickMillis(0);
        WaitMilliseconds(1);
        if (GetTickMillis(0) == before && ProcessMessage() != 0) return;
    }
}

bool MustEnd() {
    return ProcessMessage() != 0;
}

// The still play screen behind the curtain and the "Ready" picture: the well as
// InitRound left it, empty gauges, the panel, the frames, and the shading over all.
void DrawStartScreen() {
    ClearScreen();
    const bool backdrop = DrawPlayBackground();
    DrawWells(backdrop);
    DrawFallGauge(0);
    DrawComboBar(0);
    DrawHud(backdrop);
    DrawWellFrames();
    DrawBackground(kFilterBackground);
}

// Network play: the newest complete messages of the opponent, then the copy of its
// well that this frame draws.
void ReceiveOpponent() {
    ReceiveMatchMessage();
    memcpy(match.opponentWell, match.opponentWellReceived, sizeof match.opponentWell);
}

void SendOwnState() {
    SendMatchMessage();
    PumpNetWorkMessages(0);
}

}  // namespace

void PlayStartSequence() {
    if (match.netMode == 1) {
        PlayBgm(7);
        match.backgroundIndex = 5;
    } else if (match.clearMode == 1) {
        PlayBgm(3);
        match.backgroundIndex = 4;
    } else {
        PlayBgm(1);
        match.backgroundIndex = 1;
    }
    PreparePlayBackdrop();

    // The curtain: a band opening from the middle line by 10 pixels up and down a
    // frame, brightening as it opens; 30 frames.
    if (!MustEnd()) {
        int top = kCurtainStartLine, bottom = kCurtainStartLine;
        int brightness = kCurtainStartBrightness;
        for (;;) {
            const uint32_t t = GetTickMillis(0);
            SetClipRect(0, top, 800, bottom);
            SetDrawBrightness(brightness, brightness, brightness);
            DrawStartScreen();
            FlipScreen();
            top -= kCurtainStep;
            bottom += kCurtainStep;
            brightness += kCurtainBrightnessStep;
            if (top <= 0) break;
            WaitUntil(t, kStartFramePeriodMs);
            if (MustEnd()) break;
        }
    }
    SetClipRect(0, 0, 800, 600);
    SetDrawBrightness(255, 255, 255);

    // "Ready": frames 1..7, held, then on towards 15 in the last 79 ms.
    if (MustEnd()) return;
    const uint32_t t0 = GetTickMillis(0);
    int frame = 0;
    while (MillisSince(t0) < kReadyPhaseMs) {
        const uint32_t t = GetTickMillis(0);
        if (frame < kReadyHoldFrame) ++frame;
        if (MillisSince(t0) >= kReadyRunOnMs && frame < kReadyLastFrame) ++frame;
        DrawStartScreen();
        DrawReadyFrame(frame);
        FlipScreen();
        WaitUntil(t, kStartFramePeriodMs);
    }
}

void WaitFrameBudget(FramePacer& pacer, uint32_t frameStart) {
    WaitUntil(frameStart, pacer.budget);
    if (pacer.counter < 2) {
        pacer.counter += 1;
        pacer.budget = kLongBudgetMs;
    } else {
        pacer.budget = kShortBudgetMs;
        pacer.counter = 0;
    }
}

void StepFrame() {
    const bool backdrop = DrawPlayBackground();
    DrawHoldPieces();
    DrawWells(backdrop);
    DrawConnectionLost();  // over the opponent's well once the connection is gone
    DrawGhost();
    // Gravity, input, vibration, the fall gauge (drawn), the landing point, the
    // stamp, the combo bar (drawn) and the level-up, in that order.
    StepFrameRules();
    DrawHud(backdrop);
    DrawWellFrames(backdrop);
    if (ShowFps) DrawFps();
    UpdateClock();
}

void CheckSystemKeys() {
    uint8_t keys[256];
    GetKeyStateAll(keys);
    if (match.input.keyReleaseWait && GetAnyKeyDown() == 0) match.input.keyReleaseWait = false;
    if (!match.input.keyReleaseWait && keys[kKeyF1] == 1) {
        TakeScreenshot();
        PlaySoundEffect(kEffectScreenShot);
        match.input.keyReleaseWait = true;
    }
    if (keys[kKeyEscape] == 1) ExitApplication();
}

void UpdateClock() {
    // The tick wraps; the signed difference keeps the clock right across the wrap.
    const int32_t since = MillisSince(match.roundStartTime);
    const uint32_t elapsed = since < 0 ? 0u : static_cast<uint32_t>(since);
    const uint32_t minutes = elapsed / 60000;
    const uint32_t rest = elapsed % 60000;
    const uint32_t seconds = rest / 1000;
    const uint32_t hundredths = (rest % 1000) / 10;
    // Past 99 minutes the tens digit keeps counting; DrawNumber shows its last digit.
    match.clockDigits[0] = static_cast<int32_t>(minutes / 10);
    match.clockDigits[1] = static_cast<int32_t>(minutes % 10);
    match.clockDigits[2] = static_cast<int32_t>(seconds / 10);
    match.clockDigits[3] = static_cast<int32_t>(seconds % 10);
    match.clockDigits[4] = static_cast<int32_t>(hundredths / 10);
    match.clockDigits[5] = static_cast<int32_t>(hundredths % 10);
}

void DrawFps() {
    const uint32_t white = MakeColor(255, 255, 255);
    fpsCount += 1;
    if (MillisSince(fpsReferenceTime) > kFpsWindowMs) {
        fpsShown = fpsCount;
        fpsCount = 0;
        fpsReferenceTime = GetTickMillis(0);
    }
    DrawTextFormat(516, 0, white, "FPS : %d", fpsShown);
}

int RunRound() {
    SetDrawBrightness(255, 255, 255);
    DeleteAllGraphics(0);
    LoadImages(kImageSetRound);
    // The library makes its default font on the first text drawn; an empty text now,
    // while the round loads, keeps that allocation out of the first frame.
    if (ShowFps) DrawTextAt(0, 0, "", MakeColor(255, 255, 255), 0);
    PlayStartSequence();
    SpawnPiece();
    fpsReferenceTime = match.roundStartTime = GetTickMillis(0);
    if (MustEnd()) return 0;

    FramePacer pacer;
    for (;;) {
        const uint32_t frameStart = GetTickMillis(0);
        const bool network = match.netMode == 1;
        if (network) ReceiveOpponent();

        ClearScreen();
        StepFrame();
        FlipScreen();

        if (network) SendOwnState();
        CheckSystemKeys();

        // The opponent's end is tested first: its flag wins over a local top-out.
        if (match.opponentEnded) {
            match.opponentEndSeen = true;
            return 0;
        }
        if (match.gameOver) {
            if (network) {
                // The frame's message already carried the end flag; one more follows.
                SendOwnState();
                match.opponentWins += 1;
            }
            return 0;
        }
        if (ClearGoalReached()) return 1;
        // The lock, a top-out of the next piece, and the music of an endless round.
        EndFrameRules();

        WaitFrameBudget(pacer, frameStart);
        if (MustEnd()) return 0;
    }
}
