#include "game/data_folder.h"
#include "game/game.h"
#include "game/options.h"
#include "game/replay.h"

int main(int argc, char **argv) {
    int status = ParseOptions(argc, argv, options, stdout, stderr);
    if (status >= 0) {
        return status;
    }
    // A replay's files are named relative to the folder the game starts in.
    StartReplays(options);
    status = EnterDataFolder(options, stderr);
    if (status >= 0) {
        return status;
    }
    game.Init();
    game.RunTitle();
    // The first level is loaded even when the title screen was left without
    // Start; the play loop then ends at once.
    game.EnterPlay();
    game.RunPlay();
    FreeFont(font);
    return 0;
}
