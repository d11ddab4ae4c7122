#pragma once
// The desktop program around the game: it plugs the window's input (with the
// gamepad, mute and fullscreen keys) and the recording or replaying of games
// into the game's seams, and hands the command line's start-up choices on.
#include "app/options.h"

// Sets the game's hooks to the desktop program's. Harmless to call again.
void InstallDesktopHooks();

// The start-up choices for the game: the settings file's (read here), then
// the command line's over them: scale, fullscreen, mute and the first level
// (a replay's recorded level wins over --level).
void ApplyLaunchOptions(const Options &options);
