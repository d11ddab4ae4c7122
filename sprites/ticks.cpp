#include "sprites/ticks.h"

namespace {
bool fakeTicksSet = false;
Uint32 fakeTicks = 0;
} // namespace

Uint32 GetTicks() {
    return fakeTicksSet ? fakeTicks : SDL_GetTicks();
}

void SetFakeTicks(Uint32 ms) {
    fakeTicksSet = true;
    fakeTicks = ms;
}

void ClearFakeTicks() {
    fakeTicksSet = false;
}
