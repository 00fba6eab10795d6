// network_game.cpp - the network branch of the title menu: the network menu with its
// digit editing, the join and host screens, the loop of versus rounds to three wins
// and the end of the connection.
//
// Owns: networkRole, the blink counter of the connection messages, and the match
// connection's life (netHandle is declared with the match protocol, which reads it
// every frame). The peer file is network_settings.cpp's; the rounds are the round
// loop's; the result after each round is versus_result.cpp's. No message is exchanged
// here: the first round starts as soon as the connection exists.
#include "shell/network_game.h"

#include <stdint.h>

#include <initializer_list>

#include "match/match_protocol.h"
#include "match/match_state.h"
#include "match/round_loop.h"
#include "shell/app.h"
#include "shell/assets.h"
#include "shell/network_settings.h"
#include "shell/versus_result.h"
#include "pavex.h"

int networkRole = 0;

namespace {

constexpr int kConnectedShowMs = 2000;
constexpr int kPadDecide = 0x10;
constexpr int kPadCancel = 0x20;
constexpr int kEscapeState = 0x1000;
constexpr int kRowHost = 0, kRowJoin = 1, kRowBack = 4;  // rows 2 and 3: port, address
constexpr int kMatchWins = 3;

int g_blink = 0;  // blink counter of the connection messages, kept between calls

// One frame of a connection screen: the menu with `row` lit and the message `mode`.
void DrawConnectionScreen(int background, int row, int mode) {
    ClearScreen();
    DrawBackground(background);
    DrawNetworkMenu(row);
    DrawConnectionMessage(mode);
    FlipScreen();
}

// The connected screen for two seconds (stopped early when the window closes).
void ShowConnected(int background, int row) {
    const uint32_t start = GetTickMillis(0);
    while (MillisSince(start) < kConnectedShowMs) {
        const uint32_t t0 = GetTickMillis(0);
        DrawConnectionScreen(background, row, 2);
        WaitOutFrame(t0);
        if (ProcessMessage() != 0) return;
    }
}

}  // namespace

void ResetWins() {
    match.ownWins = 0;
    match.opponentWins = 0;
}

void DrawNetworkMenu(int row) {
    const NetworkSettings& s = networkSettings;
    DrawImageStretched(0, 32, 800, 160, menuImages.title, 1);
    for (int k = 0; k < 4; ++k)
        DrawImage(256, 228 + 32 * k, menuImages.network[row == k ? k : k + 4], 1);
    DrawImage(256, 356, commonImages.select[row == kRowBack ? 3 : 7], 1);
    const int a = s.addressCursor >= 0 && s.addressCursor < 12 ? s.addressCursor : 0;
    const int p = s.portCursor >= 0 && s.portCursor < 5 ? s.portCursor : 0;
    DrawImage(356 + 16 * p, 295, commonImages.cursor, 1);
    DrawImage(356 + 16 * a + 16 * (a / 3), 327, commonImages.cursor, 1);
    const int* digits = commonImages.smallDigits[0];
    for (int i = 0; i < 5; ++i) {
        const int d = s.portDigits[i];
        if (d >= 0 && d <= 9) DrawImage(352 + 16 * i, 301, digits[d], 1);
    }
    for (int k = 0; k < 12; ++k) {
        const int d = s.addressDigits[k];
        if (d >= 0 && d <= 9) DrawImage(352 + 16 * k + 16 * (k / 3), 333, digits[d], 1);
    }
    for (int x : {400, 464, 528}) DrawImage(x, 333, digits[12], 1);
}

void DrawConnectionMessage(int mode) {
    constexpr int kX = 256, kY = 420;
    switch (mode) {
        case 0:  // connecting: every second frame
            if (g_blink == 0) DrawImage(kX, kY, menuImages.connection[0], 1);
            g_blink = g_blink == 0 ? 1 : 0;
            break;
        case 1:  // waiting for a guest: 30 frames shown, 31 hidden
            if (g_blink < 30) DrawImage(kX, kY, menuImages.connection[0], 1);
            if (++g_blink >= 61) g_blink = 0;
            break;
        case 2:
        case 3:
            DrawImage(kX, kY, menuImages.connection[mode - 1], 1);
            break;
        default:
            break;
    }
}

int RunNetworkMenu() {
    LoadNetworkSettings();
    SetDrawBrightness(255, 255, 255);
    if (ProcessMessage() != 0) return -1;
    int row = kRowHost;
    bool editing = false, latch = true;
    for (;;) {
        GetPadState(PAVEX_INPUT_KEY_PAD1);
        const int keys = GetPadState(PAVEX_INPUT_KEYBOARD);
        if (latch && GetAnyKeyDown() == 0) latch = false;
        const uint32_t t0 = GetTickMillis(0);
        ClearScreen();
        DrawBackground(9);
        DrawNetworkMenu(row);
        FlipScreen();
        if (keys == kEscapeState) ExitApplication();
        const int pad = GetPadState(PAVEX_INPUT_KEY_PAD1);
        if (latch && GetAnyKeyDown() == 0) latch = false;
        if (!editing && !latch) {
            if (pad & PAVEX_PAD_DOWN) {
                row = row == kRowBack ? kRowHost : row + 1;
                PlaySoundEffect(kEffectSelect);
                latch = true;
            } else if (pad & PAVEX_PAD_UP) {
                row = row == kRowHost ? kRowBack : row - 1;
                PlaySoundEffect(kEffectSelect);
                latch = true;
            }
        }
        if (editing && !latch) {
            for (int direction : {PAVEX_PAD_RIGHT, PAVEX_PAD_LEFT, PAVEX_PAD_UP, PAVEX_PAD_DOWN}) {
                if (!(pad & direction)) continue;
                EditNetworkDigit(row, pad);
                latch = true;
            }
        }
        if ((pad & kPadDecide) && !latch) {
            if (row == kRowHost || row == kRowJoin) {
                PlaySoundEffect(kEffectConfigSelect);
                return row == kRowHost ? 1 : 0;
            }
            if (row == kRowBack) {
                PlaySoundEffect(kEffectDecide);
                SaveNetworkSettings();
                return -1;
            }
            if (!editing) {
                PlaySoundEffect(kEffectConfigSelect);
                editing = true;
            }
            latch = true;
        }
        if (pad & kPadCancel) {
            if (!latch && editing) {
                PlaySoundEffect(kEffectConfigCancel);
                editing = false;
                SaveNetworkSettings();
            }
            latch = true;
        }
        WaitOutFrame(t0);
        if (ProcessMessage() != 0) return -1;
    }
}

int JoinGame() {
    const uint32_t address = PackedNetworkAddress();
    netHandle = -1;
    if (ProcessMessage() == 0) {
        do {
            const uint32_t t0 = GetTickMillis(0);
            const int pad = GetPadState(PAVEX_INPUT_KEY_PAD1);
            DrawConnectionScreen(9, kRowJoin, 0);
            // May wait up to the connect time-out: the screen moves once per attempt.
            netHandle = OpenNetWorkConnection(address, networkSettings.port);
            if (netHandle != -1) break;
            if (pad & kPadCancel) return -1;
            PumpNetWorkMessages(0);
            WaitOutFrame(t0);
        } while (ProcessMessage() == 0);
    }
    if (netHandle == -1) return -1;
    PlaySoundEffect(kEffectConnect);
    if (ProcessMessage() != 0) return 0;
    ShowConnected(9, kRowJoin);
    return 0;
}

int HostGame() {
    BeginNetWorkListen(networkSettings.port);
    netHandle = -1;
    if (ProcessMessage() == 0) {
        do {
            const uint32_t t0 = GetTickMillis(0);
            const int pad = GetPadState(PAVEX_INPUT_KEY_PAD1);
            DrawConnectionScreen(9, kRowHost, 1);
            netHandle = TakeAcceptedNetWork();
            if (netHandle != -1) break;
            if (pad & kPadCancel) {
                EndNetWorkListen();
                return -1;
            }
            PumpNetWorkMessages(0);
            WaitOutFrame(t0);
        } while (ProcessMessage() == 0);
    }
    EndNetWorkListen();
    if (netHandle == -1) return -1;
    PlaySoundEffect(kEffectConnect);
    if (ProcessMessage() != 0) return 0;
    ShowConnected(5, kRowHost);
    return 0;
}

void EndNetworkGame() {
    if (networkRole == 0) {
        CloseNetWorkHandle(netHandle);
    } else if (ProcessMessage() == 0) {
        // The host waits until the guest's side has closed; the wait ends with the
        // loss report (a vanished guest is reported within seconds) or the window.
        do {
            if (TakeLostNetWork() == netHandle) break;
            WaitMilliseconds(1);
        } while (ProcessMessage() == 0);
    }
    netHandle = -1;
}

void RunNetworkGame() {
    networkRole = RunNetworkMenu();
    if (networkRole == -1) return;
    PlayNetworkMatch();
}

void PlayNetworkMatch() {
    if ((networkRole == 0 ? JoinGame() : HostGame()) == -1) return;
    ResetWins();
    ResetConnectionLost();
    match.netMode = 1;
    if (ProcessMessage() == 0) {
        while (match.ownWins < kMatchWins && match.opponentWins < kMatchWins) {
            InitRound(0);
            RunRound();
            ShowVersusResult();
            if (ProcessMessage() != 0) break;
        }
    }
    EndNetworkGame();
    match.netMode = 0;
}
