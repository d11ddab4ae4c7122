/* Prints fingerprints of rand() and cos() over many inputs, one line per
   group, so that the desktop's C library and the browser build's can be
   compared line by line (web/check_numbers.sh). A line holds the group, the
   count of values and an FNV-1a hash of their bytes. */
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static uint32_t Hash(const void *data, size_t size, uint32_t hash) {
    const unsigned char *bytes = data;
    for (size_t i = 0; i < size; ++i) {
        hash = (hash ^ bytes[i]) * 16777619u;
    }
    return hash;
}

static void Rand(unsigned int seed, int count) {
    srand(seed);
    uint32_t hash = 2166136261u;
    for (int i = 0; i < count; ++i) {
        int value = rand();
        hash = Hash(&value, sizeof value, hash);
    }
    printf("rand seed %u: %d values %08x\n", seed, count, hash);
}

/* The enemies' wave: y = cos((x + phase) * degrees to radians) * 100 + 230,
   with x + phase a float and y stored as a float. Every float argument the
   game can give (x from about -60 to 640, phase 1 to 300) is covered: each
   binade from 2^-10 to 64 below zero and to 1024 above, every stride-th
   float of it. Closer to zero the wave is 330 whatever the last bit of cos.
   The cos results go to dump (when given), for comparing them bit by bit;
   sensitive counts the arguments whose height would change if cos were two
   units in the last place off. */
static void Wave(int stride, FILE *dump, long *sensitive) {
    uint32_t hash = 2166136261u;
    long count = 0;
    *sensitive = 0;
    for (int sign = -1; sign <= 1; sign += 2) {
        int top = sign < 0 ? 6 : 10;
        for (int e = -10; e < top; ++e) {
            for (uint32_t m = 0; m < (1u << 23); m += (uint32_t)stride) {
                float f = ldexpf(1.0f + (float)m / 8388608.0f, e) * (float)sign;
                double c = cos(f * 0.0174532925);
                float y = (float)(c * 100.0 + 230.0);
                hash = Hash(&y, sizeof y, hash);
                ++count;
                if (dump != NULL) {
                    fwrite(&c, sizeof c, 1, dump);
                }
                double up = nextafter(nextafter(c, 2.0), 2.0);
                double down = nextafter(nextafter(c, -2.0), -2.0);
                if ((float)(up * 100.0 + 230.0) != y || (float)(down * 100.0 + 230.0) != y) {
                    ++*sensitive;
                }
            }
        }
    }
    printf("wave every %d floats: %ld values %08x\n", stride, count, hash);
}

/* check_numbers --quick|--full [DUMP]: the fingerprints on standard output;
   the wave's cos results into DUMP; on standard error how many wave heights
   a cos two units in the last place off would change. */
int main(int argc, char **argv) {
    int quick = argc > 1 && strcmp(argv[1], "--quick") == 0;
    FILE *dump = argc > 2 ? fopen(argv[2], "wb") : NULL;
    long sensitive = 0;
    Rand(0, 100000);
    Rand(1, 100000);
    Rand(1765105211u, 1000000);
    Rand(2147483648u, 100000);
    Rand(4294967295u, 100000);
    Wave(quick ? 61 : 1, dump, &sensitive);
    fprintf(stderr, "%ld\n", sensitive);
    if (dump != NULL) {
        fclose(dump);
    }
    return 0;
}
