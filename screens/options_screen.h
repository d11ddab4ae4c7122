#pragma once
// O on the title screen: the options, drawn in the game's own font over a
// dark panel above the title picture. The title loop runs on underneath as
// it does for the high scores (screens/score_view.h): the window's closing and
// stop signals reach it, and Escape brings back the title as it was.
#include <SDL.h>

// Whether O may open the screen: not while a recording is played back.
void AllowOptionsScreen(bool allowed);

// Takes an event straight from SDL's queue, before the keys are translated:
// while a key or button item waits, the next key or button is taken as it
// is (a bound key is still the key the player pressed). True when used up.
bool OptionsScreenTakesRaw(const SDL_Event &event);

// Takes a translated event: O on the title opens the screen; while open,
// the arrows, Enter and Escape (and the pad, as those keys) drive it and
// nothing reaches the title but the window's closing, which closes it.
bool OptionsScreenTakes(const SDL_Event &event);

// The present hook's part: while open on the title, the screen is shown
// over a copy of picture; picture stays as the title drew it.
void PresentOptionsScreen(SDL_Surface *picture, void (*present)(SDL_Surface *picture));

// Whether the screen is open; CloseOptionsScreen closes it, for tests.
bool OptionsScreenOpen();
void CloseOptionsScreen();
