#pragma once
// What the screens shown over the title share (the high scores, the options
// and the level sets; the --watch notes take the text helpers): the title
// picture under a dark panel, text centred or wrapped in the game's font, and
// showing such a screen over a copy of the frame, so that the frame itself
// stays as the title drew it, as a recording of the run has it.
#include <SDL.h>

#include <string>
#include <vector>

// The title picture with a dark panel over area: alpha says how dark.
void DrawTitlePanel(SDL_Surface *target, SDL_Rect area, Uint8 alpha);

// text centred across the 640-pixel picture, its top at y.
void DrawCentredText(SDL_Surface *target, int y, const std::string &text);

// text cut into pieces no wider than width, at blanks where it can.
std::vector<std::string> WrappedText(const std::string &text, int width);

// Draws over picture, shows it with present, and puts picture back as it was.
void PresentOverFrame(SDL_Surface *picture, void (*draw)(SDL_Surface *picture),
                      void (*present)(SDL_Surface *picture));
