#include "window/window.h"

#include <cstdlib>
#include <string>

#include "game/game.h"
#include "window/scaler.h"
#include "window/sdl_library.h"

namespace {

struct WindowState {
    int asked = 1;                  // the scale as asked for, kScaleAuto kept
    int scale = 1;                  // asked for; kScaleAuto until the desktop is known
    bool fill = false;              // fullscreen shows the largest 4:3 picture, any factor
    bool placeKnown = false;        // where the window was before fullscreen
    int placeX = 0;                 //
    int placeY = 0;                 //
    bool fullscreen = false;        // what the window shows now
    int desktopWidth = 0;           // measured before the first video mode; 0 unknown
    int desktopHeight = 0;          //
    SDL_Surface *picture = nullptr; // the 640x480 picture when it is not the window itself
    SDL_Surface *video = nullptr;   // the window's own surface
    int factor = 1;                 // the picture's enlargement in the window
    SDL_Rect area = {0, 0, kPictureWidth, kPictureHeight}; // where it lies; factor 0: filled
};

WindowState window;
WindowDesktopParts parts;

// Leaving fullscreen: the window goes back where it was, or to the middle of
// the screen when that could not be told and the player's environment names
// no place (SDL would put it at the corner). What SDL's environment held
// before is put back after the video mode is set.
struct PlaceAsked {
    bool set = false;
    bool centred = false;
    bool hadPlace = false;
    std::string place;
};

PlaceAsked PlaceNextWindow(bool leavingFullscreen) {
    PlaceAsked asked;
    const char *place = getenv("SDL_VIDEO_WINDOW_POS");
    asked.hadPlace = place != nullptr;
    asked.place = place != nullptr ? place : "";
    if (!leavingFullscreen) {
        return asked;
    }
    if (window.placeKnown) {
        std::string at = std::to_string(window.placeX) + "," + std::to_string(window.placeY);
        setenv("SDL_VIDEO_WINDOW_POS", at.c_str(), 1);
        asked.set = true;
    } else if (place == nullptr && getenv("SDL_VIDEO_CENTERED") == nullptr) {
        setenv("SDL_VIDEO_CENTERED", "1", 1);
        asked.centred = true;
    }
    return asked;
}

void PutBackPlace(const PlaceAsked &asked) {
    if (asked.set && asked.hadPlace) {
        setenv("SDL_VIDEO_WINDOW_POS", asked.place.c_str(), 1);
    } else if (asked.set) {
        unsetenv("SDL_VIDEO_WINDOW_POS");
    }
    if (asked.centred) {
        unsetenv("SDL_VIDEO_CENTERED");
    }
}

void MeasureDesktop() {
    if (window.desktopWidth > 0) {
        return;
    }
    // Before any video mode is set, SDL reports the desktop's own size.
    const SDL_VideoInfo *info = SDL_GetVideoInfo();
    if (info != nullptr && info->current_w > 0 && info->current_h > 0) {
        window.desktopWidth = info->current_w;
        window.desktopHeight = info->current_h;
    }
    if (window.scale == kScaleAuto) {
        window.scale = AutoScale(window.desktopWidth, window.desktopHeight);
    }
}

// Sets the video mode for the state asked for and clears it to black.
SDL_Surface *SetMode(bool fullscreen) {
    int w = kPictureWidth * window.scale;
    int h = kPictureHeight * window.scale;
    Uint32 flags = SDL_HWPALETTE;
    window.factor = window.scale;
    if (fullscreen) {
        flags |= SDL_FULLSCREEN;
        if (window.desktopWidth > 0) {
            w = window.desktopWidth;
            h = window.desktopHeight;
            window.factor = window.fill && parts.zoom != nullptr ? 0 : FullscreenScale(w, h);
        }
        if (!window.fullscreen && window.video != nullptr && parts.where != nullptr) {
            window.placeKnown = parts.where(window.placeX, window.placeY);
        }
    }
    PlaceAsked asked = PlaceNextWindow(!fullscreen && window.fullscreen);
    SDL_Surface *video = SDL_SetVideoMode(w, h, 32, flags);
    PutBackPlace(asked);
    if (video == nullptr) {
        return nullptr;
    }
    // sdl12-compat keeps the window where it was, giving it the screen's
    // size, and leaves it where it is when it shrinks back: without a window
    // manager to move it, the picture would lie off the screen by the
    // window's place, and the window would not go back.
    int toX = 0, toY = 0;
    bool move = fullscreen || (asked.set && window.placeKnown);
    if (!fullscreen) {
        toX = window.placeX;
        toY = window.placeY;
    }
    int x = 0, y = 0;
    if (move && parts.where != nullptr && parts.moveTo != nullptr && parts.where(x, y) &&
        (x != toX || y != toY)) {
        parts.moveTo(toX, toY);
    }
    window.video = video;
    window.fullscreen = fullscreen;
    window.area = window.factor == 0 ? FilledPicture(video->w, video->h)
                                     : CentredPicture(video->w, video->h, window.factor);
    SDL_FillRect(video, nullptr, 0);
    SDL_Flip(video);
    return video;
}

SDL_Surface *NewPicture(const SDL_Surface *like) {
    const SDL_PixelFormat *f = like->format;
    return SDL_CreateRGBSurface(SDL_SWSURFACE, kPictureWidth, kPictureHeight, 32, f->Rmask,
                                f->Gmask, f->Bmask, f->Amask);
}

void Retarget(Sprite &sprite, SDL_Surface *from, SDL_Surface *to) {
    if (sprite.target == from) {
        sprite.target = to;
    }
}

template <int N> void RetargetAll(Sprite (&sprites)[N], SDL_Surface *from, SDL_Surface *to) {
    for (int i = 0; i < N; ++i) {
        Retarget(sprites[i], from, to);
    }
}

// The game drew straight into the window until now; from here on it draws
// into a picture of its own, which starts as a copy of what was shown.
void MoveDrawingTo(SDL_Surface *from, SDL_Surface *to) {
    if (screen == from) {
        screen = to;
    }
    Retarget(game.cursor, from, to);
    Retarget(ship.sprite, from, to);
    Retarget(boss.sprite, from, to);
    RetargetAll(enemies.sprites, from, to);
    RetargetAll(shots.laneA, from, to);
    RetargetAll(shots.laneB, from, to);
    RetargetAll(shots.laneC, from, to);
}

} // namespace

void PrepareWindow(int scale) {
    bool libraryScales = getenv("SDL12COMPAT_WINDOW_SCALING") != nullptr && RunningSdl().compat;
    window.asked = scale;
    window.scale = OwnWindowScale(scale, libraryScales);
    // SDL 1.2 would otherwise switch a real monitor to 640x480 for
    // fullscreen, and a crash would leave the desktop so.
    setenv("SDL_VIDEO_X11_VIDMODE", "0", 0);
    setenv("SDL_VIDEO_X11_XRANDR", "0", 0);
}

SDL_Surface *OpenWindowScreen(bool fullscreen) {
    MeasureDesktop();
    if (!fullscreen && window.scale == 1) {
        // The documented window: the game draws into it directly.
        window.picture = nullptr;
        window.video = SDL_SetVideoMode(kPictureWidth, kPictureHeight, 32, SDL_HWPALETTE);
        window.fullscreen = false;
        window.factor = 1;
        window.area = CentredPicture(kPictureWidth, kPictureHeight, 1);
        return window.video;
    }
    SDL_Surface *video = SetMode(fullscreen);
    if (video == nullptr) {
        return nullptr;
    }
    if (window.picture == nullptr) {
        window.picture = NewPicture(video);
    }
    return window.picture;
}

void PresentWindow(SDL_Surface *picture) {
    if (window.picture == nullptr || picture != window.picture || window.video == nullptr) {
        SDL_Flip(picture);
        return;
    }
    SDL_Surface *video = window.video;
    if (window.factor == 0) {
        parts.zoom(picture, video, window.area);
        SDL_UpdateRect(video, window.area.x, window.area.y, window.area.w, window.area.h);
        return;
    }
    if (SDL_MUSTLOCK(video) && SDL_LockSurface(video) < 0) {
        return;
    }
    EnlargeFrame(picture, video, window.factor, window.area.x, window.area.y);
    if (SDL_MUSTLOCK(video)) {
        SDL_UnlockSurface(video);
    }
    SDL_UpdateRect(video, window.area.x, window.area.y, window.area.w, window.area.h);
}

namespace {

// Sets the video mode again, fullscreen or not. A game that drew into the
// window itself draws into a picture of its own from here on.
void Reopen(bool fullscreen) {
    if (window.video == nullptr) {
        return;
    }
    SDL_Surface *shown = window.picture;
    SDL_Surface *drawn = nullptr;
    if (shown == nullptr) {
        // Keep what the window shows: the next frame may be a while coming
        // (a pause, a game over).
        drawn = NewPicture(window.video);
        if (drawn == nullptr) {
            return;
        }
        SDL_BlitSurface(window.video, nullptr, drawn, nullptr);
    }
    SDL_Surface *before = window.video;
    bool was = window.fullscreen;
    if (SetMode(fullscreen) == nullptr && SetMode(was) == nullptr) {
        SDL_FreeSurface(drawn);
        return;
    }
    if (drawn != nullptr) {
        window.picture = drawn;
        MoveDrawingTo(before, drawn);
    }
    SDL_ShowCursor(SDL_DISABLE);
    PresentWindow(window.picture);
}

} // namespace

bool ToggleWindowFullscreen() {
    Reopen(!window.fullscreen);
    return window.fullscreen;
}

void SetWindowScale(int scale) {
    window.asked = scale;
    MeasureDesktop();
    window.scale =
        scale == kScaleAuto ? AutoScale(window.desktopWidth, window.desktopHeight) : scale;
    if (!window.fullscreen) {
        Reopen(false);
    }
}

void SetFullscreenFill(bool fill) {
    window.fill = fill;
    if (window.fullscreen) {
        Reopen(true);
    }
}

int WindowScaleAsked() {
    return window.asked;
}

bool FullscreenFills() {
    return window.fill;
}

void UseWindowDesktopParts(const WindowDesktopParts &desktop) {
    parts = desktop;
}

SDL_Rect FilledPicture(int areaWidth, int areaHeight) {
    int w = areaWidth;
    int h = areaWidth * kPictureHeight / kPictureWidth;
    if (h > areaHeight) {
        h = areaHeight;
        w = areaHeight * kPictureWidth / kPictureHeight;
    }
    SDL_Rect rect = {(Sint16)((areaWidth - w) / 2), (Sint16)((areaHeight - h) / 2), (Uint16)w,
                     (Uint16)h};
    return rect;
}

bool WindowFullscreen() {
    return window.fullscreen;
}

int WindowFactor() {
    return window.factor;
}

SDL_Rect WindowPicture() {
    return window.area;
}

void ResetWindow() {
    if (window.picture != nullptr && screen != window.picture) {
        SDL_FreeSurface(window.picture);
    }
    window = WindowState();
}
