/* Prints fingerprints of rand(), cos(), sscanf and snprintf over many
   inputs, one line per group, so that the desktop's C library and the
   browser build's can be compared line by line (web/check_numbers.sh). A line
   holds the group, the count of values and an FNV-1a hash of their bytes. */
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

/* The next of a made-up sequence: the lines below are the same on both
   sides whatever rand() gives. */
static uint32_t Next(uint32_t *state) {
    *state ^= *state << 13;
    *state ^= *state >> 17;
    *state ^= *state << 5;
    return *state;
}

/* The data files' lines read with sscanf: made-up lines of the pieces data
   files hold (names, keys whole and broken, numbers with and without signs,
   of up to 11 digits, blanks of every kind), each read with every format the
   game reads its files with. Hashed: the count sscanf returns, the numbers
   stored and the name read. Lines with a number past a long's 18 digits are
   left out: where a number overflows even a long, C libraries differ, and
   the browser's is emscripten's own. */
static void Scan(int count) {
    static const char *const pieces[] = {
        "a.bmp",
        "LEVEL:",
        "LEVEL",
        ":",
        "ENEMY",
        "2:",
        "ENEMY 2:",
        "FILES:",
        "BOSS:",
        "12",
        "-7",
        "+3",
        "0010",
        "-0",
        "2147483647",
        "-2147483648",
        "1234567890",
        "99999999999",
        "-",
        "+-5",
        "12abc",
        "x",
        "\xc3\xa9",
        "\x01",
        "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn"
        "nn"
        "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn"
        "nnn"
        "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn"};
    static const char *const blanks[] = {" ", "  ", "\t", "\n", "\v", "\f", "\r", ""};
    static const char *const formats[] = {"%254s %d %d %d %d", "FILES: %d",         "LEVEL: %d",
                                          "BOSS: %254s",       "ENEMY 2: %d %d %d", "%d"};
    uint32_t state = 2463534242u;
    uint32_t hash = 2166136261u;
    for (int i = 0; i < count; ++i) {
        char line[1024] = "";
        int parts = (int)(Next(&state) % 8);
        for (int p = 0; p < parts; ++p) {
            strcat(line, blanks[Next(&state) % (sizeof blanks / sizeof *blanks)]);
            strcat(line, pieces[Next(&state) % (sizeof pieces / sizeof *pieces)]);
        }
        size_t digits = 0;
        size_t longest = 0;
        for (const char *c = line; *c != '\0'; ++c) {
            digits = *c >= '0' && *c <= '9' ? digits + 1 : 0;
            longest = digits > longest ? digits : longest;
        }
        if (longest > 18) {
            continue;
        }
        for (size_t f = 0; f < sizeof formats / sizeof *formats; ++f) {
            char name[256] = "old";
            int v[4] = {7, 8, 9, 10};
            int n;
            if (formats[f][0] == '%' && formats[f][1] == '2') {
                n = sscanf(line, formats[f], name, &v[0], &v[1], &v[2], &v[3]);
            } else if (strstr(formats[f], "%254s") != NULL) {
                n = sscanf(line, formats[f], name);
            } else {
                n = sscanf(line, formats[f], &v[0], &v[1], &v[2]);
            }
            hash = Hash(&n, sizeof n, hash);
            hash = Hash(v, sizeof v, hash);
            hash = Hash(name, strlen(name), hash);
        }
    }
    printf("sscanf: %d lines %08x\n", count, hash);
}

/* The game's lines written with snprintf: numbers and words as the game
   writes them, into buffers of every size up to past the line's end. Hashed:
   the count snprintf returns and the whole buffer. */
static void Format(int count) {
    static const char *const formats[] = {"Quarndel: %d", "Lives: %d", "%d", "%d.", "%s/%s", "%s"};
    static const char *const words[] = {"data", "level_1", "", "a longer word than the rest"};
    static const int numbers[] = {0, 7, -7, 60, 2147483647, -2147483647 - 1};
    uint32_t state = 88675123u;
    uint32_t hash = 2166136261u;
    for (int i = 0; i < count; ++i) {
        const char *format = formats[Next(&state) % (sizeof formats / sizeof *formats)];
        size_t size = Next(&state) % 40;
        char text[40];
        memset(text, '#', sizeof text);
        int n;
        if (strstr(format, "%s") != NULL) {
            const char *a = words[Next(&state) % (sizeof words / sizeof *words)];
            const char *b = words[Next(&state) % (sizeof words / sizeof *words)];
            n = snprintf(text, size, format, a, b);
        } else {
            int value = Next(&state) % 2 == 0
                            ? (int)Next(&state)
                            : numbers[Next(&state) % (sizeof numbers / sizeof *numbers)];
            n = snprintf(text, size, format, value);
        }
        hash = Hash(&n, sizeof n, hash);
        hash = Hash(text, sizeof text, hash);
    }
    printf("snprintf: %d lines %08x\n", count, hash);
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
    Scan(quick ? 20000 : 1000000);
    Format(quick ? 20000 : 1000000);
    fprintf(stderr, "%ld\n", sensitive);
    if (dump != NULL) {
        fclose(dump);
    }
    return 0;
}
