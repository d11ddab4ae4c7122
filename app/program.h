#pragma once
// The one start-up sequence of both programs, the desktop's (app/main.cpp)
// and the browser's (web/main.cpp): the command line, the replays, the hooks,
// the launch choices and the game from the title screen to its end. Where
// the two differ they hand in steps of their own.
#include "app/options.h"

struct ProgramSteps {
    // Commands that end the program before anything starts (the desktop's
    // --scores and --verify-scores): the exit status, or -1 to go on.
    int (*command)(const Options &options) = nullptr;
    // Once the replays have started: the program's own preparations (the
    // desktop's score keeping and data folder, the browser's SDL drivers):
    // the exit status, or -1 to go on.
    int (*prepare)(Options &options) = nullptr;
    // Sets the game's hooks to the program's.
    void (*installHooks)() = nullptr;
    // The start-up choices for the game (LaunchChoices).
    void (*chooseLaunch)(const Options &options) = nullptr;
    // The play loop has ended; the replays finish after this.
    void (*finish)() = nullptr;
};

// Runs the program: returns the status it exits with.
int RunProgram(int argc, char **argv, const ProgramSteps &steps);

// RunProgram in two parts, for a program whose loop is the browser's: the
// start, up to the game's start-up (the exit status when the program ends
// there, else -1), and the end once the play loop has ended (the exit
// status). Between them the caller runs the title and play loops.
int StartProgram(int argc, char **argv, const ProgramSteps &steps);
int FinishProgram(const ProgramSteps &steps);

// The level folder play starts at: a replay's recorded level wins over
// --level, which wins over the documented first level (null).
const char *LaunchFirstLevel(const Options &options);
