#include "app/shell.h"

#include "app/input.h"
#include "app/watch.h"
#include "app/watch_overlay.h"
#include "game/seams.h"
#include "replay/replay.h"

namespace {

// The window's own events: the keyboard, the gamepad turned into the keys it
// stands for, and the window's closing. Mute and fullscreen act here, so
// they also work while a replay plays.
int PollLiveEvent(SDL_Event *event) {
    int got = SDL_PollEvent(event);
    if (got != 0) {
        TranslateInput(event);
    }
    return got;
}

// What the loops take: the live events, recorded or replaced by a recording.
// Once the loop has taken every event of an iteration, --watch looks for
// changed level files.
int PollShellEvent(SDL_Event *event) {
    int got = ReplayPollEvent(event, PollLiveEvent);
    if (got == 0) {
        PollLevelWatch();
    }
    return got;
}

// With --watch: what the reload found, over the frame, then the frame.
void PresentWatchedFrame(SDL_Surface *frame) {
    DrawWatchOverlay(frame);
    SDL_Flip(frame);
}

} // namespace

void InstallDesktopHooks() {
    hooks.pollEvent = PollShellEvent;
    hooks.seed = ReplaySeed;
    hooks.iterationEnded = EndReplayIteration;
    hooks.noWaiting = ReplayWithoutWaiting;
    hooks.openInput = OpenGamepad;
}

void ApplyLaunchOptions(const Options &options) {
    launch.fullscreen = options.fullscreen;
    launch.mute = options.mute;
    const char *recorded = ReplayFirstLevel();
    launch.firstLevel = recorded != nullptr ? recorded : options.level;
    if (options.watch && StartLevelWatch()) {
        hooks.present = PresentWatchedFrame;
    }
}
