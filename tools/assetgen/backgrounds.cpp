// The three level backgrounds. Each is one 640x480 screen that scrolls left
// one pixel per frame and wraps around, so all scenery here repeats every
// 640 pixels across (see space.h). The top and bottom rows carry the score
// and credit text, so bright features keep away from them.
#include "assets.h"
#include "output.h"
#include "space.h"

#include <cmath>

namespace {

// Faint and many, to bright and few: three depths of stars plus a handful
// of near ones with glints.
std::vector<StarLayer> DeepStars(float density) {
    return {{static_cast<int>(900 * density), 0.10f, 0.32f, 0.5f, 0.7f, false},
            {static_cast<int>(240 * density), 0.28f, 0.55f, 0.8f, 1.1f, false},
            {static_cast<int>(45 * density), 0.55f, 0.95f, 1.1f, 1.5f, false},
            {5, 0.85f, 1.0f, 1.5f, 1.9f, true}};
}

// A lumpy rock lit from the upper left, centred on (cx, cy), about r across.
void Rock(Picture &pic, Rng &rng, float cx, float cy, float r, Color base) {
    std::vector<Point> outline;
    int corners = 9 + rng.Below(4);
    float turn = rng.Range(0, 6.283f);
    for (int i = 0; i < corners; i++) {
        float a = turn + 6.2831853f * i / corners;
        float k = rng.Range(0.72f, 1.1f);
        outline.push_back({cx + std::cos(a) * r * k, cy + std::sin(a) * r * k * 0.85f});
    }
    uint32_t seed = static_cast<uint32_t>(rng.Next());
    Fill(pic, PolygonMask(outline), [&](float x, float y) {
        float light = SphereLight(x, y, cx, cy, r * 1.05f);
        float pits = PeriodicNoise((x - cx) * 0.6f / r * 3, (y - cy) * 0.6f / r * 3, 4096, seed);
        return Paint{Scale(base, light * (0.85f + 0.3f * pits)), 1};
    });
}

void Rocks(Picture &pic, Rng &rng, int count, float centreY, float spread, Color base) {
    for (int i = 0; i < count; i++) {
        float x = rng.Range(0, kWrap);
        // The belt waves once across the screen, so it joins itself at the edge.
        float y = centreY + spread * (rng.Unit() + rng.Unit() - 1) +
                  30 * std::sin(6.2831853f * x / kWrap);
        float r = 1.5f + 6.5f * std::pow(rng.Unit(), 2.5f);
        Color c = Mix(base, Rgb(90, 80, 78), rng.Unit() * 0.5f);
        uint64_t state = rng.Next();
        for (int shift : {-kWrap, 0, kWrap}) {
            if (x + shift > -20 && x + shift < kWrap + 20) {
                Rng same(state); // the copy across the edge must be the same rock
                Rock(pic, same, x + shift, y, r, c);
            }
        }
    }
}

// A spiral galaxy seen at a slant: two logarithmic arms around a bright core.
void Galaxy(Picture &pic, float cx, float cy, float size, float tilt, float angle) {
    float ca = std::cos(angle), sa = std::sin(angle);
    for (int y = static_cast<int>(cy - size); y < cy + size; y++) {
        for (int x = static_cast<int>(cx - size); x < cx + size; x++) {
            float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            float u = (dx * ca + dy * sa) / size, v = (-dx * sa + dy * ca) / (size * tilt);
            float rho = std::sqrt(u * u + v * v);
            if (rho >= 1 || rho <= 0) {
                continue;
            }
            float theta = std::atan2(v, u);
            float arm = 0.5f + 0.5f * std::cos(2 * (theta - 3.2f * std::log(rho + 0.02f)));
            float dust = PeriodicNoise(u * 9, v * 9, 4096, 77) * 0.5f + 0.5f;
            float body = std::exp(-rho * 2.6f) * (0.25f + 1.1f * std::pow(arm, 2.0f) * dust);
            float core = std::exp(-rho * rho * 160);
            Color c = Add(Scale(Mix(Rgb(150, 120, 255), Rgb(255, 200, 240), arm), body * 0.9f),
                          Scale(Rgb(255, 240, 220), core * 0.9f));
            pic.AddLight(x, y, Scale(c, SmoothStep(1, 0.7f, rho)));
        }
    }
}

Picture AzureDrift() {
    Picture pic(640, 480);
    SkyGradient(pic, Rgb(3, 5, 18), Rgb(7, 13, 36), Rgb(2, 4, 14));
    NebulaStyle gas;
    gas.ramp = {Rgb(20, 50, 130), Rgb(30, 130, 185), Rgb(150, 225, 245)};
    gas.strength = 0.42f;
    gas.coverage = 0.55f;
    gas.centreY = 200;
    gas.spread = 190;
    gas.seed = 101;
    Nebula(pic, gas);
    Rng rng(1001);
    StarField(pic, rng, DeepStars(1.0f));
    PlanetStyle giant;
    giant.cx = 470, giant.cy = 300, giant.r = 62;
    giant.bands = {Rgb(40, 90, 140), Rgb(90, 170, 190), Rgb(200, 225, 230), Rgb(60, 130, 170)};
    giant.atmosphere = Rgb(110, 190, 255);
    giant.bandiness = 5;
    giant.ring = true;
    giant.ringColor = Rgb(170, 190, 205);
    giant.ringTilt = 0.22f;
    giant.seed = 5;
    giant.brightness = 0.8f;
    Planet(pic, giant);
    PlanetStyle moon;
    moon.cx = 130, moon.cy = 120, moon.r = 13;
    moon.bands = {Rgb(120, 120, 135), Rgb(170, 170, 180)};
    moon.atmosphere = Rgb(120, 140, 170);
    moon.bandiness = 2;
    moon.seed = 9;
    Planet(pic, moon);
    return pic;
}

Picture EmberReach() {
    Picture pic(640, 480);
    SkyGradient(pic, Rgb(14, 4, 8), Rgb(26, 8, 14), Rgb(10, 3, 6));
    NebulaStyle gas;
    gas.ramp = {Rgb(90, 15, 35), Rgb(200, 65, 40), Rgb(255, 175, 95)};
    gas.strength = 0.4f;
    gas.coverage = 0.5f;
    gas.centreY = 260;
    gas.spread = 170;
    gas.cells = 4;
    gas.seed = 202;
    Nebula(pic, gas);
    Rng rng(2002);
    StarField(pic, rng, DeepStars(0.8f));
    PlanetStyle desert;
    desert.cx = 200, desert.cy = 310, desert.r = 70;
    desert.bands = {Rgb(120, 50, 30), Rgb(190, 100, 55), Rgb(150, 70, 40), Rgb(220, 150, 90)};
    desert.atmosphere = Rgb(255, 140, 90);
    desert.bandiness = 3;
    desert.seed = 12;
    desert.brightness = 0.8f;
    Planet(pic, desert);
    PlanetStyle moon;
    moon.cx = 300, moon.cy = 215, moon.r = 12;
    moon.bands = {Rgb(110, 95, 90), Rgb(150, 130, 120)};
    moon.atmosphere = Rgb(160, 120, 100);
    moon.bandiness = 2;
    moon.seed = 13;
    Planet(pic, moon);
    Rocks(pic, rng, 70, 150, 60, Rgb(110, 75, 60));
    return pic;
}

Picture VioletDeep() {
    Picture pic(640, 480);
    SkyGradient(pic, Rgb(8, 3, 18), Rgb(14, 6, 32), Rgb(5, 2, 14));
    NebulaStyle gas;
    gas.ramp = {Rgb(60, 20, 110), Rgb(150, 50, 170), Rgb(255, 150, 220)};
    gas.strength = 0.34f;
    gas.coverage = 0.6f;
    gas.centreY = 240;
    gas.spread = 230;
    gas.cells = 3;
    gas.seed = 303;
    Nebula(pic, gas);
    // Thin teal wisps drifting through the violet.
    gas.ramp = {Rgb(20, 90, 100), Rgb(60, 200, 180)};
    gas.strength = 0.3f;
    gas.coverage = 0.3f;
    gas.cells = 5;
    gas.seed = 313;
    Nebula(pic, gas);
    Galaxy(pic, 440, 140, 100, 0.4f, -0.35f);
    Rng rng(3003);
    StarField(pic, rng, DeepStars(1.2f));
    PlanetStyle ice;
    ice.cx = 140, ice.cy = 330, ice.r = 46;
    ice.bands = {Rgb(150, 170, 210), Rgb(210, 225, 245), Rgb(120, 140, 190)};
    ice.atmosphere = Rgb(170, 140, 255);
    ice.bandiness = 4;
    ice.ring = true;
    ice.ringColor = Rgb(190, 160, 230);
    ice.ringTilt = 0.3f;
    ice.ringInner = 1.3f;
    ice.ringOuter = 1.9f;
    ice.seed = 21;
    ice.brightness = 0.8f;
    Planet(pic, ice);
    return pic;
}

} // namespace

void WriteBackgrounds(const std::string &out) {
    Picture scenes[kLevelCount] = {AzureDrift(), EmberReach(), VioletDeep()};
    for (int i = 0; i < kLevelCount; i++) {
        std::string dir = out + "/level_" + std::to_string(i + 1);
        MakeDirs(dir);
        SaveBmp(scenes[i], dir + "/scene.bmp", Backdrop::Opaque);
    }
}
