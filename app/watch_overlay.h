#pragma once
// What --watch found in the level it reloaded, shown for a few seconds over
// the play screen in the game's own font.
#include <SDL.h>

#include <string>
#include <vector>

// How long a reload's findings stay on screen.
constexpr Uint32 kWatchReportShowMs = 5000;

// Replaces the lines shown; they are shown from now on.
void ShowWatchReport(const std::vector<std::string> &lines);

// The lines last given to ShowWatchReport, while they are shown.
const std::vector<std::string> &ShownWatchReport();

// Draws the lines into target while they are shown: a dark band under the
// score line holding as many lines as fit. Called before a frame is shown.
void DrawWatchOverlay(SDL_Surface *target);
