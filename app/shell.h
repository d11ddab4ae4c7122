#pragma once
// The desktop program around the game: the loop shell (app/loop_shell.h)
// with the desktop's window (its X11 parts, scale and fullscreen) and
// --watch's reloading of levels.
#include "app/loop_shell.h"

// Sets the game's hooks to the desktop program's. Harmless to call again.
void InstallDesktopHooks();
