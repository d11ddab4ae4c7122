#pragma once
// Whole-pixel enlarging of the game's 640x480 picture: every picture pixel
// becomes a square of factor x factor window pixels, so the picture stays
// crisp at any size. The choice of factor and of where the picture sits are
// pure functions of the desktop's size.
#include <SDL.h>

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;
constexpr int kMaxWindowScale = 4; // --scale and the settings file: 1 to 4

// Rows a windowed game leaves free on the desktop for panels and the
// window's title bar when it picks its own factor.
constexpr int kPanelRoom = 64;

// The largest factor (1 to kMaxWindowScale) whose window fits a desktop of
// the given size with room for panels; 1 when the size is unknown (0).
int AutoScale(int desktopWidth, int desktopHeight);

// The factor the game enlarges a window by when the player asked for scale:
// 1 where the SDL library already enlarges its window itself (sdl12-compat
// with SDL12COMPAT_WINDOW_SCALING set), so the picture is never enlarged
// twice.
int OwnWindowScale(int scale, bool libraryScales);

// The largest factor whose enlarged picture fits the whole screen: the
// fullscreen factor. At least 1.
int FullscreenScale(int screenWidth, int screenHeight);

// Where the picture enlarged by factor lies when centred on an area of the
// given size (x, y may be 0; w, h are the enlarged picture's).
SDL_Rect CentredPicture(int areaWidth, int areaHeight, int factor);

// Enlarges the 32-bit picture into the 32-bit window at (left, top), each
// pixel repeated factor times across and down. Both surfaces must be locked
// when they need it, and the window must hold the enlarged picture there.
void EnlargeFrame(const SDL_Surface *picture, SDL_Surface *window, int factor, int left, int top);
