#include "window/sdl_library.h"

#include <cstdlib>

void ChooseCheapPresentation(bool fullscreen) {
    if (fullscreen || !RunningSdl().compat || getenv("SDL_RENDER_DRIVER") != nullptr ||
        getenv("SDL_FRAMEBUFFER_ACCELERATION") != nullptr ||
        getenv("SDL12COMPAT_WINDOW_SCALING") != nullptr) {
        return;
    }
    // SDL 2 reads these hints from the environment when sdl12-compat opens
    // the window. Both are needed: SDL 2's software renderer alone still
    // shows its picture through an OpenGL texture.
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
}
