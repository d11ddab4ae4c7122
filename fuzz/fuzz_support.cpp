#include "fuzz/fuzz_support.h"

#include <SDL.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>

#include "game/game.h"

const std::string &FuzzScratchDir() {
    static std::string dir;
    if (dir.empty()) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        if (SDL_Init(SDL_INIT_VIDEO) < 0 ||
            (screen = SDL_SetVideoMode(640, 480, 32, SDL_SWSURFACE)) == nullptr) {
            fprintf(stderr, "no dummy video: %s\n", SDL_GetError());
            abort();
        }
        char pattern[] = "/tmp/quarndel-fuzz-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            abort();
        }
        dir = pattern;
    }
    return dir;
}

void WriteFuzzFile(const std::string &path, const uint8_t *data, size_t size) {
    FILE *file = fopen(path.c_str(), "wb");
    if (file == nullptr) {
        abort();
    }
    if (size > 0 && fwrite(data, 1, size, file) != size) {
        abort();
    }
    fclose(file);
}
