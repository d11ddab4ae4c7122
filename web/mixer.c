/* The mixer calls of the game's sound layer (sound/), answered in the
   browser over Web Audio (page/sound.js): the sound layer builds unchanged.
   Effects are decoded by SDL's own WAV reader and handed to the page as
   16-bit samples; channels, their groups and which is free or oldest are
   kept here as SDL_mixer keeps them. The title tune cannot play as MIDI in a
   browser: a recording of it rendered from the same MIDI file at build time
   (music/title_screen.ogg in the data package) plays in its place. Mute is
   the sound layer's own: its post-mix callback silences what it is given,
   so the shell asks it every frame (WebMixerFrame) and the page follows.
   Without the page's audio (under node, or an SDL without audio) the device
   does not open, and the game plays silent as on a machine without sound. */
#include "SDL_mixer.h"

#include <emscripten.h>
#include <stdlib.h>

#define kMaxChannels 64

static int audioOpen = 0;
static int channelCount = 8;
static int reserved = 0;
static int tags[kMaxChannels];
static Uint32 startedAt[kMaxChannels]; /* SDL ticks when the channel started */
static Uint32 lastsMs[kMaxChannels];   /* how long its effect sounds */
static int playing[kMaxChannels];
static int nextChunkId = 1;
static void (*postMix)(void *, Uint8 *, int) = NULL;
static void *postMixArg = NULL;

struct Mix_Music {
    int id;
};

static int Sounding(int channel) {
    return playing[channel] && SDL_GetTicks() - startedAt[channel] < lastsMs[channel];
}

int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunksize) {
    (void)format, (void)channels, (void)chunksize;
    char driver[32];
    if (SDL_AudioDriverName(driver, (int)sizeof driver) == NULL) {
        /* SDL found no audio device, as in a headless replay: the mixer
           opens none either. */
        SDL_SetError("Audio subsystem is not initialized");
        return -1;
    }
    if (!audioOpen) {
        audioOpen = EM_ASM_INT({ return Module.quarndelAudio ? Module.quarndelAudio.open($0) : 0; },
                               frequency);
    }
    if (!audioOpen) {
        SDL_SetError("no audio device");
        return -1;
    }
    for (int i = 0; i < kMaxChannels; ++i) {
        tags[i] = -1;
    }
    return 0;
}

int Mix_QuerySpec(int *frequency, Uint16 *format, int *channels) {
    if (!audioOpen) {
        return 0;
    }
    *frequency = 44100;
    *format = MIX_DEFAULT_FORMAT;
    *channels = 2;
    return 1;
}

int Mix_AllocateChannels(int numchans) {
    if (numchans >= 0) {
        channelCount = numchans < kMaxChannels ? numchans : kMaxChannels;
    }
    return channelCount;
}

int Mix_ReserveChannels(int num) {
    reserved = num < channelCount ? num : channelCount;
    return reserved;
}

int Mix_GroupChannels(int from, int to, int tag) {
    int count = 0;
    for (int i = from; i <= to; ++i) {
        if (i >= 0 && i < channelCount) {
            tags[i] = tag;
            ++count;
        }
    }
    return count;
}

int Mix_GroupAvailable(int tag) {
    for (int i = 0; i < channelCount; ++i) {
        if ((tag == -1 || tags[i] == tag) && !Sounding(i)) {
            return i;
        }
    }
    return -1;
}

int Mix_GroupOldest(int tag) {
    int oldest = -1;
    for (int i = 0; i < channelCount; ++i) {
        if ((tag == -1 || tags[i] == tag) && Sounding(i) &&
            (oldest < 0 || startedAt[i] < startedAt[oldest])) {
            oldest = i;
        }
    }
    return oldest;
}

void Mix_SetPostMix(void (*mix_func)(void *, Uint8 *, int), void *arg) {
    postMix = mix_func;
    postMixArg = arg;
}

/* Reads the whole of an SDL_RWops into memory; null when it cannot. */
static Uint8 *ReadAll(SDL_RWops *rw, int *size) {
    int end = SDL_RWseek(rw, 0, RW_SEEK_END);
    if (end <= 0 || SDL_RWseek(rw, 0, RW_SEEK_SET) != 0) {
        return NULL;
    }
    Uint8 *bytes = malloc((size_t)end);
    if (bytes != NULL && SDL_RWread(rw, bytes, 1, end) != end) {
        free(bytes);
        bytes = NULL;
    }
    *size = end;
    return bytes;
}

Mix_Chunk *Mix_LoadWAV_RW(SDL_RWops *src, int freesrc) {
    Mix_Chunk *chunk = NULL;
    SDL_AudioSpec wave;
    Uint8 *samples = NULL;
    Uint32 length = 0;
    if (audioOpen && src != NULL && SDL_LoadWAV_RW(src, 0, &wave, &samples, &length) != NULL) {
        if (wave.format == AUDIO_S16LSB && wave.channels >= 1 && wave.channels <= 2 &&
            wave.freq > 0) {
            chunk = calloc(1, sizeof *chunk);
        }
        if (chunk != NULL) {
            Uint32 frames = length / (2u * wave.channels);
            chunk->allocated = nextChunkId++;
            chunk->abuf = samples;
            chunk->alen = length;
            chunk->volume = MIX_MAX_VOLUME;
            chunk->lastsMs = (Uint32)((Uint64)frames * 1000u / (Uint32)wave.freq) + 1;
            EM_ASM({ Module.quarndelAudio.chunk($0, $1, $2, $3, $4); }, chunk->allocated, samples,
                   frames, wave.channels, wave.freq);
        } else {
            SDL_FreeWAV(samples);
        }
    }
    if (freesrc && src != NULL) {
        SDL_RWclose(src);
    }
    return chunk;
}

void Mix_FreeChunk(Mix_Chunk *chunk) {
    if (chunk == NULL) {
        return;
    }
    EM_ASM({ Module.quarndelAudio.freeChunk($0); }, chunk->allocated);
    SDL_FreeWAV(chunk->abuf);
    free(chunk);
}

int Mix_PlayChannel(int channel, Mix_Chunk *chunk, int loops) {
    (void)loops; /* the game plays every effect once */
    if (!audioOpen || chunk == NULL) {
        return -1;
    }
    if (channel < 0) {
        channel = Mix_GroupAvailable(-1);
    }
    if (channel < 0 || channel >= channelCount) {
        return -1;
    }
    playing[channel] = 1;
    startedAt[channel] = SDL_GetTicks();
    lastsMs[channel] = chunk->lastsMs;
    EM_ASM({ Module.quarndelAudio.play($0, $1); }, channel, chunk->allocated);
    return channel;
}

int Mix_HaltChannel(int channel) {
    for (int i = 0; i < channelCount; ++i) {
        if ((channel == -1 || channel == i) && playing[i]) {
            playing[i] = 0;
            EM_ASM({ Module.quarndelAudio.halt($0); }, i);
        }
    }
    return 0;
}

int Mix_SetSoundFonts(const char *paths) {
    (void)paths; /* the tune was rendered with the soundfont at build time */
    return 1;
}

/* The MIDI tune plays as its rendering: the same path with ".ogg" in place
   of its ending, which the page decodes. */
Mix_Music *Mix_LoadMUSType_RW(SDL_RWops *rw, Mix_MusicType type, int freesrc) {
    (void)type;
    Mix_Music *music = NULL;
    if (freesrc && rw != NULL) {
        SDL_RWclose(rw);
    }
    if (!audioOpen) {
        return NULL;
    }
    int size = 0;
    SDL_RWops *rendered = SDL_RWFromFile("data/music/title_screen.ogg", "rb");
    Uint8 *bytes = rendered != NULL ? ReadAll(rendered, &size) : NULL;
    if (rendered != NULL) {
        SDL_RWclose(rendered);
    }
    if (bytes != NULL) {
        music = calloc(1, sizeof *music);
        if (music != NULL) {
            music->id = nextChunkId++;
            EM_ASM({ Module.quarndelAudio.music($0, $1, $2); }, music->id, bytes, size);
        }
        free(bytes);
    }
    return music;
}

int Mix_PlayMusic(Mix_Music *music, int loops) {
    if (!audioOpen || music == NULL) {
        return -1;
    }
    EM_ASM({ Module.quarndelAudio.playMusic($0, $1); }, music->id, loops);
    return 0;
}

int Mix_HaltMusic(void) {
    if (audioOpen) {
        EM_ASM({ Module.quarndelAudio.haltMusic(); });
    }
    return 0;
}

/* Volumes come from the settings (the options screen or the settings file),
   as SDL_mixer keeps them (-1 asks): the page plays effects and the tune
   through a gain each, set to the volume over MIX_MAX_VOLUME. */
static int effectsVolume = MIX_MAX_VOLUME;
static int musicVolume = MIX_MAX_VOLUME;

static void TellPageVolume(int music, int volume) {
    if (audioOpen) {
        EM_ASM({ Module.quarndelAudio.volume($0, $1); }, music, volume / (double)MIX_MAX_VOLUME);
    }
}

int Mix_Volume(int channel, int volume) {
    (void)channel;
    int was = effectsVolume;
    if (volume >= 0) {
        effectsVolume = volume > MIX_MAX_VOLUME ? MIX_MAX_VOLUME : volume;
        TellPageVolume(0, effectsVolume);
    }
    return was;
}

int Mix_VolumeMusic(int volume) {
    int was = musicVolume;
    if (volume >= 0) {
        musicVolume = volume > MIX_MAX_VOLUME ? MIX_MAX_VOLUME : volume;
        TellPageVolume(1, musicVolume);
    }
    return was;
}

void WebMixerFrame(void) {
    if (!audioOpen) {
        return;
    }
    int muted = 0;
    if (postMix != NULL) {
        Uint8 probe[4] = {1, 1, 1, 1};
        postMix(postMixArg, probe, (int)sizeof probe);
        muted = probe[0] == 0 && probe[1] == 0;
    }
    EM_ASM({ Module.quarndelAudio.mute($0); }, muted);
}
