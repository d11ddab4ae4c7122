#include "game/events.h"

#include "game/input.h"

int PollEvent(SDL_Event *event) {
    int got = SDL_PollEvent(event);
    if (got != 0) {
        TranslateInput(event);
    }
    return got;
}
