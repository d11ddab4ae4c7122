#pragma once
// L on the title screen: the level sets to play, the shipped levels first,
// then each installed set with its author, its number of levels and the
// checker's verdict, drawn in the game's font over the title picture. Up and
// Down move the mark, Enter plays the marked set from the next game on and
// keeps the pick in the settings, Escape leaves everything as it was. The
// title loop runs on underneath, as under the high scores (screens/score_view.h).
#include <SDL.h>

// Takes a live event before the loops see it. True when the list uses it
// up: L on the title opens the list (not in a replay, which plays its own
// recorded set); while it is open every key but the window's own (M, F11)
// is the list's. The window's closing is left to the title.
bool LevelSetViewTakes(const SDL_Event &event);

// The present hook's part: while the list is open on the title, it is shown
// over picture, which is left as the title drew it; else present as it is.
void PresentLevelSetView(SDL_Surface *picture, void (*present)(SDL_Surface *picture));

// Whether the list is open.
bool LevelSetViewOpen();

// Closes the list, for tests.
void CloseLevelSetView();
