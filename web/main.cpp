// The browser program: the desktop's start-up sequence (app/program.h) and
// loops, with the page as window and keyboard. The command line comes from
// the page (a recording to play, --headless --verify for the tests); the data
// tree is the preloaded data/ folder at the root of the browser's file system.
//
// The browser runs the loops: main starts the game and returns, and a timer
// calls the next go of the title or play loop when the pacer's wait is over
// (SDL_Delay only notes the wait, web/sdl_clock.c). Each go is a call of its
// own, so the browser's engine optimises the loop body once it is hot; a
// loop that never returned would run unoptimised for the whole game.
#include <emscripten.h>
#include <emscripten/eventloop.h>

#include <cstdlib>

#include "app/loop_shell.h"
#include "app/program.h"
#include "files/score_keeping.h"
#include "game/game.h"
#include "game/pacer.h"
#include "game/seams.h"
#include "levelsets/level_sets.h"
#include "web/shell.h"

namespace {

// A replay that does not wait plays this long per go, then lets the page
// draw and take its events.
constexpr double kBatchMs = 100.0;
// Such a go reads the clock once every so many iterations: reading it is a
// call out to the browser that costs about as much as a light iteration.
constexpr int kIterationsPerClockRead = 32;

ProgramSteps steps;
bool playing = false; // the title loop is over, the play loop runs
FramePacer titlePacer;
FramePacer playPacer;

int PrepareBrowser(Options &options) {
    // The scores and settings folders are the desktop's, under the browser
    // file system's home, which the page keeps in the browser's storage.
    StartScoreKeeping(options);
    // The page is the window: SDL draws into memory and the shell copies
    // every presented frame to the canvas.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // SDL's audio starts with its dummy driver (a headless replay asks for
    // none): the sound itself goes through the page (web/mixer.c).
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // A recording that names a level set needs it installed.
    return PrepareLevelSet(options, stderr);
}

// One iteration of the loops RunProgram runs: the title loop while the title
// runs, then the first level and the play loop. False once the play loop has
// ended.
bool Iterate() {
    if (!playing) {
        if (game.titleRunning == 1) {
            game.TitleIteration(titlePacer);
            return true;
        }
        game.EndTitle();
        // The first level is loaded even when the title screen was left
        // without Start; the play loop then ends at once.
        game.EnterPlay();
        playing = true;
    }
    if (game.quit == 0) {
        game.PlayIteration(playPacer);
        return true;
    }
    return false;
}

void Go(void *) {
    bool noWaiting = hooks.noWaiting != nullptr && hooks.noWaiting();
    double started = emscripten_get_now();
    int played = 0;
    do {
        if (!Iterate()) {
            exit(FinishProgram(steps));
        }
    } while (noWaiting && (++played % kIterationsPerClockRead != 0 ||
                           emscripten_get_now() - started < kBatchMs));
    emscripten_set_timeout(Go, WebTakeDelay(), nullptr);
}

} // namespace

int main(int argc, char **argv) {
    steps.prepare = PrepareBrowser;
    steps.installHooks = InstallWebHooks;
    // The settings file (kept by the page) and the command line, as on the
    // desktop, with the level set picked; the page has no desktop window and
    // no level files to watch.
    steps.chooseLaunch = ChooseShellLaunch;
    steps.finish = FinishShell;
    int status = StartProgram(argc, argv, steps);
    if (status >= 0) {
        return status;
    }
    game.BeginTitle();
    emscripten_set_timeout(Go, 0, nullptr);
    return 0; // the timer keeps the game running
}
