#include "sprites/image.h"

#include "sprites/bmp_check.h"

#include <cstdio>

SDL_Surface *LoadBmp(const char *path, long maxPixels) {
    // One picture is read at a time, and its stream closed before the next:
    // one buffer serves them all. 256 KiB reads a full-screen picture in four
    // reads.
    static char buffer[256 * 1024];
    SDL_RWops *rw = OpenRegularStream(path, buffer, sizeof buffer);
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
    return SDL_LoadBMP_RW(rw, 1);
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
