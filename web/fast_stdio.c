#include "fast_stdio.h"

#include <limits.h>
#include <stdio.h>

/* The blanks scanf passes over in the "C" locale the game runs in. */
static int IsScanBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

static int IsDigit(char c) {
    return c >= '0' && c <= '9';
}

/* %Ns: at most width characters up to a blank, into out; where it ends. */
static const char *ScanWord(const char *p, int width, char *out) {
    int n = 0;
    while (n < width && p[n] != '\0' && !IsScanBlank(p[n])) {
        out[n] = p[n];
        ++n;
    }
    out[n] = '\0';
    return p + n;
}

/* %d at *p: 1 stored in out and *p past it, 0 no number there (a matching
   failure), -1 ten digits or more, left to the C library's own reading. */
static int ScanNumber(const char **at, int *out) {
    const char *p = *at;
    int negative = *p == '-';
    int sign = *p == '-' || *p == '+' ? 1 : 0;
    int digits = 0;
    int value = 0;
    while (IsDigit(p[sign + digits])) {
        if (++digits == 10) {
            return -1;
        }
        value = value * 10 + (p[sign + digits - 1] - '0');
    }
    if (digits == 0) {
        return 0;
    }
    *out = negative ? -value : value;
    *at = p + sign + digits;
    return 1;
}

int FastScan(const char *text, const char *format, va_list args, int *result) {
    const char *p = text;
    const char *f = format;
    int stored = 0;
    /* The end of the text before a directive is satisfied is an input
       failure: EOF when nothing was stored yet. */
    const int atEnd = -1;
    while (*f != '\0') {
        if (IsScanBlank(*f)) {
            while (IsScanBlank(*f)) {
                ++f;
            }
            while (IsScanBlank(*p)) {
                ++p;
            }
            continue;
        }
        if (*f != '%') {
            if (*p == '\0') {
                *result = stored == 0 ? atEnd : stored;
                return 1;
            }
            if (*p != *f) {
                *result = stored;
                return 1;
            }
            ++p;
            ++f;
            continue;
        }
        ++f;
        int width = 0;
        while (IsDigit(*f)) {
            width = width * 10 + (*f - '0');
            ++f;
        }
        char conversion = *f++;
        if ((conversion != 's' || width == 0) && (conversion != 'd' || width != 0)) {
            return 0;
        }
        while (IsScanBlank(*p)) {
            ++p;
        }
        if (*p == '\0') {
            *result = stored == 0 ? atEnd : stored;
            return 1;
        }
        if (conversion == 's') {
            p = ScanWord(p, width, va_arg(args, char *));
            ++stored;
            continue;
        }
        int got = ScanNumber(&p, va_arg(args, int *));
        if (got < 0) {
            return 0;
        }
        if (got == 0) {
            *result = stored;
            return 1;
        }
        ++stored;
    }
    *result = stored;
    return 1;
}

int FastFormat(char *text, size_t size, const char *format, va_list args, int *result) {
    if (size > INT_MAX) {
        return 0;
    }
    /* The characters of the whole line, of which the first size - 1 are
       written. */
    size_t n = 0;
    size_t room = size > 0 ? size - 1 : 0;
    for (const char *f = format; *f != '\0'; ++f) {
        if (*f != '%') {
            if (n < room) {
                text[n] = *f;
            }
            ++n;
            continue;
        }
        ++f;
        if (*f == 's') {
            const char *s = va_arg(args, const char *);
            if (s == NULL) {
                return 0;
            }
            for (; *s != '\0'; ++s, ++n) {
                if (n < room) {
                    text[n] = *s;
                }
            }
            continue;
        }
        if (*f != 'd') {
            return 0;
        }
        int value = va_arg(args, int);
        /* Digits from the lowest up, in unsigned so that INT_MIN has its
           own. */
        unsigned magnitude = value < 0 ? 0u - (unsigned)value : (unsigned)value;
        char digits[12];
        int count = 0;
        do {
            digits[count++] = (char)('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0) {
            digits[count++] = '-';
        }
        for (; count > 0; ++n) {
            --count;
            if (n < room) {
                text[n] = digits[count];
            }
        }
    }
    if (size > 0) {
        text[n < room ? n : room] = '\0';
    }
    if (n > INT_MAX) {
        return 0;
    }
    *result = (int)n;
    return 1;
}

int FastOrLibraryScan(const char *text, const char *format, va_list args) {
    va_list again;
    va_copy(again, args);
    int result = 0;
    if (!FastScan(text, format, args, &result)) {
        result = vsscanf(text, format, again);
    }
    va_end(again);
    return result;
}

int FastOrLibraryFormat(char *text, size_t size, const char *format, va_list args,
                        int (*library)(char *, size_t, const char *, va_list)) {
    va_list again;
    va_copy(again, args);
    int result = 0;
    if (!FastFormat(text, size, format, args, &result)) {
        result = library(text, size, format, again);
    }
    va_end(again);
    return result;
}
