/* SDL 1.2 in the browser: its millisecond clock, and the few parts of SDL
   left out of the build that its remaining code still names. SDL_GetTicks
   counts from the first read, like SDL's own clock counts from SDL_Init;
   SDL_Delay hands the thread back to the browser for the time asked (the
   build is made with Asyncify), so the page draws the frame just presented
   and delivers the keys pressed meanwhile. */
#include <SDL.h>
#include <emscripten.h>

static double startMs = -1.0;

Uint32 SDL_GetTicks(void) {
    double now = emscripten_get_now();
    if (startMs < 0.0) {
        startMs = now;
    }
    return (Uint32)(now - startMs);
}

void SDL_Delay(Uint32 ms) {
    emscripten_sleep(ms);
}

/* SDL's event code drives its timer thread through these: there is none
   (the game sets no SDL timers). */
int SDL_timer_running = 0;
void SDL_ThreadedTimerCheck(void) {}
int SDL_SetTimerThreaded(int value) {
    (void)value;
    return 0;
}
