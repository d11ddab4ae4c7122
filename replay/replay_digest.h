#pragma once
// Fingerprints of the game's state for replays: a small digest of everything
// the rules keep, taken after every iteration, and a checksum of a drawn
// frame. A replay that comes out differently shows it in the first iteration
// whose digest differs.
#include <SDL.h>

// FNV-1a over bytes, continuing from hash (start with kFnvOffset).
constexpr Uint32 kFnvOffset = 2166136261u;
Uint32 HashBytes(const void *data, size_t size, Uint32 hash);

// The state of the title menu, the ship, shots, enemies, boss, level and the
// game's flags and timers, folded to 16 bits.
Uint16 StateDigest();

// A hash of the 640x480 pixels of a surface, row by row (the pitch's padding
// left out, and a 32-bit pixel's bits that hold no colour taken as 0). 0 for
// no surface.
Uint32 FrameChecksum(SDL_Surface *surface);
