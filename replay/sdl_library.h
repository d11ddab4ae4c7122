#pragma once
// Which SDL 1.2 library the game runs on. Two implement the same interface:
// the classic library (1.2.15, the last of its line) and sdl12-compat, SDL
// 1.2's interface over SDL 2 (versions 1.2.50 and up), which most current
// distributions ship in its place. The same game runs on both; their
// blitters round some blended pixels differently, and sdl12-compat presents
// frames through SDL 2's renderer. A recording names the library that drew
// it.
#include <SDL.h>

#include <string>

struct SdlLibrary {
    int major = 0;
    int minor = 0;
    int patch = 0;
    bool compat = false; // sdl12-compat, else the classic library
};

// The library this process is linked to at run time: SDL_Linked_Version,
// and sdl12-compat told apart by a function only it exports
// (SDL12COMPAT_GetWindow), or else by its version numbering.
SdlLibrary RunningSdl();

// "1.2.15 classic" or "1.2.60 sdl12-compat", as a recording names it.
std::string SdlLibraryText(const SdlLibrary &library);

// The implementation's word in that text.
const char *SdlImplementationName(bool compat);
