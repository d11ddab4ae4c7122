#pragma once
// The one place the title and play loops take events from. Today it is
// SDL's queue as it stands; additions around the game (gamepad, replays)
// hook in here so that the loops and their rules never change.
#include <SDL.h>

// Takes the next pending event into *event: 1 when there was one, else 0,
// like SDL_PollEvent.
int PollEvent(SDL_Event *event);
