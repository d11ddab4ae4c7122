#include "sprites/image.h"

#include "sprites/data_files.h"
#include "sprites/sprite.h"

#include <cstdio>
#include <cstdlib>

namespace {

Uint32 ReadLe32(const Uint8 *p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | ((Uint32)p[3] << 24);
}
Uint16 ReadLe16(const Uint8 *p) {
    return (Uint16)(p[0] | (p[1] << 8));
}

// Checks the parts of a BMP header that decide how much SDL allocates and how
// many palette entries it writes, before SDL reads the file. The stream is
// left at its start.
bool HeaderLooksSane(SDL_RWops *rw) {
    Uint8 h[54] = {};
    int got = SDL_RWread(rw, h, 1, sizeof h);
    SDL_RWseek(rw, 0, RW_SEEK_SET);
    if (got < 26 || h[0] != 'B' || h[1] != 'M') {
        return false;
    }
    Uint32 infoSize = ReadLe32(h + 14);
    long width = 0;
    long height = 0;
    int bitCount = 0;
    Uint32 colorsUsed = 0;
    if (infoSize == 12) {
        width = ReadLe16(h + 18);
        height = ReadLe16(h + 20);
        bitCount = ReadLe16(h + 24);
    } else if (infoSize >= 40 && got >= 50) {
        width = (Sint32)ReadLe32(h + 18);
        height = (Sint32)ReadLe32(h + 22);
        bitCount = ReadLe16(h + 28);
        colorsUsed = ReadLe32(h + 46);
    } else {
        return false;
    }
    if (width <= 0 || width > kMaxImageSide || height == 0 || std::labs(height) > kMaxImageSide) {
        return false;
    }
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
        // A palette larger than the pixel depth can index has no meaning
        // and would run past the palette SDL makes.
        return colorsUsed <= (1u << bitCount);
    case 16:
    case 24:
    case 32:
        return true;
    default:
        return false;
    }
}

} // namespace

SDL_Surface *LoadBmp(const char *path) {
    SDL_RWops *rw = SDL_RWFromFile(path, "rb");
    if (rw == nullptr) {
        return nullptr;
    }
    if (!HeaderLooksSane(rw)) {
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

FILE *OpenDataFile(const char *dir, const char *name, const char *mode) {
    char path[kPathSize];
    int n = snprintf(path, sizeof path, "%s/%s", dir, name);
    FILE *file = (n >= 0 && n < (int)sizeof path) ? fopen(path, mode) : nullptr;
    if (file == nullptr) {
        printf("ERROR opening file %s/%s\n\n", dir, name);
        fflush(stdout);
    }
    NoteDataFileOpened(path, file);
    return file;
}
