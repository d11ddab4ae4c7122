#include "app/data_folder.h"
#include "app/game_scores.h"
#include "app/options.h"
#include "app/scores.h"
#include "app/sdl_library.h"
#include "app/shell.h"
#include "game/game.h"
#include "game/seams.h"
#include "replay/replay.h"

int main(int argc, char **argv) {
    int status = ParseOptions(argc, argv, options, stdout, stderr);
    if (status >= 0) {
        return status;
    }
    if (options.scores) {
        return PrintScores(ScoresFolder(options.scoresDir), stdout, stderr);
    }
    if (options.verifyScores) {
        return VerifyScores(ScoresFolder(options.scoresDir), "/proc/self/exe", options.dataDir,
                            stdout, stderr);
    }
    // The recording named on the command line is read from the folder the
    // game starts in; the levels it names are read from the data folder.
    StartReplays(ReplayChoicesOf(options));
    StartScoreKeeping(options);
    status = EnterDataFolder(options, stderr);
    if (status >= 0) {
        return status;
    }
    InstallDesktopHooks();
    ApplyLaunchOptions(options);
    ChooseCheapPresentation(launch.fullscreen);
    game.Init();
    game.RunTitle();
    // The first level is loaded even when the title screen was left without
    // Start; the play loop then ends at once.
    game.EnterPlay();
    game.RunPlay();
    EndScoreKeeping();
    FreeFont(font);
    return FinishReplays();
}
