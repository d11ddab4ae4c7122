// The player's ship and the shots.
//
// The ship frame is 72x52 and faces right. A shot is fired with its top-left
// corner 70 pixels right of and 23 below the ship's, and a shot is 16x6, so
// the shot's middle row (y = 26) leaves from the ship's nose at (70, 26).
#include "assets.h"
#include "draw.h"
#include "output.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kShipW = 72, kShipH = 52;
constexpr float kAxis = 26; // the ship's centre line, where the shots leave
constexpr int kShotW = 16, kShotH = 6;

// Polished silver-blue metal: bright along the top of each part, darker below.
Shader Metal(float top, float bottom, Color light, Color dark) {
    return [=](float, float y) {
        float t = Clamp01((y - top) / (bottom - top));
        Color c =
            Ramp({Mix(light, Rgb(255, 255, 255), 0.35f), light, Mix(light, dark, 0.6f), dark}, t);
        float streak = 0.12f * SmoothStep(0.5f, 1.0f, 1 - std::abs(t - 0.28f) * 4);
        return Paint{Add(c, Scale(Rgb(255, 255, 255), streak)), 1};
    };
}

} // namespace

Picture ShipPicture() {
    Picture pic(kShipW, kShipH);
    const Color hull = Rgb(196, 208, 226), hullDark = Rgb(58, 70, 98);
    const Color accent = Rgb(40, 120, 230), accentDark = Rgb(18, 44, 110);

    // Exhaust behind the nacelles: white-hot at the nozzle, cooling to blue.
    for (float y : {15.0f, kAxis * 2 - 15.0f}) {
        Mask flame = PolygonMask({{0, y}, {7, y - 3}, {8, y - 3}, {8, y + 3}, {7, y + 3}});
        Fill(pic, flame, [&](float x, float yy) {
            float t = Clamp01(x / 8) * (1 - 0.5f * Clamp01(std::abs(yy - y) / 3));
            return Paint{Ramp({Rgb(70, 60, 230), Rgb(90, 190, 255), Rgb(255, 255, 255)}, t), 1};
        });
    }
    // Swept wings above and below the body, blue with a darker trailing edge.
    std::vector<Point> wing = {{18, 20}, {44, 20}, {30, 8}, {20, 3}, {13, 3}, {16, 12}};
    for (const auto &w : {wing, MirrorY(wing, kAxis)}) {
        Fill(pic, PolygonMask(w), Metal(3, 22, accent, accentDark));
    }
    Fill(pic, StrokeMask({{14, 4}, {21, 4}}, 1.6f), Rgb(255, 90, 60)); // wingtip lights
    Fill(pic, StrokeMask({{14, 48}, {21, 48}}, 1.6f), Rgb(255, 90, 60));
    // Engine nacelles with dark nozzles at the back.
    for (float y : {15.0f, kAxis * 2 - 15.0f}) {
        Fill(pic,
             PolygonMask({{6, y - 3.8f}, {25, y - 3.8f}, {31, y}, {25, y + 3.8f}, {6, y + 3.8f}}),
             Metal(y - 3.8f, y + 3.8f, hull, hullDark));
        Fill(pic, EllipseMask(6.5f, y, 1.4f, 3.6f), Rgb(40, 44, 60));
    }
    // The body, swelling behind the cockpit and tapering to the nose on the centre line.
    std::vector<Point> body = {{8, 21},     {20, 18.5f}, {34, 17.3f},
                               {48, 18.8f}, {60, 22.3f}, {70.5f, kAxis}};
    std::vector<Point> lower = MirrorY(body, kAxis);
    body.insert(body.end(), lower.begin() + 1, lower.end());
    Fill(pic, PolygonMask(body), Metal(17, 35, hull, hullDark));
    // A blue stripe down the spine and panel seams.
    Fill(pic, PolygonMask({{14, 25}, {56, 24.5f}, {60, kAxis}, {56, 27.5f}, {14, 27}}),
         Rgb(50, 110, 210), 0.7f);
    Fill(pic, StrokeMask({{24, 18}, {24, 34}}, 0.8f), Rgb(70, 80, 110), 0.8f);
    Fill(pic, StrokeMask({{40, 18.5f}, {40, 33.5f}}, 0.8f), Rgb(70, 80, 110), 0.8f);
    // Cockpit canopy: dark glass with a sky-blue sheen and a bright glint.
    Mask canopy = EllipseMask(48, 22.5f, 8.5f, 3.6f);
    Fill(pic, canopy, [](float x, float y) {
        float t = Clamp01((y - 19) / 7);
        Color c = Mix(Rgb(140, 230, 255), Rgb(10, 40, 90), t);
        return Paint{Add(c, Scale(Rgb(60, 60, 80), Clamp01((x - 40) / 16))), 1};
    });
    Fill(pic, EllipseMask(46, 20.8f, 3.5f, 1.0f), Rgb(240, 252, 255), 0.9f);
    // The nose cannon's muzzle.
    Fill(pic, EllipseMask(69.5f, kAxis, 1.3f, 1.3f), Rgb(150, 230, 255));
    return pic;
}

namespace {

// While protected after a hit the ship blinks: a bright, shield-lit copy...
Picture Shielded(const Picture &ship) {
    Picture pic = ship;
    Color shield = Rgb(150, 235, 255);
    for (int y = 0; y < pic.h; y++) {
        for (int x = 0; x < pic.w; x++) {
            float *p = pic.At(x, y);
            for (int k = 0; k < 3; k++) {
                p[k] = p[k] * 0.55f + (&shield.r)[k] * 0.45f * p[3];
            }
        }
    }
    return pic;
}

// ...and a ghost of itself, barely there against the dark of space.
Picture Ghost(const Picture &ship) {
    Picture pic = ship;
    for (int y = 0; y < pic.h; y++) {
        for (int x = 0; x < pic.w; x++) {
            float *p = pic.At(x, y);
            for (int k = 0; k < 3; k++) {
                p[k] *= (y % 2 == 0) ? 0.3f : 0.12f; // faint scan lines
            }
        }
    }
    return pic;
}

// A bolt of light flying right: a soft coloured sheath around a hot core,
// tapering into a tail at the left.
Picture Bolt(Color sheath, Color core) {
    Picture pic(kShotW, kShotH);
    float mid = kShotH / 2.0f;
    Fill(pic,
         PolygonMask({{0.5f, mid},
                      {9, mid - 2.8f},
                      {14, mid - 2.6f},
                      {15.8f, mid},
                      {14, mid + 2.6f},
                      {9, mid + 2.8f}}),
         [&](float x, float) {
             return Paint{sheath, 0.35f + 0.65f * Clamp01(x / 9)};
         });
    Fill(pic,
         PolygonMask({{3, mid},
                      {10, mid - 1.3f},
                      {14.5f, mid - 1.1f},
                      {15.2f, mid},
                      {14.5f, mid + 1.1f},
                      {10, mid + 1.3f}}),
         [&](float x, float) {
             return Paint{Mix(sheath, core, Clamp01((x - 3) / 8)), 1};
         });
    return pic;
}

// Hostile shots fly left: the same bolt turned round.
Picture MirrorX(const Picture &src) {
    Picture pic(src.w, src.h);
    for (int y = 0; y < src.h; y++) {
        for (int x = 0; x < src.w; x++) {
            std::copy_n(src.At(src.w - 1 - x, y), 4, pic.At(x, y));
        }
    }
    return pic;
}

} // namespace

void WriteShip(const std::string &out) {
    Picture ship = ShipPicture();
    // Frame 0 is the ship in play; while protected the frames cycle
    // normal, bright, ghost, bright.
    WriteSpriteSet(out + "/ship", "ship", {ship, Shielded(ship), Ghost(ship)}, {0, 1, 2, 1}, 70,
                   "The player's ship. Frame 0 in play; all frames cycle while it is protected.");
    // Frame 0 is the player's shot, frame 1 the hostile shot.
    WriteSpriteSet(out + "/bullet", "bullet",
                   {Bolt(Rgb(40, 170, 255), Rgb(240, 255, 255)),
                    MirrorX(Bolt(Rgb(255, 60, 40), Rgb(255, 240, 150)))},
                   {0, 1}, 100, "Shots. Frame 0 is the player's shot, frame 1 the hostile shot.");
}
