#include "replay/sdl_library.h"

#include <dlfcn.h>

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
