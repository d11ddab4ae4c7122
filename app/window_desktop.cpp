#include "app/window_desktop.h"

#include <SDL_rotozoom.h>
#include <SDL_syswm.h>

void ZoomIntoArea(SDL_Surface *picture, SDL_Surface *video, SDL_Rect area) {
    // Smoothed: a factor such as 1.6 repeats every other picture column
    // twice when taken unsmoothed, and the scrolling background then
    // shimmers as columns change width; the smoothed picture moves evenly.
    double across = (double)area.w / picture->w;
    double down = (double)area.h / picture->h;
    SDL_Surface *zoomed = zoomSurface(picture, across, down, SMOOTHING_ON);
    if (zoomed == nullptr) {
        return;
    }
    SDL_Rect part = {0, 0, area.w, area.h};
    SDL_Rect at = area;
    SDL_BlitSurface(zoomed, &part, video, &at);
    SDL_FreeSurface(zoomed);
}

bool WindowPlace(int &x, int &y) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11 ||
        info.info.x11.display == nullptr) {
        return false;
    }
    Display *display = info.info.x11.display;
    Window child;
    info.info.x11.lock_func();
    Bool got = XTranslateCoordinates(display, info.info.x11.wmwindow, DefaultRootWindow(display), 0,
                                     0, &x, &y, &child);
    info.info.x11.unlock_func();
    return got != 0;
}
