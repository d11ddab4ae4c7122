#include "sprites/ticks.h"

namespace {
bool fakeTicksSet = false;
Uint32 fakeTicks = 0;
TicksSource ticksSource = nullptr;
} // namespace

Uint32 GetTicks() {
    if (fakeTicksSet) {
        return fakeTicks;
    }
    return ticksSource != nullptr ? ticksSource() : SDL_GetTicks();
}

void SetTicksSource(TicksSource source) {
    ticksSource = source;
}

void SetFakeTicks(Uint32 ms) {
    fakeTicksSet = true;
    fakeTicks = ms;
}

void ClearFakeTicks() {
    fakeTicksSet = false;
}
