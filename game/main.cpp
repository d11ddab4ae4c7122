#include "game/game.h"
#include "game/options.h"
#include "game/replay.h"

int main(int argc, char **argv) {
    int status = ParseOptions(argc, argv, options, stdout, stderr);
    if (status >= 0) {
        return status;
    }
    StartReplays(options);
    game.Init();
    game.RunTitle();
    // The first level is loaded even when the title screen was left without
    // Start; the play loop then ends at once.
    game.EnterPlay();
    game.RunPlay();
    FreeFont(font);
    return 0;
}
