/* The desktop game's numbers in the browser. The rules draw from rand() and
   the enemies' wave uses cos(); Emscripten's C library gives a different
   rand() sequence, so a recorded game would end differently. Linked into the
   browser build only, these give what the desktop's C library gives:
   - rand()/srand(): the additive feedback generator of the GNU C library's
     default state (31 words, taps 3 and 31, seeded by the minimal standard
     generator and run 310 steps before the first draw).
   Emscripten's own cos() is kept: it is at most one unit in the last place
   from the desktop's for every argument the wave gives it, and no wave
   height changes within two (web/check_numbers.sh checks both).
   And faster than Emscripten's, with the same results: sscanf and vsnprintf
   for plain formats, and block copies and fills. */
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "fast_stdio.h"

#define kDegree 31
#define kSeparation 3

static int32_t table[kDegree];
static int front = kSeparation;
static int rear = 0;
static int seeded = 0;

static int32_t NextRandom(void) {
    uint32_t value = (uint32_t)table[front] + (uint32_t)table[rear];
    table[front] = (int32_t)value;
    front = front + 1 == kDegree ? 0 : front + 1;
    rear = rear + 1 == kDegree ? 0 : rear + 1;
    return (int32_t)(value >> 1);
}

void srand(unsigned int seed) {
    int32_t word = (int32_t)(seed == 0 ? 1 : seed);
    table[0] = word;
    for (int i = 1; i < kDegree; ++i) {
        int32_t hi = word / 127773;
        int32_t lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0) {
            word += 2147483647;
        }
        table[i] = word;
    }
    front = kSeparation;
    rear = 0;
    seeded = 1;
    for (int i = 0; i < kDegree * 10; ++i) {
        NextRandom();
    }
}

int rand(void) {
    if (!seeded) {
        srand(1);
    }
    return NextRandom();
}

/* The browser build links no shared libraries: a symbol looked up at run
   time (the desktop's MIDI player quietens its warnings that way) is never
   there. */
void *dlsym(void *restrict handle, const char *restrict name) {
    (void)handle, (void)name;
    return NULL;
}

/* Block copies and fills as the engine's own instructions (the build has
   bulk memory). Emscripten's C library copies a block of 512 bytes or more
   by calling out to JavaScript, and fills a block a word at a time in code
   the engine runs unoptimised at first: SDL's surface copies and clears and
   the allocator's calloc make either dear. Overlapping blocks copy as
   memmove does, which memcpy is free to do. Only where the compiler makes
   the engine's instructions of them: without bulk memory these would call
   themselves. */
#if defined(__wasm_bulk_memory__)
void *memcpy(void *restrict dest, const void *restrict src, size_t n) {
    __builtin_memmove(dest, src, n);
    return dest;
}

void *memmove(void *dest, const void *src, size_t n) {
    __builtin_memmove(dest, src, n);
    return dest;
}

void *memset(void *dest, int c, size_t n) {
    __builtin_memset(dest, c, n);
    return dest;
}
#endif

/* The data files' sscanf and the game's lines' vsnprintf, read and written
   by fast_stdio.c where the format is plain, by the C library's own
   otherwise. The link wraps both names (web/cmake/flags.cmake): every call
   of sscanf or vsnprintf, the C library's snprintf's too, comes here, and
   __real_vsnprintf is the C library's. */
int __real_vsnprintf(char *text, size_t size, const char *format, va_list args);

int __wrap_vsnprintf(char *text, size_t size, const char *format, va_list args) {
    return FastOrLibraryFormat(text, size, format, args, __real_vsnprintf);
}

int __wrap_sscanf(const char *text, const char *format, ...) {
    va_list args;
    va_start(args, format);
    int result = FastOrLibraryScan(text, format, args);
    va_end(args);
    return result;
}
