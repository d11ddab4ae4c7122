#pragma once
// How the window presents its frames on the SDL 1.2 library the game runs
// on (replay/sdl_library.h tells the two libraries apart).
#include "replay/sdl_library.h"

// On sdl12-compat, before the window opens: presents frames without OpenGL
// (SDL 2's software renderer drawing straight into the X window) unless the
// player chose a presentation themselves (SDL_RENDER_DRIVER or
// SDL_FRAMEBUFFER_ACCELERATION set), asked sdl12-compat to scale the window
// (SDL12COMPAT_WINDOW_SCALING, scaled smoothly by OpenGL only) or the game
// starts fullscreen (a desktop-sized picture, which a graphics card shows for
// less). A 640x480 window shows the
// same pixels either way; OpenGL costs more than twice the CPU where it is
// drawn in software (no graphics acceleration: a VM, Xvfb, an old laptop).
// Does nothing on the classic library.
void ChooseCheapPresentation(bool fullscreen);
