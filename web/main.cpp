// The browser program: the desktop's start-up and loops, with the page as
// window and keyboard. The command line comes from the page (a recording to
// play, --headless --verify for the tests); the data tree is the preloaded
// data/ folder at the root of the browser's file system.
#include <cstdlib>

#include "app/options.h"
#include "game/game.h"
#include "game/seams.h"
#include "replay/replay.h"
#include "web/shell.h"

int main(int argc, char **argv) {
    int status = ParseOptions(argc, argv, options, stdout, stderr);
    if (status >= 0) {
        return status;
    }
    // The page is the window: SDL draws into memory and the shell copies
    // every presented frame to the canvas.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // SDL's audio starts with its dummy driver (a headless replay asks for
    // none): the sound itself goes through the page (web/mixer.c).
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    StartReplays(ReplayChoicesOf(options));
    InstallWebHooks();
    // The page has no settings file, no desktop window and no level files to
    // watch: of the desktop's start-up choices only mute and the first level.
    launch.mute = options.mute;
    const char *recorded = ReplayFirstLevel();
    launch.firstLevel = recorded != nullptr ? recorded : options.level;
    game.Init();
    game.RunTitle();
    game.EnterPlay();
    game.RunPlay();
    FreeFont(font);
    return FinishReplays();
}
