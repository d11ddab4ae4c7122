#include "window/scaler.h"

#include <cstring>

int AutoScale(int desktopWidth, int desktopHeight) {
    int factor = kMaxWindowScale;
    while (factor > 1 && (kPictureWidth * factor > desktopWidth ||
                          kPictureHeight * factor > desktopHeight - kPanelRoom)) {
        --factor;
    }
    return factor;
}

int OwnWindowScale(int scale, bool libraryScales) {
    return libraryScales ? 1 : scale;
}

int FullscreenScale(int screenWidth, int screenHeight) {
    int across = screenWidth / kPictureWidth;
    int down = screenHeight / kPictureHeight;
    int factor = across < down ? across : down;
    return factor < 1 ? 1 : factor;
}

SDL_Rect CentredPicture(int areaWidth, int areaHeight, int factor) {
    int w = kPictureWidth * factor;
    int h = kPictureHeight * factor;
    int x = (areaWidth - w) / 2;
    int y = (areaHeight - h) / 2;
    SDL_Rect rect = {(Sint16)(x > 0 ? x : 0), (Sint16)(y > 0 ? y : 0), (Uint16)w, (Uint16)h};
    return rect;
}

namespace {

// One picture row widened into a window row. The common factors get loops
// of their own so the compiler can keep the pixel in a register.
void WidenRow(const Uint32 *from, Uint32 *to, int width, int factor) {
    switch (factor) {
    case 1:
        memcpy(to, from, (size_t)width * 4);
        break;
    case 2:
        for (int x = 0; x < width; ++x, to += 2) {
            to[0] = to[1] = from[x];
        }
        break;
    case 3:
        for (int x = 0; x < width; ++x, to += 3) {
            to[0] = to[1] = to[2] = from[x];
        }
        break;
    default:
        for (int x = 0; x < width; ++x) {
            for (int i = 0; i < factor; ++i) {
                *to++ = from[x];
            }
        }
        break;
    }
}

} // namespace

void EnlargeFrame(const SDL_Surface *picture, SDL_Surface *window, int factor, int left, int top) {
    const int width = picture->w;
    const size_t rowBytes = (size_t)width * factor * 4;
    const Uint8 *source = (const Uint8 *)picture->pixels;
    Uint8 *target = (Uint8 *)window->pixels + (size_t)top * window->pitch + (size_t)left * 4;
    for (int y = 0; y < picture->h; ++y) {
        Uint8 *first = target;
        WidenRow((const Uint32 *)source, (Uint32 *)first, width, factor);
        target += window->pitch;
        // The further rows of the square are copies of the widened one.
        for (int i = 1; i < factor; ++i, target += window->pitch) {
            memcpy(target, first, rowBytes);
        }
        source += picture->pitch;
    }
}
