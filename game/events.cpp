#include "game/events.h"

#include "game/seams.h"

int PollEvent(SDL_Event *event) {
    return hooks.pollEvent != nullptr ? hooks.pollEvent(event) : SDL_PollEvent(event);
}
