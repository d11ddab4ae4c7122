#include "game/pacer.h"

#include "game/replay.h"

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
    EndReplayIteration(true);
    if (ReplayWithoutWaiting()) {
        return;
    }
    Uint32 wait = NextWait(SDL_GetTicks());
    if (wait > 0) {
        SDL_Delay(wait);
    }
}

void IdleNap(Uint32 ms) {
    EndReplayIteration(false);
    if (!ReplayWithoutWaiting()) {
        SDL_Delay(ms);
    }
}
