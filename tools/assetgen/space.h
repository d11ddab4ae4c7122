// Scenery shared by the title screen and the level backgrounds: the deep
// space gradient, nebulae, layered star fields and planets.
//
// A level background scrolls and joins its column 639 to column 0, so every
// feature here repeats every kWrap pixels across: noise is periodic and stars
// and planets that cross an edge are drawn again on the other side.
#pragma once

#include "draw.h"
#include "rng.h"

#include <vector>

constexpr int kWrap = 640;

// Vertical gradient from top to bottom over the whole picture.
void SkyGradient(Picture &pic, Color top, Color middle, Color bottom);

struct NebulaStyle {
    std::vector<Color> ramp; // colours from thin to dense gas
    float strength = 0.3f;   // brightest light added
    int cells = 3;           // size of the largest clouds: cells across the width
    float coverage = 0.5f;   // 0..1, how much of the sky holds gas
    float centreY = 240;     // the band of gas is densest at this height
    float spread = 200;      // and thins out over this many pixels above and below
    uint32_t seed = 1;
};
// Glowing gas added over the sky, with darker dust lanes through it.
void Nebula(Picture &pic, const NebulaStyle &style);

struct StarLayer {
    int count;
    float minBright, maxBright; // 0..1
    float minSize, maxSize;     // radius of the glow in pixels
    bool spikes;                // cross-shaped glints for the nearest stars
};
// Stars in layers from faint and many to bright and few; keepOut lets a
// caller leave rows free (for example behind text), as a y range.
void StarField(Picture &pic, Rng &rng, const std::vector<StarLayer> &layers, float keepOutTop = -1,
               float keepOutBottom = -1);

struct PlanetStyle {
    float cx, cy, r;
    std::vector<Color> bands; // surface colours sampled by latitude and noise
    Color atmosphere;         // rim light
    float bandiness = 6;      // stripes from pole to pole
    float lightX = -0.6f, lightY = -0.45f;
    bool ring = false;
    Color ringColor;
    float ringTilt = 0.28f;                    // ellipse height / width of the ring
    float ringInner = 1.35f, ringOuter = 2.1f; // in planet radii
    uint32_t seed = 7;
    bool wraps = true;       // repeat across the edges of a scrolling background
    float brightness = 1.0f; // below 1 keeps a planet behind the action
};
// A shaded planet with bands, a lit atmosphere and an optional ring.
void Planet(Picture &pic, const PlanetStyle &style);
