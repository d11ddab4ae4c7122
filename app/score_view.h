#pragma once
// H on the title screen: the chosen difficulty's high scores, drawn in the
// game's own font over the title picture until any key is pressed. The title
// loop then draws its next frame as always, so it looks exactly as before.
#include <SDL.h>

// Takes a live event before the loops see it. H pressed on the title shows
// the table and waits for a key, which is used up with the H; returns 0 then
// (nothing for the title), or 1 with *event untouched, or the window's
// closing in its place when it was closed during the wait.
int ShowScoresOnTitle(SDL_Event *event);

// Draws the table of the difficulty into screen over the title picture.
void DrawScoreTable(SDL_Surface *screen, int difficulty);
