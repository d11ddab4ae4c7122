#include "sprites/image.h"

#include "sprites/bmp_check.h"

#include <cstdio>

namespace {

// True when an 8-bit picture has a pixel that indexes past the palette its
// file declared. SDL converts such a picture through a colour table of the
// declared size, reading past its end.
bool IndexesPastPalette(const SDL_Surface *surface) {
    const SDL_Palette *palette = surface->format->palette;
    if (palette == nullptr || palette->ncolors >= 256 || surface->format->BitsPerPixel != 8) {
        return false;
    }
    for (int y = 0; y < surface->h; ++y) {
        const Uint8 *row = (const Uint8 *)surface->pixels + (long)y * surface->pitch;
        for (int x = 0; x < surface->w; ++x) {
            if (row[x] >= palette->ncolors) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

SDL_Surface *LoadBmp(const char *path, long maxPixels) {
    SDL_RWops *rw = OpenRegularStream(path);
    if (rw == nullptr) {
        return nullptr;
    }
    Uint8 head[kBmpCheckedHeadSize] = {};
    int got = SDL_RWread(rw, head, 1, sizeof head);
    long fileSize = SDL_RWseek(rw, 0, RW_SEEK_END);
    long pixels = CheckedBmpPixels(head, got, fileSize);
    if (pixels < 0 || pixels > maxPixels || SDL_RWseek(rw, 0, RW_SEEK_SET) != 0) {
        SDL_RWclose(rw);
        return nullptr;
    }
    SDL_Surface *surface = SDL_LoadBMP_RW(rw, 1);
    if (surface != nullptr && IndexesPastPalette(surface)) {
        SDL_FreeSurface(surface);
        return nullptr;
    }
    return surface;
}

SDL_Surface *LoadImage(const char *path) {
    SDL_Surface *loaded = LoadBmp(path);
    if (loaded == nullptr) {
        return nullptr;
    }
    SDL_Surface *converted = SDL_DisplayFormat(loaded);
    SDL_FreeSurface(loaded);
    return converted;
}

void SetBlackColorKey(SDL_Surface *surface) {
    if (surface != nullptr) {
        SDL_SetColorKey(surface, SDL_SRCCOLORKEY, SDL_MapRGB(surface->format, 0, 0, 0));
    }
}

void ReplaceSurface(SDL_Surface **slot, SDL_Surface *replacement) {
    if (*slot != nullptr && *slot != replacement) {
        SDL_FreeSurface(*slot);
    }
    *slot = replacement;
}

void ReportUnreadable(const char *path) {
    printf("ERROR opening file %s\n\n", path);
    fflush(stdout);
}
