#pragma once
#include <SDL.h>

// Presents at most 60 frames a second: after a frame is shown, wait until the
// next deadline. Deadlines are 16, 17 and 17 ms apart, exactly 1/60 s over
// three frames without a drifting float. A frame that ran late starts the
// count again from now instead of rushing to catch up.
class FramePacer {
  public:
    // Milliseconds until the next deadline (0 when late), and moves the
    // deadline on. now is SDL's tick count.
    Uint32 NextWait(Uint32 now);
    // Ends a loop iteration that presented a frame: NextWait on the real
    // clock, then SDL_Delay (no wait in a headless replay).
    void Wait();

  private:
    Uint32 deadline = 0;
    int phase = 0;
    bool started = false;
};

// Ends a loop iteration that drew nothing (paused or over): sleeps ms instead
// of spinning (not in a headless replay).
void IdleNap(Uint32 ms);
