#include "game/pacer.h"

#include "game/seams.h"

namespace {

void EndIteration(bool drewFrame) {
    if (hooks.iterationEnded != nullptr) {
        hooks.iterationEnded(drewFrame);
    }
}

bool NoWaiting() {
    return hooks.noWaiting != nullptr && hooks.noWaiting();
}

} // namespace

Uint32 FramePacer::NextWait(Uint32 now) {
    static const Uint32 kSteps[3] = {16, 17, 17};
    if (!started) {
        started = true;
        deadline = now;
    }
    deadline += kSteps[phase];
    phase = (phase + 1) % 3;
    if ((Sint32)(deadline - now) <= 0) {
        deadline = now;
        return 0;
    }
    return deadline - now;
}

void FramePacer::Wait() {
    EndIteration(true);
    if (NoWaiting()) {
        return;
    }
    Uint32 wait = NextWait(SDL_GetTicks());
    if (wait > 0) {
        SDL_Delay(wait);
    }
}

void IdleNap(Uint32 ms) {
    EndIteration(false);
    if (!NoWaiting()) {
        SDL_Delay(ms);
    }
}
