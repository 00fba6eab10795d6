// settings.cpp - the one in-memory `GameSettings` instance.
//
// Owns the instance and its start values only; it must not touch files (the
// settings file is read and written by its own unit) and knows nothing of scenes.
#include "shell/settings.h"

GameSettings gameSettings = kDefaultGameSettings;
bool ShowFps = false;
