#include "space.h"

#include <algorithm>
#include <cmath>

void SkyGradient(Picture &pic, Color top, Color middle, Color bottom) {
    for (int y = 0; y < pic.h; y++) {
        float t = (y + 0.5f) / pic.h;
        Color c = Ramp({top, middle, bottom}, t);
        for (int x = 0; x < pic.w; x++) {
            pic.Over(x, y, c, 1);
        }
    }
}

void Nebula(Picture &pic, const NebulaStyle &s) {
    for (int y = 0; y < pic.h; y++) {
        float band = (y - s.centreY) / s.spread;
        band = std::exp(-band * band);
        for (int x = 0; x < pic.w; x++) {
            // Warp the clouds by a second noise so they curl instead of blobbing.
            float wx = Fbm(x, y, kWrap, s.cells * 2, 3, s.seed + 11);
            float wy = Fbm(x, y, kWrap, s.cells * 2, 3, s.seed + 23);
            float n = Fbm(x + 70 * wx, y + 70 * wy, kWrap, s.cells, 5, s.seed);
            float d = n * 0.5f + 0.5f + 0.35f * (band - 0.5f);
            float density = SmoothStep(0.75f - 0.4f * s.coverage, 1.0f - 0.3f * s.coverage, d);
            if (density <= 0) {
                continue;
            }
            float grain = Fbm(x, y, kWrap, s.cells * 8, 3, s.seed + 37) * 0.5f + 0.5f;
            float dust = Fbm(x + 40 * wy, y, kWrap, s.cells * 3, 4, s.seed + 53) * 0.5f + 0.5f;
            float lane = 1 - 0.75f * SmoothStep(0.52f, 0.7f, dust);
            float k = density * s.strength * lane * (0.65f + 0.7f * grain);
            pic.AddLight(x, y, Scale(Ramp(s.ramp, density * (0.6f + 0.6f * grain)), k));
        }
    }
}

namespace {

// Spreads a point of light over the four pixels around (x, y), so faint
// stars keep their sub-pixel positions instead of snapping to the grid.
void Point4(Picture &pic, float x, float y, Color c) {
    float fx = x - 0.5f, fy = y - 0.5f;
    int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
    float ax = fx - ix, ay = fy - iy;
    pic.AddLight(ix, iy, Scale(c, (1 - ax) * (1 - ay)));
    pic.AddLight(ix + 1, iy, Scale(c, ax * (1 - ay)));
    pic.AddLight(ix, iy + 1, Scale(c, (1 - ax) * ay));
    pic.AddLight(ix + 1, iy + 1, Scale(c, ax * ay));
}

void Star(Picture &pic, float x, float y, float bright, float size, Color tint, bool spikes) {
    Color c = Scale(tint, bright);
    if (size < 0.8f) {
        Point4(pic, x, y, c);
        return;
    }
    // A small Gaussian core with a wide faint halo.
    float sigma = size * 0.45f;
    int reach = static_cast<int>(std::ceil(sigma * 3));
    for (int j = -reach; j <= reach; j++) {
        for (int i = -reach; i <= reach; i++) {
            int px = static_cast<int>(std::floor(x)) + i, py = static_cast<int>(std::floor(y)) + j;
            float dx = px + 0.5f - x, dy = py + 0.5f - y;
            float f = std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma));
            pic.AddLight(px, py, Scale(c, f * 1.3f));
        }
    }
    Glow(pic, x, y, size * 5, Scale(c, 0.12f));
    if (spikes) {
        int length = static_cast<int>(size * 9);
        for (int k = 1; k <= length; k++) {
            float f = (1 - static_cast<float>(k) / length);
            Color s = Scale(c, 0.55f * f * f);
            Point4(pic, x + k, y, s);
            Point4(pic, x - k, y, s);
            Point4(pic, x, y + k, s);
            Point4(pic, x, y - k, s);
        }
    }
}

Color StarTint(Rng &rng) {
    static const Color tints[] = {Rgb(170, 200, 255), Rgb(220, 232, 255), Rgb(255, 255, 255),
                                  Rgb(255, 244, 214), Rgb(255, 214, 170)};
    return tints[rng.Below(5)];
}

} // namespace

void StarField(Picture &pic, Rng &rng, const std::vector<StarLayer> &layers, float keepOutTop,
               float keepOutBottom) {
    for (const StarLayer &layer : layers) {
        for (int i = 0; i < layer.count; i++) {
            float x = rng.Range(0, kWrap), y = rng.Range(0, pic.h);
            float bright = rng.Range(layer.minBright, layer.maxBright);
            float size = rng.Range(layer.minSize, layer.maxSize);
            Color tint = StarTint(rng);
            if (y >= keepOutTop && y <= keepOutBottom) {
                continue;
            }
            // Drawn once more on the far side so stars near an edge wrap.
            for (int shift : {-kWrap, 0, kWrap}) {
                if (x + shift > -40 && x + shift < pic.w + 40) {
                    Star(pic, x + shift, y, bright, size, tint, layer.spikes);
                }
            }
        }
    }
}

namespace {

// Brightness of the ring at distance rho (in planet radii) from the centre:
// fine concentric lanes with a darker gap.
float RingDensity(float rho, const PlanetStyle &s) {
    float t = (rho - s.ringInner) / (s.ringOuter - s.ringInner);
    if (t <= 0 || t >= 1) {
        return 0;
    }
    float lanes = 0.7f + 0.18f * std::sin(t * 31.0f) + 0.12f * std::sin(t * 83.0f + 2.0f);
    float gap = 1 - 0.85f * std::exp(-std::pow((t - 0.62f) / 0.035f, 2.0f));
    float edges = SmoothStep(0, 0.06f, t) * SmoothStep(1, 0.9f, t);
    return lanes * gap * edges;
}

void DrawRingHalf(Picture &pic, const PlanetStyle &s, float cx, bool front) {
    float outer = s.r * s.ringOuter;
    int x0 = static_cast<int>(cx - outer) - 1, x1 = static_cast<int>(cx + outer) + 1;
    int y0 = static_cast<int>(s.cy - outer * s.ringTilt) - 1;
    int y1 = static_cast<int>(s.cy + outer * s.ringTilt) + 1;
    for (int y = y0; y <= y1; y++) {
        for (int x = x0; x <= x1; x++) {
            float px = x + 0.5f - cx, py = y + 0.5f - s.cy;
            if ((py > 0) != front) {
                continue;
            }
            // Sample the ring 3x3 times inside the pixel: its lanes are finer than a pixel.
            float sum = 0;
            for (int j = 0; j < 3; j++) {
                for (int i = 0; i < 3; i++) {
                    float u = (px + (i - 1) / 3.0f) / s.r;
                    float v = (py + (j - 1) / 3.0f) / (s.r * s.ringTilt);
                    sum += RingDensity(std::sqrt(u * u + v * v), s);
                }
            }
            float a = sum / 9;
            if (a > 0) {
                // The far half lies partly in the planet's shadow side: a little dimmer.
                pic.Over(x, y, Scale(s.ringColor, (front ? 1.0f : 0.75f) * s.brightness), a * 0.7f);
            }
        }
    }
}

void DrawPlanetAt(Picture &pic, const PlanetStyle &s, float cx) {
    if (s.ring) {
        DrawRingHalf(pic, s, cx, false);
    }
    float halo = s.r * 1.14f;
    int x0 = static_cast<int>(cx - halo) - 1, x1 = static_cast<int>(cx + halo) + 1;
    int y0 = static_cast<int>(s.cy - halo) - 1, y1 = static_cast<int>(s.cy + halo) + 1;
    float ll = std::sqrt(s.lightX * s.lightX + s.lightY * s.lightY);
    for (int y = y0; y <= y1; y++) {
        for (int x = x0; x <= x1; x++) {
            float dx = x + 0.5f - cx, dy = y + 0.5f - s.cy;
            float d = std::sqrt(dx * dx + dy * dy);
            float facing = d > 0 ? (dx * s.lightX + dy * s.lightY) / (d * ll) : 0;
            float lit = SmoothStep(-0.6f, 0.8f, facing);
            if (d > s.r - 1) {
                // Thin atmosphere glowing on the lit side.
                float t = (d - s.r) / (halo - s.r);
                if (t < 1) {
                    float f = (1 - Clamp01(t)) * (1 - Clamp01(t));
                    pic.AddLight(x, y, Scale(s.atmosphere, f * (0.1f + 0.6f * lit)));
                }
            }
            float cover = Clamp01(s.r - d + 0.5f);
            if (cover <= 0) {
                continue;
            }
            float lat = dy / s.r;
            float swirl = PeriodicNoise(dx * 0.02f, dy * 0.07f, 4096, s.seed) * 0.5f +
                          PeriodicNoise(dx * 0.06f, dy * 0.2f, 4096, s.seed + 1) * 0.15f;
            float stripe = 0.5f + 0.5f * std::sin((lat * s.bandiness + swirl) * 3.14159f);
            float tone = PeriodicNoise(dx * 0.03f, dy * 0.03f, 4096, s.seed + 2) * 0.25f;
            Color surface = Ramp(s.bands, Clamp01(stripe + tone));
            float nx = dx / s.r, ny = dy / s.r;
            float nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
            surface = Mix(surface, s.atmosphere, std::pow(1 - nz, 3.0f) * 0.55f);
            // Light mostly from the side, so the night side and a soft terminator show.
            float lz = 0.45f, norm = std::sqrt(s.lightX * s.lightX + s.lightY * s.lightY + lz * lz);
            float ndl = (nx * s.lightX + ny * s.lightY + nz * lz) / norm;
            float day = SmoothStep(-0.12f, 0.45f, ndl);
            float light = 0.025f + 0.975f * day * (0.55f + 0.45f * Clamp01(ndl));
            pic.Over(x, y, Scale(surface, light * s.brightness), cover);
        }
    }
    if (s.ring) {
        DrawRingHalf(pic, s, cx, true);
    }
}

} // namespace

void Planet(Picture &pic, const PlanetStyle &s) {
    float reach = s.r * std::max(1.2f, s.ring ? s.ringOuter : 0.0f);
    for (int shift : {-kWrap, 0, kWrap}) {
        float cx = s.cx + shift;
        if ((shift == 0 || s.wraps) && cx + reach >= 0 && cx - reach < pic.w) {
            DrawPlanetAt(pic, s, cx);
        }
    }
}
