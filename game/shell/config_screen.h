// config_screen.h - the configuration screen: five settings edited in memory and
// saved to "./vorlane.cfg" through its last item.
#ifndef VORLANE_SHELL_CONFIG_SCREEN_H
#define VORLANE_SHELL_CONFIG_SCREEN_H

constexpr int kConfigItems = 7;  // 0..4 the settings, 5 defaults (does nothing), 6 save

// The scene; returns when the player saves (item 6), holds Escape (not saved; the
// top-level loop then ends the program) or the window closes (not saved).
void RunConfigScreen();
// Applies Right, then Left of `pad` to the setting of `item`. A value out of range
// (from a hand-edited file) is first brought into range.
void EditConfigValue(int item, int pad);
// Heading, item labels, the cursor bar and the cursor item's description line.
void DrawConfigMenu(int cursor);
// The value column at x 400.
void DrawConfigValues();

#endif
