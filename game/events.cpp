#include "game/events.h"

#include "game/input.h"
#include "game/replay.h"

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

} // namespace

int PollEvent(SDL_Event *event) {
    return ReplayPollEvent(event, PollLiveEvent);
}
