#pragma once
// While the game is muted, a small crossed-out loudspeaker in the bottom
// right corner of every shown frame of the title and play screens. It is
// drawn on the shown frame only: the picture the game drew, which
// recordings check, stays as it was.
#include <SDL.h>

// Where the mark lies in the 640x480 picture.
constexpr int kMutedMarkX = 612;
constexpr int kMutedMarkY = 456;
constexpr int kMutedMarkW = 22;
constexpr int kMutedMarkH = 18;

// The present hook's part: when muted, picture is shown with the mark and
// then given back its own pixels under it; otherwise shown as it is.
void PresentMutedMark(SDL_Surface *picture, void (*present)(SDL_Surface *picture));
