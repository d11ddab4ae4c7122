// The desktop program: the one start-up sequence (app/program.h) with the
// score table's commands, the data folder and the window.
#include "app/program.h"
#include "app/shell.h"
#include "app/verify_scores.h"
#include "files/score_keeping.h"
#include "files/scores.h"
#include "game/seams.h"
#include "levelsets/data_folder.h"
#include "levelsets/level_sets.h"
#include "window/sdl_library.h"

namespace {

int RunScoreCommand(const Options &options) {
    if (options.installLevels != nullptr) {
        return InstallLevelPack(options.installLevels, options, stderr);
    }
    if (options.scores) {
        return PrintScores(ScoresFolder(options.scoresDir), stdout, stderr);
    }
    if (options.verifyScores) {
        return VerifyScores(ScoresFolder(options.scoresDir), "/proc/self/exe", options.dataDir,
                            stdout, stderr);
    }
    return -1;
}

int PrepareDesktop(Options &options) {
    StartScoreKeeping(options);
    int status = EnterDataFolder(options, stderr);
    return status >= 0 ? status : PrepareLevelSet(options, stderr);
}

void ChooseDesktopLaunch(const Options &options) {
    ChooseShellLaunch(options);
    ChooseCheapPresentation(launch.fullscreen);
}

} // namespace

int main(int argc, char **argv) {
    ProgramSteps steps;
    steps.command = RunScoreCommand;
    steps.prepare = PrepareDesktop;
    steps.installHooks = InstallDesktopHooks;
    steps.chooseLaunch = ChooseDesktopLaunch;
    steps.finish = FinishShell;
    return RunProgram(argc, argv, steps);
}
