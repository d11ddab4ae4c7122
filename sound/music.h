#pragma once
// The title-tune layer: the four music operations the game calls, played
// through SDL_mixer (MIDI through FluidSynth and the system's General MIDI
// soundfont). No audio device, a missing file or a failed load all mean no
// music, silently.

struct FMUSIC_MODULE; // a loaded song

// Opens the audio device at mixrate Hz with maxsoftwarechannels mixing
// channels. Returns 1 on success, 0 when there is no sound.
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);

// Loads a song; null when there is no sound or the file is unreadable.
FMUSIC_MODULE *FMUSIC_LoadSong(const char *name);

// Starts the song, looping until it is stopped. 1 on success.
signed char FMUSIC_PlaySong(FMUSIC_MODULE *mod);

// Silences the song. 1 on success.
signed char FMUSIC_StopSong(FMUSIC_MODULE *mod);

// The tune's loudness, 0 to 100 percent of full; kept for songs started
// later too.
void SetMusicVolume(int percent);
