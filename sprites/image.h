#pragma once
#include <SDL.h>

#include <cstdio>

// Largest picture side the game accepts from a BMP header. Anything larger is
// a broken or hostile file; refusing it keeps a bad header from making SDL
// allocate gigabytes.
constexpr int kMaxImageSide = 8192;

// Reads a Windows BMP file as SDL decodes it, without converting it. Returns
// null when the file cannot be opened, is no valid BMP, or announces a size
// beyond kMaxImageSide. Prints nothing.
SDL_Surface *LoadBmp(const char *path);

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

// Opens the text file dir/name (the path built in a buffer of kPathSize) in
// the given mode. When it cannot be opened, or the path does not fit the
// buffer, prints the load-failure message with the whole path and returns
// null.
FILE *OpenDataFile(const char *dir, const char *name, const char *mode);
