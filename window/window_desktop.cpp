#include "window/window_desktop.h"

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

namespace {

// An X11 error while asking or moving: the place is not known, and the game
// goes on (Xlib's own handler would end the program).
bool xFailed = false;
int NoteXError(Display *, XErrorEvent *) {
    xFailed = true;
    return 0;
}

// Runs act on the window as it is shown: the classic library's window sits
// in a frame window of its own; sdl12-compat gives only the window (the
// frame is 0 there). False without an X11 window or when X11 said no.
template <typename Act> bool OnShownWindow(Act act) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11 ||
        info.info.x11.display == nullptr) {
        return false;
    }
    Window shown = info.info.x11.wmwindow != 0 ? info.info.x11.wmwindow : info.info.x11.window;
    if (shown == 0) {
        return false;
    }
    Display *display = info.info.x11.display;
    if (info.info.x11.lock_func != nullptr) {
        info.info.x11.lock_func();
    }
    xFailed = false;
    XSync(display, False);
    int (*before)(Display *, XErrorEvent *) = XSetErrorHandler(NoteXError);
    bool done = act(display, shown);
    XSync(display, False);
    XSetErrorHandler(before);
    if (info.info.x11.unlock_func != nullptr) {
        info.info.x11.unlock_func();
    }
    return done && !xFailed;
}

} // namespace

bool WindowPlace(int &x, int &y) {
    return OnShownWindow([&](Display *display, Window shown) {
        Window child;
        return XTranslateCoordinates(display, shown, DefaultRootWindow(display), 0, 0, &x, &y,
                                     &child) != 0;
    });
}

bool MoveWindowTo(int x, int y) {
    return OnShownWindow([&](Display *display, Window shown) {
        XMoveWindow(display, shown, x, y);
        return true;
    });
}
