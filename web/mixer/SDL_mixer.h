/* The part of SDL_mixer's interface the game's sound layer (sound/) calls,
   for the browser build. web/mixer.c answers these calls over Web Audio;
   the code of sound/ builds unchanged against it. */
#ifndef QUARNDEL_WEB_SDL_MIXER_H
#define QUARNDEL_WEB_SDL_MIXER_H
#include <SDL.h>

#ifdef __cplusplus
extern "C" {
#endif

#define MIX_DEFAULT_FORMAT AUDIO_S16LSB
#define MIX_MAX_VOLUME 128

typedef struct Mix_Chunk {
    int allocated; /* the page's number for the sample */
    Uint8 *abuf;
    Uint32 alen;
    Uint8 volume;
    Uint32 lastsMs; /* how long it sounds */
} Mix_Chunk;

typedef struct Mix_Music Mix_Music;

typedef enum { MUS_NONE, MUS_CMD, MUS_WAV, MUS_MOD, MUS_MID, MUS_OGG, MUS_MP3 } Mix_MusicType;

int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunksize);
int Mix_QuerySpec(int *frequency, Uint16 *format, int *channels);
int Mix_AllocateChannels(int numchans);
int Mix_ReserveChannels(int num);
int Mix_GroupChannels(int from, int to, int tag);
int Mix_GroupAvailable(int tag);
int Mix_GroupOldest(int tag);
void Mix_SetPostMix(void (*mix_func)(void *udata, Uint8 *stream, int len), void *arg);
Mix_Chunk *Mix_LoadWAV_RW(SDL_RWops *src, int freesrc);
void Mix_FreeChunk(Mix_Chunk *chunk);
int Mix_PlayChannel(int channel, Mix_Chunk *chunk, int loops);
int Mix_HaltChannel(int channel);
int Mix_SetSoundFonts(const char *paths);
Mix_Music *Mix_LoadMUSType_RW(SDL_RWops *rw, Mix_MusicType type, int freesrc);
int Mix_PlayMusic(Mix_Music *music, int loops);
int Mix_HaltMusic(void);
int Mix_Volume(int channel, int volume);
int Mix_VolumeMusic(int volume);

/* Once a frame: the page's sound follows the sound layer's mute switch. */
void WebMixerFrame(void);

#ifdef __cplusplus
}
#endif
#endif
