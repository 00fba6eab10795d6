// network_game.h - the network menu, the connection screens and the versus match.
#ifndef VORLANE_SHELL_NETWORK_GAME_H
#define VORLANE_SHELL_NETWORK_GAME_H

// The network scene from its menu to the end of the connection.
void RunNetworkGame();

#endif
