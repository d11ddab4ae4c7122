#pragma once
// The desktop window's parts the browser build has no use for: fullscreen
// fill enlarged by SDL_gfx's zoom, and asking X11 where the window lies (so
// that leaving fullscreen puts it back there) or moving it (so that
// fullscreen covers the screen from its corner).
#include <SDL.h>

// Enlarges the 640x480 picture into area of video with bilinear smoothing.
void ZoomIntoArea(SDL_Surface *picture, SDL_Surface *video, SDL_Rect area);

// Where the window's top-left corner lies on the screen, asked of X11;
// false without an X11 window.
bool WindowPlace(int &x, int &y);

// Moves the window's top-left corner to (x, y) on the screen; false without
// an X11 window.
bool MoveWindowTo(int x, int y);
