// network_settings.h - the remembered peer of network play: its address and port as
// the digits the network menu edits, their numeric forms, and the file
// "./network.cfg" (20 bytes: four octets, then the port, each a little-endian int32).
#ifndef VORLANE_SHELL_NETWORK_SETTINGS_H
#define VORLANE_SHELL_NETWORK_SETTINGS_H

#include <stdint.h>

struct NetworkSettings {
    int32_t addressDigits[12];  // 0-9; three per octet (hundreds, tens, units)
    int32_t portDigits[5];      // 0-9; ten-thousands first
    int32_t octets[4];          // numeric forms: 0..999 each (only the low 8 bits connect)
    int32_t port;               // 0..99999
    int32_t portCursor;         // 0-4, not saved
    int32_t addressCursor;      // 0-11, not saved
};

// All zero at program start.
extern NetworkSettings networkSettings;

// Reads "./network.cfg" into the settings (missing integers count as 0), or creates
// it with 20 zero bytes and leaves the settings as they are.
void LoadNetworkSettings();
// Computes the numeric forms from the digits and writes "./network.cfg" whole (a crash
// leaves the old file or the new one); a file that cannot be written ends the program.
void SaveNetworkSettings();
// Applies the held directions of `pad` (right, left, up, down, in that order) to the
// port digits (row 2) or the address digits (row 3); other rows change nothing.
void EditNetworkDigit(int row, int pad);
// The address for OpenNetWorkConnection: the low 8 bits of octet k in bits 8k..8k+7.
uint32_t PackedNetworkAddress();

#endif
