#include "app/sdl_library.h"

#include <dlfcn.h>

#include <cstdlib>

namespace {

// sdl12-compat numbers its releases from 1.2.50 on; the classic library's
// last release is 1.2.15.
constexpr int kFirstCompatPatch = 50;

} // namespace

SdlLibrary RunningSdl() {
    SdlLibrary library;
    const SDL_version *linked = SDL_Linked_Version();
    if (linked != nullptr) {
        library.major = linked->major;
        library.minor = linked->minor;
        library.patch = linked->patch;
    }
    library.compat =
        dlsym(RTLD_DEFAULT, "SDL12COMPAT_GetWindow") != nullptr ||
        (library.major == 1 && library.minor == 2 && library.patch >= kFirstCompatPatch);
    return library;
}

const char *SdlImplementationName(bool compat) {
    return compat ? "sdl12-compat" : "classic";
}

std::string SdlLibraryText(const SdlLibrary &library) {
    return std::to_string(library.major) + "." + std::to_string(library.minor) + "." +
           std::to_string(library.patch) + " " + SdlImplementationName(library.compat);
}

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
