#pragma once
// Checks of single pictures: whether the game can load them, the size and
// wrap of a scrolling background, and whether a picture stays on the screen
// where the game draws it.
#include <SDL.h>

#include <string>

#include "check/report.h"

// The screen the game draws on.
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

// A seam is reported when the mean colour difference between column 639 and
// column 0 (per channel, 0..255, averaged over all rows) is above this...
constexpr double kSeamMinDifference = 12.0;
// ...and more than this many times the picture's mean difference between
// neighbouring columns, so a busy picture is not blamed for its own texture.
constexpr double kSeamNeighbourFactor = 3.0;

// Why LoadBmp gives no picture for path: "is missing" or "is not a BMP
// picture the game can read"; empty when it reads.
std::string PictureFault(const std::string &path);

// Mean colour difference (0..255 per channel) between columns a and b.
double ColumnDifference(SDL_Surface *image, int a, int b);

// A level background: it must be 640x480, the strip the scroll shows, and its
// column 639 must run on into column 0, where the scroll wraps.
void CheckBackground(const std::string &path, SDL_Surface *image, Report &report);

// A picture of w x h that the game draws with its corner at (x, y) must stay
// on the screen. `what` names it in the message ("the boss").
void CheckOnScreen(const std::string &path, const std::string &what, int w, int h, int x, int y,
                   Report &report);

// "640x480"
std::string SizeText(int w, int h);
