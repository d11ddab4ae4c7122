#include "game/events.h"

int PollEvent(SDL_Event *event) {
    return SDL_PollEvent(event);
}
