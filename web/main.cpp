// The browser program: the desktop's start-up sequence (app/program.h) and
// loops, with the page as window and keyboard. The command line comes from
// the page (a recording to play, --headless --verify for the tests); the data
// tree is the preloaded data/ folder at the root of the browser's file system.
#include <cstdlib>

#include "app/program.h"
#include "game/seams.h"
#include "web/shell.h"

namespace {

int PrepareBrowser(Options &) {
    // The page is the window: SDL draws into memory and the shell copies
    // every presented frame to the canvas.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // SDL's audio starts with its dummy driver (a headless replay asks for
    // none): the sound itself goes through the page (web/mixer.c).
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return -1;
}

// The page has no settings file, no desktop window and no level files to
// watch: of the desktop's start-up choices only mute and the first level.
void ChooseWebLaunch(const Options &options) {
    launch.mute = options.mute;
    launch.firstLevel = LaunchFirstLevel(options);
}

} // namespace

int main(int argc, char **argv) {
    ProgramSteps steps;
    steps.prepare = PrepareBrowser;
    steps.installHooks = InstallWebHooks;
    steps.chooseLaunch = ChooseWebLaunch;
    return RunProgram(argc, argv, steps);
}
