/* Preloaded into the game by the end-to-end tests (LD_PRELOAD) to keep its
 * window on screen for a moment after the game has decided to end.
 *
 * The game registers SDL_Quit to run at process exit; SDL_Quit closes the
 * window, and with it the last frame the player saw. This SDL_Quit first
 * creates the file named by E2E_QUIT_MARK, waits until the test has removed
 * it (at most E2E_QUIT_HOLD_MS, default 10000 ms), then calls SDL's own.
 * The exit status is already decided when it runs. Without E2E_QUIT_MARK it
 * passes straight through.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

void SDL_Quit(void) {
    static int held = 0; /* SDL_Quit may run more than once; hold the first */
    const char *mark = getenv("E2E_QUIT_MARK");
    if (!held && mark != NULL && mark[0] != '\0') {
        held = 1;
        long holdMs = 10000;
        const char *hold = getenv("E2E_QUIT_HOLD_MS");
        if (hold != NULL) {
            holdMs = strtol(hold, NULL, 10);
        }
        FILE *file = fopen(mark, "w");
        if (file != NULL) {
            fputs("quitting\n", file);
            fclose(file);
            struct timespec nap = {0, 10 * 1000 * 1000};
            for (long waited = 0; waited < holdMs && access(mark, F_OK) == 0; waited += 10) {
                nanosleep(&nap, NULL);
            }
        }
    }
    void (*sdlQuit)(void) = (void (*)(void))dlsym(RTLD_NEXT, "SDL_Quit");
    if (sdlQuit != NULL) {
        sdlQuit();
    }
}
