#pragma once
// The sound effects: one short sample per game event, played on SDL_mixer
// channels of their own beside the title tune, and the mute switch for
// everything the game plays. Without an audio device all of it is silent
// and nothing fails.
#include <SDL_mixer.h>

#include "game/report.h"

// Loads every effect from data/sounds/ into the audio device the title tune
// opened (FSOUND_Init), replacing any loaded before. A file that cannot be
// read is reported like a missing picture and its effect stays silent.
// Without an open device nothing is loaded or reported. `muted` sets the
// mute switch.
void LoadEffects(bool muted);

// Loads one effect file into the open audio device: a regular file of at
// most 1 MiB holding a plain PCM WAV. Null when it cannot be read or
// decoded, or when no device is open.
Mix_Chunk *LoadEffectFile(const char *path);

// Stops and releases every loaded effect; its events are silent from then on.
void FreeEffects();

// Starts the effect of an event the rules reported (through the seams,
// GameHooks::eventReported), unless muted or missing.
void PlayEffect(GameEvent event);

// Mute silences the tune and every effect at once; effects reported while
// muted are not started.
void SetMuted(bool muted);
void ToggleMute();
bool Muted();

// How many times the event's effect was started since the last load, and
// the sample it plays (null when missing): for tests and measurements.
int EffectStarts(GameEvent event);
Mix_Chunk *EffectChunk(GameEvent event);

// The effects' loudness, 0 to 100 percent of full, for the channels the open
// audio device has now; nothing without a device.
void SetEffectsVolume(int percent);
