#include "sound/music.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <sys/stat.h>

struct FMUSIC_MODULE {
    Mix_Music *music;
};

namespace {

bool audioOpen = false;

// Sample frames the mixer fills at a time: 512 at 44100 Hz last 11.6 ms,
// so an effect reaches the sound card within two buffers (23 ms) of its
// event, well inside the 50 ms a player notices.
constexpr int kMixerBufferFrames = 512;

// Debian's General MIDI soundfont; FluidSynth renders the tune with it.
const char *const kSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

void ChooseSoundFont() {
    if (SDL_getenv("SDL_SOUNDFONTS") != nullptr) {
        return; // the player's own choice wins
    }
    struct stat info;
    for (const char *path : kSoundFonts) {
        if (stat(path, &info) == 0) {
            Mix_SetSoundFonts(path);
            return;
        }
    }
}

} // namespace

signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int /*flags*/) {
    if (audioOpen) {
        return 1;
    }
    if (SDL_WasInit(SDL_INIT_AUDIO) == 0 && SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) {
        return 0;
    }
    if (Mix_OpenAudio(mixrate, MIX_DEFAULT_FORMAT, 2, kMixerBufferFrames) < 0) {
        return 0;
    }
    Mix_AllocateChannels(maxsoftwarechannels);
    ChooseSoundFont();
    audioOpen = true;
    return 1;
}

FMUSIC_MODULE *FMUSIC_LoadSong(const char *name) {
    if (!audioOpen || name == nullptr) {
        return nullptr;
    }
    Mix_Music *music = Mix_LoadMUS(name);
    if (music == nullptr) {
        return nullptr;
    }
    return new FMUSIC_MODULE{music};
}

signed char FMUSIC_PlaySong(FMUSIC_MODULE *mod) {
    if (mod == nullptr) {
        return 0;
    }
    return Mix_PlayMusic(mod->music, -1) == 0 ? 1 : 0;
}

signed char FMUSIC_StopSong(FMUSIC_MODULE *mod) {
    if (mod == nullptr) {
        return 0;
    }
    Mix_HaltMusic();
    return 1;
}
