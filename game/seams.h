#pragma once
// The places where additions around the game plug in. The rules never know
// what is plugged in: with nothing set, the game is the documented one, fed
// by SDL's own queue and clock, seeded from the time of day and paced in real
// time, but silent: the sound (sound/) sits above the game and is plugged in
// here like everything else. The program around the game (app/) and the
// replays (replay/) set these before start-up.
#include <SDL.h>

#include "game/report.h"

struct FMUSIC_MODULE;

// Where the shipped levels start: play starts there unless the program
// chooses another first level.
constexpr const char *kShippedFirstLevel = "data/level_1";

// What the program chose for start-up.
struct LaunchChoices {
    bool fullscreen = false;          // start in a fullscreen video mode
    bool mute = false;                // start with the tune and effects muted
    const char *firstLevel = nullptr; // level folder play starts at; null: data/level_1
};

// Hooks into the loops. A null hook leaves the documented behaviour.
struct GameHooks {
    // The event source of both loops, in place of SDL_PollEvent.
    int (*pollEvent)(SDL_Event *event) = nullptr;
    // Given the seed start-up chose, returns the seed rand() gets.
    Uint32 (*seed)(Uint32 seed) = nullptr;
    // One iteration of the title or play loop is over, before any wait.
    void (*iterationEnded)(bool drewFrame) = nullptr;
    // True when the loops should not sleep (a replay run as fast as it goes).
    bool (*noWaiting)() = nullptr;
    // Called right after SDL starts, to open further input devices.
    void (*openInput)() = nullptr;
    // Opens the window and returns the 640x480 surface the game draws into
    // (null when no video mode could be set), in place of SDL_SetVideoMode.
    SDL_Surface *(*openScreen)(bool fullscreen) = nullptr;
    // Shows a drawn frame of the screen surface, in place of SDL_Flip.
    void (*present)(SDL_Surface *screen) = nullptr;

    // The sound. At start-up, once the window is open: opens the audio
    // device, loads the effects (muted or not) and returns the title tune
    // (null for none).
    FMUSIC_MODULE *(*openSound)(bool muted) = nullptr;
    // The title screen began or ended: the tune starts or stops.
    void (*playSong)(FMUSIC_MODULE *song) = nullptr;
    void (*stopSong)(FMUSIC_MODULE *song) = nullptr;
    // Hears every event the rules report (ReportEvent).
    void (*eventReported)(GameEvent event) = nullptr;
};

// Shows the frame drawn into screen: through the present hook, else SDL_Flip.
void PresentFrame();

extern LaunchChoices launch;
extern GameHooks hooks;

// The level folder play starts at, and every new game.
const char *FirstLevelFolder();
