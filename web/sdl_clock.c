/* SDL 1.2 in the browser: its millisecond clock, and the few parts of SDL
   left out of the build that its remaining code still names. SDL_GetTicks
   counts from the first read, like SDL's own clock counts from SDL_Init.
   The browser runs the game's loops (web/main.cpp): SDL_Delay notes the time
   asked, and the next iteration is called that much later, so the page draws
   the frame just presented and delivers the keys pressed meanwhile. */
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

static Uint32 delayMs = 0;

void SDL_Delay(Uint32 ms) {
    delayMs += ms;
}

unsigned WebTakeDelay(void) {
    Uint32 ms = delayMs;
    delayMs = 0;
    return ms;
}

/* SDL's event code drives its timer thread through these: there is none
   (the game sets no SDL timers). */
int SDL_timer_running = 0;
void SDL_ThreadedTimerCheck(void) {}
int SDL_SetTimerThreaded(int value) {
    (void)value;
    return 0;
}
