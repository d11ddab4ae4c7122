#pragma once
// What H, O and L open over the title screen (the high scores, the options,
// the level sets), and the muted mark, for the desktop's window and the
// page's canvas alike. One at a time: an open one takes every event.
#include <SDL.h>

// Takes an event straight from SDL's queue, before the keys are translated
// (an options item waiting for a key takes it as it is). True when used up.
bool TitleScreensTakeRaw(const SDL_Event &event);

// Takes a translated event: H, O or L on the title opens its screen; while
// one is open it takes every event. True when used up.
bool TitleScreensTake(const SDL_Event &event);

// The present hook's part: the open screen over the title's frame, then the
// muted mark, shown with present; the frame stays as the game drew it.
void PresentTitleScreens(SDL_Surface *picture, void (*present)(SDL_Surface *picture));
