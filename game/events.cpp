#include "game/events.h"

#include "game/replay.h"

namespace {

// The window's own events: the keyboard and the window's closing.
int PollLiveEvent(SDL_Event *event) {
    return SDL_PollEvent(event);
}

} // namespace

int PollEvent(SDL_Event *event) {
    return ReplayPollEvent(event, PollLiveEvent);
}
