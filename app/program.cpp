#include "app/program.h"

#include "game/game.h"
#include "game/seams.h"
#include "replay/replay.h"

int RunProgram(int argc, char **argv, const ProgramSteps &steps) {
    int status = StartProgram(argc, argv, steps);
    if (status >= 0) {
        return status;
    }
    game.RunTitle();
    // The first level is loaded even when the title screen was left without
    // Start; the play loop then ends at once.
    game.EnterPlay();
    game.RunPlay();
    return FinishProgram(steps);
}

int StartProgram(int argc, char **argv, const ProgramSteps &steps) {
    int status = ParseOptions(argc, argv, options, stdout, stderr);
    if (status >= 0) {
        return status;
    }
    if (steps.command != nullptr && (status = steps.command(options)) >= 0) {
        return status;
    }
    // The recording named on the command line is read from the folder the
    // program starts in; the levels it names are read from the data folder.
    StartReplays(ReplayChoicesOf(options));
    if (steps.prepare != nullptr && (status = steps.prepare(options)) >= 0) {
        return status;
    }
    if (steps.installHooks != nullptr) {
        steps.installHooks();
    }
    if (steps.chooseLaunch != nullptr) {
        steps.chooseLaunch(options);
    }
    game.Init();
    return -1;
}

int FinishProgram(const ProgramSteps &steps) {
    if (steps.finish != nullptr) {
        steps.finish();
    }
    FreeFont(font);
    return FinishReplays();
}

const char *LaunchFirstLevel(const Options &options) {
    const char *recorded = ReplayFirstLevel();
    return recorded != nullptr ? recorded : options.level;
}
