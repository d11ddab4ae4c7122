#pragma once
// The loop shell both programs run the game in, the desktop's (app/shell.cpp)
// and the browser's (web/shell.cpp): the events polled and translated (the
// gamepad, the bound keys, mute and fullscreen) with what H, O and L open
// over the title, recorded or replaced by a recording; the frame shown with
// those screens over it; the end of an iteration (the replay, the scores,
// the settings); the settings' volumes with the first frame shown; and the
// launch choices from the settings and the command line. Where the programs
// differ they hand in parts of their own.
#include <SDL.h>

#include "app/options.h"

// A program's own parts of the shell. A null part is one the program does
// not have.
struct ShellParts {
    // Opens the window and returns the surface the game draws into (the
    // desktop's window); null: the game sets its own video mode.
    SDL_Surface *(*openScreen)(bool fullscreen) = nullptr;
    // Shows a frame, with the screens over the title drawn into it.
    void (*show)(SDL_Surface *picture) = nullptr;
    // True while no one sees the frames: nothing is shown, and the volumes
    // wait for a frame that is (the page in a replay that does not wait).
    bool (*framesUnseen)() = nullptr;
    // Before the screens over the title are drawn into a shown frame.
    void (*beforeShow)(SDL_Surface *picture) = nullptr;
    // Before the live events are polled, once per poll.
    void (*beforePoll)() = nullptr;
    // Once the loop has taken every event of an iteration.
    void (*polled)() = nullptr;
    // After the seed of a game was chosen.
    void (*seeded)() = nullptr;
    // After an iteration's writes: whether the settings were written.
    void (*iterationWritten)(bool settingsWritten) = nullptr;
    // The window's launch choices (scale and fullscreen), after the
    // settings were read.
    void (*chooseWindow)(const Options &options) = nullptr;
    // After the launch choices were applied.
    void (*launched)(const Options &options) = nullptr;
    // When the play loop has ended, after the scores were kept.
    void (*finished)() = nullptr;
};

// Sets the game's hooks to the shell with these parts, and plugs in the
// sound. Harmless to call again.
void InstallShell(const ShellParts &parts);

// The start-up choices for the game: the settings file's (read here), then
// the command line's over them: mute, the window's choices, the fit and the
// first level (a replay's recorded level wins over --level).
void ApplyLaunchOptions(const Options &options);

// ApplyLaunchOptions, then the level set the settings pick.
void ChooseShellLaunch(const Options &options);

// When the play loop has ended: a game left during play enters the scores.
void FinishShell();
