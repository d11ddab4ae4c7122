#include "sound/plug_in.h"

#include "game/seams.h"
#include "sound/effects.h"
#include "sound/music.h"

namespace {

// Start-up: the audio device as the game has always opened it, then the
// title tune and the effects from the data folder.
FMUSIC_MODULE *OpenSound(bool muted) {
    FSOUND_Init(44100, 32, 0);
    FMUSIC_MODULE *song = FMUSIC_LoadSong("data/music/title_screen.mid");
    LoadEffects(muted);
    return song;
}

void PlaySong(FMUSIC_MODULE *song) {
    FMUSIC_PlaySong(song);
}

void StopSong(FMUSIC_MODULE *song) {
    FMUSIC_StopSong(song);
}

} // namespace

void PlugInSound() {
    hooks.openSound = OpenSound;
    hooks.playSong = PlaySong;
    hooks.stopSong = StopSong;
    hooks.eventReported = PlayEffect;
}
