#include "sound/music.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstring>

#include "sprites/data_file.h"
#include "sprites/image.h"

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

// Largest tune file the game plays: the MIDI player holds the whole file and
// every event of it in memory, and a file of nothing but notes at one moment
// costs it about 3 ms per KiB each time the tune starts or loops (0.8 s at
// this bound). The shipped tune is under 10 KB; a MIDI song is rarely over
// 200 KB.
constexpr long kMaxTuneBytes = 256L * 1024L;

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

// FluidSynth, which the mixer plays MIDI with, writes a warning to stderr for
// every note it cannot queue: a tune with thousands of notes at one moment
// floods stderr with tens of megabytes a second and holds the audio lock long
// enough to stall the title screen. Its warnings (level 2; errors stay) are
// dropped. Looked up by name, as the mixer brings the library in itself.
void QuietMidiWarnings() {
    using LogFunction = void (*)(int, const char *, void *);
    using SetLogFunction = LogFunction (*)(int, LogFunction, void *);
    constexpr int kFluidWarn = 2;
    void *symbol = dlsym(RTLD_DEFAULT, "fluid_set_log_function");
    if (symbol != nullptr) {
        SetLogFunction setLog;
        memcpy(&setLog, &symbol, sizeof setLog);
        setLog(kFluidWarn, nullptr, nullptr);
    }
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
    if (Mix_OpenAudio(mixrate, MIX_DEFAULT_FORMAT, 2, kMixerBufferFrames) < 0) {
        return 0;
    }
    Mix_AllocateChannels(maxsoftwarechannels);
    ChooseSoundFont();
    QuietMidiWarnings();
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
        // Refused like a file that cannot be opened, and said so: a tune
        // this large is not one the game can play without stalling.
        fclose(file);
        file = nullptr;
        ReportUnreadable(name);
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

void SetMusicVolume(int percent) {
    Mix_VolumeMusic(percent * MIX_MAX_VOLUME / 100);
}
