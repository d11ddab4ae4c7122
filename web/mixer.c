/* The mixer calls of the game's sound layer in the browser. Without an
   audio device, which is where the browser build stands until its sound
   layer is written, every call answers as SDL_mixer does when no device is
   open: the game plays silent and nothing fails. */
#include "SDL_mixer.h"

int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunksize) {
    (void)frequency, (void)format, (void)channels, (void)chunksize;
    SDL_SetError("no audio device");
    return -1;
}
int Mix_QuerySpec(int *frequency, Uint16 *format, int *channels) {
    (void)frequency, (void)format, (void)channels;
    return 0;
}
int Mix_AllocateChannels(int numchans) {
    (void)numchans;
    return 0;
}
int Mix_ReserveChannels(int num) {
    (void)num;
    return 0;
}
int Mix_GroupChannels(int from, int to, int tag) {
    (void)from, (void)to, (void)tag;
    return 0;
}
int Mix_GroupAvailable(int tag) {
    (void)tag;
    return -1;
}
int Mix_GroupOldest(int tag) {
    (void)tag;
    return -1;
}
void Mix_SetPostMix(void (*mix_func)(void *, Uint8 *, int), void *arg) {
    (void)mix_func, (void)arg;
}
Mix_Chunk *Mix_LoadWAV_RW(SDL_RWops *src, int freesrc) {
    if (freesrc && src != NULL) {
        SDL_RWclose(src);
    }
    return NULL;
}
void Mix_FreeChunk(Mix_Chunk *chunk) {
    (void)chunk;
}
int Mix_PlayChannel(int channel, Mix_Chunk *chunk, int loops) {
    (void)channel, (void)chunk, (void)loops;
    return -1;
}
int Mix_HaltChannel(int channel) {
    (void)channel;
    return 0;
}
int Mix_SetSoundFonts(const char *paths) {
    (void)paths;
    return 0;
}
Mix_Music *Mix_LoadMUSType_RW(SDL_RWops *rw, Mix_MusicType type, int freesrc) {
    (void)type;
    if (freesrc && rw != NULL) {
        SDL_RWclose(rw);
    }
    return NULL;
}
int Mix_PlayMusic(Mix_Music *music, int loops) {
    (void)music, (void)loops;
    return -1;
}
int Mix_HaltMusic(void) {
    return 0;
}
