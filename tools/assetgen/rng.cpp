#include "rng.h"

#include <cmath>

namespace {

uint32_t HashCell(int x, int y, uint32_t seed) {
    uint32_t h = seed * 0x27d4eb2du;
    h ^= static_cast<uint32_t>(x) * 0x85ebca6bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xc2b2ae35u;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

// Dot product of the cell corner's pseudo-random unit gradient with the offset.
float Corner(int cx, int cy, float dx, float dy, uint32_t seed) {
    float angle = static_cast<float>(HashCell(cx, cy, seed) & 0xffff) * (6.2831853f / 65536.0f);
    return std::cos(angle) * dx + std::sin(angle) * dy;
}

float Fade(float t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

} // namespace

float PeriodicNoise(float x, float y, int period, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    float dx = x - fx, dy = y - fy;
    auto wrap = [period](int v) { return ((v % period) + period) % period; };
    int x0 = wrap(ix), x1 = wrap(ix + 1);
    float n00 = Corner(x0, iy, dx, dy, seed);
    float n10 = Corner(x1, iy, dx - 1, dy, seed);
    float n01 = Corner(x0, iy + 1, dx, dy - 1, seed);
    float n11 = Corner(x1, iy + 1, dx - 1, dy - 1, seed);
    float u = Fade(dx), v = Fade(dy);
    float top = n00 + (n10 - n00) * u, bottom = n01 + (n11 - n01) * u;
    return (top + (bottom - top) * v) * 1.41421356f;
}

float Fbm(float x, float y, int wrapWidth, int cells, int octaves, uint32_t seed) {
    float sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; o++) {
        float scale = static_cast<float>(cells) / wrapWidth;
        sum += amp * PeriodicNoise(x * scale, y * scale, cells, seed + 101u * o);
        norm += amp;
        amp *= 0.5f;
        cells *= 2;
    }
    return sum / norm;
}
