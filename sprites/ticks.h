#pragma once
// The one place game code reads the millisecond clock. Tests replace the
// clock with a fake time so that animation, timers and the frame step can be
// stepped without sleeping.
#include <SDL.h>

Uint32 GetTicks();
void SetFakeTicks(Uint32 ms); // from now on GetTicks() returns ms
void ClearFakeTicks();        // back to SDL_GetTicks()

// A replay's clock: GetTicks() returns what source returns (unless a fake
// time is set). Null goes back to SDL_GetTicks().
using TicksSource = Uint32 (*)();
void SetTicksSource(TicksSource source);
