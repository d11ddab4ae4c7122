// Fuzzes picture loading: the input is a BMP file.
#include <SDL.h>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "game/game.h"
#include "sprites/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string &dir = FuzzScratchDir();
    std::string path = dir + "/picture.bmp";
    WriteFuzzFile(path, data, size);
    SDL_Surface *image = LoadImage(path.c_str());
    if (image != nullptr) {
        SetBlackColorKey(image);
        SDL_Rect at = {10, 10, 0, 0};
        SDL_BlitSurface(image, nullptr, screen, &at);
        SDL_FreeSurface(image);
    }
    return 0;
}
