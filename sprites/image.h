#pragma once
#include <SDL.h>

#include <cstdio>

#include "sprites/data_file.h"

// Most pixels one picture may hold: 2048 x 2048, 16 MiB in a 32-bit display
// format, thirteen times the 640x480 scene. The game holds at most eight
// single pictures (start-up pictures, scene, level picture), seven sprite
// sets of at most kSetPixelBudget pixels (sprite_set.h) and one font sheet of
// at most 4096 x 4096: with the decoding of one more picture that stays near
// 400 MiB, under the 512 MiB the game may use whatever a pack holds.
constexpr long kMaxImagePixels = 2048L * 2048L;

// Reads a Windows BMP file as SDL decodes it, without converting it. Returns
// null when the file cannot be opened or is no regular file, is no valid BMP,
// holds less than its header, palette, colour masks and pixel rows need, has
// colour masks SDL mishandles, announces a side beyond kMaxImageSide
// (bmp_check.h) or more than maxPixels pixels. Prints nothing.
SDL_Surface *LoadBmp(const char *path, long maxPixels = kMaxImagePixels);

// Loads a BMP picture converted to the display format. Owned by the caller;
// null on failure. No colour key is set here.
SDL_Surface *LoadImage(const char *path);

// Makes black (0, 0, 0) the transparent colour of a picture the game draws
// over the scene. A null picture is left alone.
void SetBlackColorKey(SDL_Surface *surface);

// Frees the surface held in *slot and stores the replacement: pictures loaded
// again by every level must not pile up.
void ReplaceSurface(SDL_Surface **slot, SDL_Surface *replacement);

// Prints the game's one load-failure message for path.
void ReportUnreadable(const char *path);
