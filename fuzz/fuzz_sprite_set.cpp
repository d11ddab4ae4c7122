// Fuzzes the frame-list file "info": the input is the file; the folder also
// holds two small frames, "a.bmp" and "b.bmp", that lines may name.
#include <SDL.h>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "sprites/sprite.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string &dir = FuzzScratchDir();
    static bool framesWritten = false;
    if (!framesWritten) {
        SDL_Surface *frame =
            SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 3, 24, 0xff, 0xff00, 0xff0000, 0);
        SDL_SaveBMP(frame, (dir + "/a.bmp").c_str());
        SDL_SaveBMP(frame, (dir + "/b.bmp").c_str());
        SDL_FreeSurface(frame);
        framesWritten = true;
    }
    WriteFuzzFile(dir + "/info", data, size);
    // Load twice into one set, as every level does, and draw every frame.
    static SpriteSet set;
    static Sprite sprite;
    for (int pass = 0; pass < 2; ++pass) {
        set.Load(dir.c_str());
        sprite.Init(&set, SDL_GetVideoSurface());
        for (int i = 0; i <= set.frameCount && i < 8; ++i) {
            sprite.Draw();
        }
    }
    return 0;
}
