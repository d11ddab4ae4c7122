#pragma once
// H on the title screen: the chosen difficulty's high scores, drawn in the
// game's own font over the title picture until any key is pressed. The title
// loop runs on underneath as always (stop signals, the window's closing, M
// and F11 reach it as on the title), and the table is drawn over each frame
// it shows, so the title looks exactly as before once the table closes.
#include <SDL.h>

// Takes a live event before the loops see it. True when the table uses it
// up: H on the title opens the table; while it is open, any key but the
// window's own (M, F11) closes it, and nothing else reaches the title. The
// window's closing is left to the title, and closes the table.
bool ScoreTableTakes(const SDL_Event &event);

// The present hook's part: while the table is open on the title, it is shown
// over picture, the title's frame, which is left as the title drew it.
void PresentScoreTable(SDL_Surface *picture, void (*present)(SDL_Surface *picture));

// Closes the table, for tests.
void CloseScoreTable();
