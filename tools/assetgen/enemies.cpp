// The two enemy kinds, sharing one 48x48 sprite set "enemy": frame 0 the
// wave flyer (a violet saucer that bobs up and down), frame 1 the straight
// flyer (a red dart). Both come from the right and face left. Their shapes
// and colours differ so a player tells them apart at a glance.
#include "assets.h"
#include "draw.h"
#include "output.h"

#include <cmath>

namespace {

constexpr int kSize = 48;

// Shading for a rounded body: the sphere light over a colour ramp.
Shader Rounded(float cx, float cy, float r, Color light, Color dark) {
    return [=](float x, float y) {
        float l = SphereLight(x, y, cx, cy, r);
        return Paint{Mix(dark, light, l), 1};
    };
}

Picture WaveFlyer() {
    Picture pic(kSize, kSize);
    const Color violet = Rgb(170, 100, 230), deep = Rgb(40, 14, 70);
    const Color glow = Rgb(130, 255, 150);
    // Curved fins swept back from the top and bottom of the saucer.
    std::vector<Point> fin = Bezier({22, 18}, {30, 12}, {36, 6}, {45, 4}, 10);
    std::vector<Point> back = Bezier({45, 4}, {40, 11}, {38, 16}, {36, 20}, 10);
    fin.insert(fin.end(), back.begin(), back.end());
    for (const auto &f : {fin, MirrorY(fin, 24)}) {
        Fill(pic, PolygonMask(f), [&](float, float y) {
            float t = Clamp01(std::abs(y - 24) / 20);
            return Paint{Mix(Rgb(200, 80, 170), Rgb(70, 20, 80), t), 1};
        });
    }
    // The saucer body, a flattened ball.
    Fill(pic, EllipseMask(24, 24, 20, 10.5f), Rounded(24, 24, 21, violet, deep));
    // A rim of lights round its middle.
    Fill(pic, StrokeMask(Bezier({5, 25}, {14, 30}, {34, 30}, {43, 25}, 16), 1.6f),
         Rgb(90, 40, 120));
    for (float x : {12.0f, 20.0f, 28.0f, 36.0f}) {
        float y = 25 + 4.2f * std::sin((x - 5) / 38 * 3.14159f);
        Fill(pic, EllipseMask(x, y, 1.5f, 1.3f), glow);
    }
    // The glass dome on top, lit green from inside.
    Mask dome = Subtract(EllipseMask(25, 18, 9, 7.5f), EllipseMask(25, 24, 20, 6));
    Fill(pic, dome, [&](float x, float y) {
        float l = SphereLight(x, y, 25, 18, 9);
        return Paint{Mix(Rgb(20, 90, 60), Rgb(200, 255, 210), l), 0.95f};
    });
    // The eye at the front, looking left at the player.
    Fill(pic, EllipseMask(8.5f, 23.5f, 4, 3.2f), Rgb(30, 10, 40));
    Fill(pic, EllipseMask(8, 23.5f, 2.8f, 2.2f), [&](float x, float y) {
        float d = std::hypot(x - 7.5f, y - 23);
        return Paint{Mix(Rgb(255, 255, 200), glow, Clamp01(d / 2.5f)), 1};
    });
    return pic;
}

Picture StraightFlyer() {
    Picture pic(kSize, kSize);
    const Color red = Rgb(230, 60, 50), dark = Rgb(60, 10, 20);
    const Color steel = Rgb(120, 120, 136), steelDark = Rgb(34, 34, 46);
    auto metal = [](Color light, Color shade, float top, float bottom) -> Shader {
        return [=](float, float y) {
            float t = Clamp01((y - top) / (bottom - top));
            return Paint{Ramp({Mix(light, Rgb(255, 255, 255), 0.3f), light, shade}, t), 1};
        };
    };
    // Engine glow at the back (right).
    Fill(pic, PolygonMask({{40, 20}, {47.5f, 22}, {47.5f, 26}, {40, 28}}), [](float x, float) {
        float t = Clamp01((x - 40) / 8);
        return Paint{Mix(Rgb(255, 250, 210), Rgb(255, 120, 30), t), 1 - 0.5f * t};
    });
    // Wings swept back toward the engine, grey with red tips.
    std::vector<Point> wing = {{16, 21}, {30, 19}, {44, 3}, {39, 3}};
    for (const auto &w : {wing, MirrorY(wing, 24)}) {
        Fill(pic, PolygonMask(w), metal(steel, steelDark, 3, 22));
    }
    Fill(pic, PolygonMask({{39, 3}, {44, 3}, {41.5f, 6}, {37.5f, 6}}), Rgb(255, 90, 60));
    Fill(pic, PolygonMask({{39, 45}, {44, 45}, {41.5f, 42}, {37.5f, 42}}), Rgb(255, 90, 60));
    // The dart's body, nose at the left on the centre line.
    std::vector<Point> body = {{1.5f, 24}, {12, 20}, {28, 17.5f}, {42, 19.5f}};
    std::vector<Point> lower = MirrorY(body, 24);
    body.insert(body.end(), lower.begin(), lower.end());
    Fill(pic, PolygonMask(body), metal(red, dark, 17.5f, 30.5f));
    Fill(pic, StrokeMask({{10, 24}, {40, 24}}, 1.0f), Rgb(120, 20, 30), 0.8f);
    // A slit of an amber canopy.
    Fill(pic, EllipseMask(20, 21.5f, 6, 1.8f), [](float x, float) {
        return Paint{Mix(Rgb(255, 230, 120), Rgb(200, 90, 20), Clamp01((x - 14) / 12)), 1};
    });
    // Twin guns under the nose.
    Fill(pic, StrokeMask({{8, 27.5f}, {20, 27.5f}}, 1.3f), Rgb(60, 60, 70));
    return pic;
}

} // namespace

void WriteEnemies(const std::string &out) {
    WriteSpriteSet(out + "/enemy", "enemy", {WaveFlyer(), StraightFlyer()}, {0, 1}, 100,
                   "Enemies. Frame 0 flies a wave, frame 1 flies straight.");
}
