// network_game.h - the network menu, the connection screens and the versus match.
#ifndef VORLANE_SHELL_NETWORK_GAME_H
#define VORLANE_SHELL_NETWORK_GAME_H

// 0 when this side joined, 1 when it hosts the match.
extern int networkRole;

// The network scene from its menu to the end of the connection: the menu, joining or
// hosting, rounds until one side has three wins, then the end of the connection.
void RunNetworkGame();
// Joins or hosts as networkRole says, then plays rounds until one side has three wins
// and ends the connection (all of RunNetworkGame after its menu).
void PlayNetworkMatch();
// The menu scene (rows: host, join, port, address, back): 1 host, 0 join, -1 back or
// the window closed. The peer file is read when it starts and written on back and
// when an edit ends.
int RunNetworkMenu();
// Connects to the remembered address and port, trying every frame until Cancel: 0
// connected (after two seconds of the connected screen), -1 cancelled or closed.
int JoinGame();
// Listens on the remembered port until a guest connects or Cancel: 0 or -1.
int HostGame();
// After the match: the guest closes the connection; the host waits until the guest
// has closed it (or the window closes).
void EndNetworkGame();
void ResetWins();
// The menu with the cursor on `row` (0-4), the digit cursors and the digits.
void DrawNetworkMenu(int row);
// The message under the menu: 0 connecting (every second frame), 1 waiting for a
// guest (30 frames on, 31 off), 2 connected, 3 connection lost.
void DrawConnectionMessage(int mode);

#endif
