#pragma once
#include <SDL.h>

// Truncates toward zero; values beyond the int range are pinned first so the
// conversion is always defined.
inline int TruncToInt(double v) {
    if (!(v > -2147483648.0)) {
        return -2147483647 - 1;
    }
    if (v > 2147483647.0) {
        return 2147483647;
    }
    return (int)v;
}

// A float position becomes an SDL rectangle coordinate by truncation toward
// zero to a 16-bit signed value.
inline Sint16 ToRectCoord(double v) {
    return (Sint16)TruncToInt(v);
}
