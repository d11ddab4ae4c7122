// Fuzzes sound-effect loading: the input is a WAV file, checked and then
// decoded by SDL_mixer into the (dummy) audio device.
#include <SDL.h>
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_support.h"
#include "sound/effects.h"
#include "sound/music.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool opened = false;
    if (!opened) {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        opened = FSOUND_Init(44100, 32, 0) == 1;
    }
    const std::string &dir = FuzzScratchDir();
    std::string path = dir + "/effect.wav";
    WriteFuzzFile(path, data, size);
    Mix_Chunk *chunk = LoadEffectFile(path.c_str());
    if (chunk != nullptr) {
        Mix_FreeChunk(chunk);
    }
    return 0;
}
