#pragma once
// The game's window: its whole-pixel scale and fullscreen. The rules draw
// into a 640x480 picture as always. At scale 1 in a window that picture is
// the window itself, exactly as without this code. Otherwise the window is
// larger and every shown frame is enlarged into it (window/scaler.h).
// Fullscreen covers the desktop at its own size with the picture enlarged as
// far as it fits, centred, black around: the monitor's video mode is never
// changed.
#include <SDL.h>

#include "files/settings.h"

// Chooses the window's scale for the next opening. Tells SDL not to switch
// the monitor's video mode unless the player's environment says otherwise;
// call before SDL starts.
void PrepareWindow(int scale);

// The openScreen hook: opens the window, windowed or fullscreen, and returns
// the 640x480 picture the game draws into; null when no video mode could be
// set.
SDL_Surface *OpenWindowScreen(bool fullscreen);

// The present hook: shows the drawn picture in the window.
void PresentWindow(SDL_Surface *picture);

// F11 and Alt+Enter: into fullscreen or back to the window at its scale.
// The pointer stays hidden. Returns the new state.
bool ToggleWindowFullscreen();

// The window's state: fullscreen or not, the factor the picture is shown at
// and where it lies in the window.
bool WindowFullscreen();
int WindowFactor();
SDL_Rect WindowPicture();

// The options screen's changes, at once: the factor asked for (1 to
// kMaxWindowScale or kScaleAuto) reopens a window at that size; fill makes
// fullscreen show the largest 4:3 picture that fits (else whole factors).
void SetWindowScale(int scale);
void SetFullscreenFill(bool fill);
int WindowScaleAsked(); // as given: kScaleAuto stays so
bool FullscreenFills();

// The parts only the desktop program has (the browser's window has neither).
struct WindowDesktopParts {
    // Enlarges the picture into area of video by any factor; null: fill
    // falls back to whole factors.
    void (*zoom)(SDL_Surface *picture, SDL_Surface *video, SDL_Rect area) = nullptr;
    // Where the window lies on the screen; false when that cannot be told.
    bool (*where)(int &x, int &y) = nullptr;
    // Moves the window on the screen; false when it cannot.
    bool (*moveTo)(int x, int y) = nullptr;
};
void UseWindowDesktopParts(const WindowDesktopParts &parts);

// The largest 4:3 area that fits an area of the given size, centred.
SDL_Rect FilledPicture(int areaWidth, int areaHeight);

// Forgets the window: the next opening starts from scale 1 in a window.
// The picture surface of an enlarged window is released.
void ResetWindow();
