#include "screens/muted_mark.h"

#include "sound/effects.h"

namespace {

void Fill(SDL_Surface *target, int x, int y, int w, int h, Uint32 colour) {
    SDL_Rect rect = {(Sint16)(kMutedMarkX + x), (Sint16)(kMutedMarkY + y), (Uint16)w, (Uint16)h};
    SDL_FillRect(target, &rect, colour);
}

// A loudspeaker (a box and a widening cone) crossed out in red, on a dark
// square so it shows over any background.
void DrawMark(SDL_Surface *target) {
    Uint32 dark = SDL_MapRGB(target->format, 16, 16, 24);
    Uint32 light = SDL_MapRGB(target->format, 230, 230, 230);
    Uint32 red = SDL_MapRGB(target->format, 230, 40, 40);
    Fill(target, 0, 0, kMutedMarkW, kMutedMarkH, dark);
    Fill(target, 3, 6, 4, 6, light);
    for (int i = 0; i < 5; ++i) {
        Fill(target, 7 + i, 6 - i, 1, 6 + 2 * i, light);
    }
    for (int i = 0; i < 7; ++i) {
        Fill(target, 13 + i, 5 + i, 2, 1, red);
        Fill(target, 19 - i, 5 + i, 2, 1, red);
    }
}

} // namespace

void PresentMutedMark(SDL_Surface *picture, void (*present)(SDL_Surface *picture)) {
    if (!Muted() || picture == nullptr) {
        present(picture);
        return;
    }
    const SDL_PixelFormat *f = picture->format;
    SDL_Surface *under = SDL_CreateRGBSurface(SDL_SWSURFACE, kMutedMarkW, kMutedMarkH,
                                              f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask, 0);
    if (under == nullptr) {
        present(picture);
        return;
    }
    SDL_Rect area = {kMutedMarkX, kMutedMarkY, kMutedMarkW, kMutedMarkH};
    SDL_BlitSurface(picture, &area, under, nullptr);
    DrawMark(picture);
    present(picture);
    SDL_BlitSurface(under, nullptr, picture, &area);
    SDL_FreeSurface(under);
}
