#include "sound/music.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstring>

#include "sprites/data_file.h"

struct FMUSIC_MODULE {
    Mix_Music *music;
};

namespace {

bool audioOpen = false;

// Debian's General MIDI soundfont; FluidSynth renders the tune with it.
const char *const kSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

// Largest tune file the game plays: the MIDI player holds the whole file and
// every event of it in memory. The shipped tune is under 10 KB; a long MIDI
// song is rarely over 200 KB.
constexpr long kMaxTuneBytes = 1L << 20;

// The kind of music a file name says, as the mixer reads it from a name:
// MIDI for ".mid", ".midi" and ".kar", else told from the file's first bytes.
Mix_MusicType MusicTypeOf(const char *name) {
    const char *dot = strrchr(name, '.');
    if (dot != nullptr && (strcasecmp(dot, ".mid") == 0 || strcasecmp(dot, ".midi") == 0 ||
                           strcasecmp(dot, ".kar") == 0)) {
        return MUS_MID;
    }
    return MUS_NONE;
}

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
    if (Mix_OpenAudio(mixrate, MIX_DEFAULT_FORMAT, 2, 2048) < 0) {
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
    // Opened like every data file, so that a FIFO or device named as the
    // tune cannot block the start-up.
    FILE *file = OpenRegularFile(name, "rb");
    long size = FileSize(file);
    if (file != nullptr && (size < 0 || size > kMaxTuneBytes)) {
        fclose(file);
        file = nullptr;
    }
    SDL_RWops *rw = file != nullptr ? SDL_RWFromFP(file, 1) : nullptr;
    if (rw == nullptr) {
        if (file != nullptr) {
            fclose(file);
        }
        return nullptr;
    }
    Mix_Music *music = Mix_LoadMUSType_RW(rw, MusicTypeOf(name), 1);
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
