// One boss per level, each facing left toward the player. A boss stands
// with its top-left corner at (420, 110), so its frame may be at most 210
// wide (to the screen's edge) and about 340 high (down to the credit line).
//
// The game shows the boss's next frame on every drawn frame, about 60 a
// second, so a boss animates by a breathing of its lights: three pictures
// (dim, half, bright), each listed for six frames in a rising and falling
// order, make one pulse about two and a half times a second.
#include "assets.h"
#include "draw.h"
#include "output.h"

#include <cmath>

namespace {

const float kPulse[] = {0.0f, 0.5f, 1.0f};
// Which of the three pictures each animation frame shows: dim, rising, bright, falling.
std::vector<int> Breath() {
    std::vector<int> order;
    for (int picture : {0, 1, 2, 1}) {
        order.insert(order.end(), 6, picture);
    }
    return order;
}

// Plates of metal lit from above: a vertical ramp between top and bottom.
Shader Plate(float top, float bottom, Color light, Color dark) {
    return [=](float, float y) {
        float t = Clamp01((y - top) / (bottom - top));
        return Paint{
            Ramp({Mix(light, Rgb(255, 255, 255), 0.25f), light, Mix(light, dark, 0.5f), dark}, t),
            1};
    };
}

// A round lamp: glowing centre fading to its own colour at the rim, and a
// halo of light around it, both as strong as `power`.
void Lamp(Picture &pic, float cx, float cy, float r, Color c, float power) {
    Fill(pic, EllipseMask(cx, cy, r, r), [&](float x, float y) {
        float d = Clamp01(std::hypot(x - cx, y - cy) / r);
        Color hot = Mix(c, Rgb(255, 255, 255), 0.4f + 0.5f * power);
        return Paint{Mix(hot, Scale(c, 0.55f + 0.45f * power), d), 1};
    });
    Glow(pic, cx, cy, r * (2.2f + 1.2f * power), Scale(c, 0.25f + 0.35f * power));
}

// Level 1: an armoured gunship of blue steel with a reactor at its heart.
Picture Gunship(float pulse) {
    Picture pic(200, 240);
    const Color steel = Rgb(128, 146, 176), steelDark = Rgb(30, 38, 58);
    const Color trim = Rgb(230, 140, 50), core = Rgb(255, 150, 60);
    // Tower above and keel below the hull.
    std::vector<Point> tower = {{84, 70}, {104, 30}, {150, 24}, {172, 40}, {168, 76}};
    for (const auto &part : {tower, MirrorY(tower, 120)}) {
        Fill(pic, PolygonMask(part), Plate(24, 216, steel, steelDark));
    }
    // Three cannons, their muzzles glowing as they charge.
    for (float y : {96.0f, 120.0f, 144.0f}) {
        float back = y == 120 ? 40 : 62;
        Fill(pic, PolygonMask({{6, y - 4}, {back, y - 6}, {back, y + 6}, {6, y + 4}}),
             Plate(y - 6, y + 6, Rgb(110, 116, 130), Rgb(24, 26, 36)));
        Fill(pic, PolygonMask({{4, y - 5.5f}, {12, y - 5.5f}, {12, y + 5.5f}, {4, y + 5.5f}}),
             Plate(y - 6, y + 6, Rgb(150, 156, 170), Rgb(40, 42, 54)));
        Lamp(pic, 5, y, 3, core, pulse);
    }
    // The hull: an armoured prow widening to a broad stern.
    std::vector<Point> hull = {{30, 120}, {56, 84}, {110, 66}, {170, 70}, {182, 90}};
    std::vector<Point> lower = MirrorY(hull, 120);
    hull.insert(hull.end(), lower.begin(), lower.end());
    Fill(pic, PolygonMask(hull), Plate(66, 174, steel, steelDark));
    for (float y : {100.0f, 140.0f}) {
        Fill(pic, StrokeMask({{86, y}, {178, y}}, 1.0f), Rgb(30, 36, 54), 0.7f);
    }
    for (float x : {140.0f, 166.0f}) {
        Fill(pic, StrokeMask({{x, 76}, {x, 164}}, 1.0f), Rgb(30, 36, 54), 0.7f);
    }
    // A darker armour plate over the prow, edged with orange trim.
    std::vector<Point> prow = {{30, 120}, {56, 84}, {88, 74}, {96, 120}};
    std::vector<Point> prowLower = MirrorY(prow, 120);
    prow.insert(prow.end(), prowLower.begin() + 1, prowLower.end() - 1);
    Fill(pic, PolygonMask(prow), Plate(74, 166, Rgb(96, 108, 134), Rgb(22, 26, 40)));
    Fill(pic, StrokeMask({{33, 117}, {57, 86}, {88, 76}}, 2.2f), trim);
    Fill(pic, StrokeMask({{33, 123}, {57, 154}, {88, 164}}, 2.2f), trim);
    // Engine pods at the stern with flames that lengthen as the reactor surges.
    for (float y : {92.0f, 148.0f}) {
        float len = 8 + 6 * pulse;
        Fill(
            pic,
            PolygonMask({{185, y - 7}, {200, y - 3}, {185 + len, y}, {200, y + 3}, {185, y + 7}}),
            [&](float x, float) {
                float t = Clamp01((x - 185) / 15);
                return Paint{Ramp({Rgb(255, 255, 230), Rgb(255, 190, 90), Rgb(255, 90, 40)}, t), 1};
            });
        Fill(pic,
             PolygonMask({{150, y - 10},
                          {182, y - 10},
                          {188, y - 6},
                          {188, y + 6},
                          {182, y + 10},
                          {150, y + 10}}),
             Plate(y - 10, y + 10, Rgb(150, 160, 184), Rgb(34, 40, 60)));
        Fill(pic, StrokeMask({{156, y - 10}, {156, y + 10}}, 1.6f), trim);
    }
    // A row of bridge windows, lit in turn.
    for (int i = 0; i < 5; i++) {
        float lit = 0.35f + 0.65f * Clamp01(pulse * 2.5f - i * 0.35f);
        Fill(pic, EllipseMask(112 + i * 10.0f, 42, 3, 2), Scale(Rgb(150, 220, 255), lit));
    }
    // The reactor: a dark housing ring around a pulsing core.
    Fill(pic, EllipseMask(124, 120, 30, 30), Plate(90, 150, Rgb(90, 96, 114), Rgb(16, 18, 28)));
    Fill(pic, EllipseMask(124, 120, 23, 23), Rgb(40, 20, 14));
    Lamp(pic, 124, 120, 17 + 2 * pulse, core, pulse);
    for (int i = 0; i < 8; i++) {
        float a = i * 0.785398f;
        Fill(pic,
             StrokeMask({{124 + std::cos(a) * 24, 120 + std::sin(a) * 24},
                         {124 + std::cos(a) * 29, 120 + std::sin(a) * 29}},
                        2.4f),
             Rgb(200, 110, 40));
    }
    return pic;
}

// Level 2: a living hulk of crimson shell with a burning maw and trailing
// tentacles.
Picture Leviathan(float pulse) {
    Picture pic(200, 280);
    const Color shell = Rgb(170, 50, 60), shellDark = Rgb(40, 8, 18), bone = Rgb(235, 210, 180);
    const float cy = 140, sx = 100, rx = 68, ry = 88; // the shell's centre and radii
    // Tentacles trailing back from the shell, swaying a little with each breath.
    const float roots[] = {-52, -18, 18, 52};
    for (int i = 0; i < 4; i++) {
        float root = roots[i], sway = (pulse - 0.5f) * 5 * (i % 2 ? 1 : -1);
        Point from{sx + 50, cy + root};
        Point to{197, cy + root * 2.3f + sway};
        std::vector<Point> t =
            Bezier(from, {from.x + 25, from.y - 14}, {to.x - 25, to.y + 14 + sway}, to, 24);
        Fill(pic, TaperMask(t, 15, 3), Plate(cy - 140, cy + 140, Rgb(210, 90, 100), shellDark));
    }
    // Spines along the back and belly.
    for (int i = 0; i < 5; i++) {
        float x = sx - 34 + i * 18;
        float half = ry * std::sqrt(std::max(0.0f, 1 - std::pow((x - sx) / rx, 2.0f)));
        for (int side : {-1, 1}) {
            float base = cy + side * (half - 4);
            Fill(pic,
                 PolygonMask(
                     {{x - 6, base}, {x + 11, base + side * (24 - i * 2.0f)}, {x + 6, base}}),
                 Plate(cy - 120, cy + 120, bone, Rgb(120, 90, 70)));
        }
    }
    // The shell, banded like a beetle's.
    Fill(pic, EllipseMask(sx, cy, rx, ry), [&](float x, float y) {
        float l = SphereLight(x, y, sx, cy, rx + 2);
        float band = 0.5f + 0.5f * std::cos((x - sx) * 0.19f);
        return Paint{Mix(shellDark, Mix(shell, Rgb(220, 90, 80), band * 0.4f), l), 1};
    });
    for (int i = 0; i < 4; i++) {
        float x = sx - 30 + i * 28.0f;
        float half = ry * std::sqrt(std::max(0.0f, 1 - std::pow((x - sx) / rx, 2.0f)));
        Fill(pic,
             StrokeMask(Bezier({x, cy - half + 6}, {x - 12, cy - 30}, {x - 12, cy + 30},
                               {x, cy + half - 6}, 20),
                        2.5f),
             Rgb(230, 160, 140), 0.55f);
    }
    // The maw: a dark mouth ringed with teeth, its throat burning brighter with each breath.
    Fill(pic, EllipseMask(44, cy, 34, 44), Plate(cy - 44, cy + 44, Rgb(120, 30, 40), shellDark));
    Fill(pic, EllipseMask(40, cy, 26, 35), Rgb(30, 4, 10));
    Lamp(pic, 46, cy, 11 + 3 * pulse, Rgb(255, 120, 40), pulse);
    for (int i = 0; i < 9; i++) {
        float a = -1.25f + i * (2.5f / 8);
        float bx = 40 - std::cos(a) * 26 + 4, by = cy + std::sin(a) * 35;
        float tx = 40 - std::cos(a) * 14 + 4, ty = cy + std::sin(a) * 20;
        float nx = -std::sin(a) * 4.5f, ny = -std::cos(a) * 4.5f;
        Fill(pic, PolygonMask({{bx + nx, by + ny}, {tx, ty}, {bx - nx, by - ny}}),
             Plate(cy - 40, cy + 40, bone, Rgb(150, 120, 100)));
    }
    // Three yellow eyes above the maw.
    for (int i = 0; i < 3; i++) {
        float ex = 70 + i * 14.0f, ey = cy - 52 + i * 5.0f;
        Fill(pic, EllipseMask(ex, ey, 5.5f, 4), Rgb(40, 6, 10));
        Lamp(pic, ex, ey, 3.2f, Rgb(255, 220, 60), 0.4f + 0.6f * pulse);
    }
    return pic;
}

// Level 3: a crystal fortress round one great watching eye.
Picture CrystalEye(float pulse) {
    Picture pic(210, 300);
    const float cx = 112, cy = 150;
    const Color crystal = Rgb(170, 120, 255), crystalDark = Rgb(40, 16, 90);
    // Long crystals radiating from the eye, glassy: bright along one face.
    const float angles[] = {-90, -55, -20, 20, 55, 90, 130, 180, 230};
    const float lengths[] = {145, 118, 96, 96, 118, 145, 100, 104, 100};
    for (int i = 0; i < 9; i++) {
        float a = angles[i] * 0.0174533f, len = lengths[i];
        float ux = std::cos(a), uy = std::sin(a), px = -uy, py = ux;
        float w = i == 7 ? 15 : 11;
        Point base{cx + ux * 40, cy + uy * 40}, tip{cx + ux * len, cy + uy * len};
        Point mid{cx + ux * (len * 0.72f), cy + uy * (len * 0.72f)};
        std::vector<Point> lit = {base, {mid.x + px * w, mid.y + py * w}, tip, mid};
        std::vector<Point> shade = {base, mid, tip, {mid.x - px * w, mid.y - py * w}};
        Fill(pic, PolygonMask(lit), [&](float x, float y) {
            float t = Clamp01(std::hypot(x - cx, y - cy) / len);
            return Paint{Mix(crystal, Rgb(235, 220, 255), t * 0.8f), 1};
        });
        Fill(pic, PolygonMask(shade), [&](float x, float y) {
            float t = Clamp01(std::hypot(x - cx, y - cy) / len);
            return Paint{Mix(crystalDark, crystal, t * 0.6f), 1};
        });
        Fill(pic, StrokeMask({base, tip}, 1.2f), Rgb(240, 220, 255), 0.6f + 0.4f * pulse);
    }
    // A dark armoured ring holding the eye, with runes glowing green.
    Fill(pic, EllipseMask(cx, cy, 52, 52),
         Plate(cy - 52, cy + 52, Rgb(110, 96, 140), Rgb(18, 12, 34)));
    Fill(pic, EllipseMask(cx, cy, 41, 41), Rgb(26, 14, 40));
    for (int i = 0; i < 12; i++) {
        float a = i * 0.5235988f;
        float on = 0.3f + 0.7f * Clamp01(pulse * 1.6f - (i % 3) * 0.3f);
        Fill(pic, EllipseMask(cx + std::cos(a) * 46.5f, cy + std::sin(a) * 46.5f, 2.2f, 2.2f),
             Scale(Rgb(120, 255, 170), on));
    }
    // The eye: pale ball, green iris looking left, slit pupil, bright glint.
    Fill(pic, EllipseMask(cx, cy, 38, 38), [&](float x, float y) {
        float l = SphereLight(x, y, cx, cy, 38);
        return Paint{Mix(Rgb(70, 50, 90), Rgb(240, 230, 250), l), 1};
    });
    float ix = cx - 12, iy = cy;
    Fill(pic, EllipseMask(ix, iy, 22, 24), [&](float x, float y) {
        float d = Clamp01(std::hypot(x - ix, y - iy) / 23);
        Color inner = Mix(Rgb(200, 255, 150), Rgb(255, 255, 220), pulse * 0.6f);
        return Paint{Ramp({inner, Rgb(60, 200, 110), Rgb(10, 70, 50)}, d), 1};
    });
    Fill(pic, EllipseMask(ix, iy, 4 + 2 * (1 - pulse), 18), Rgb(14, 6, 22));
    Fill(pic, EllipseMask(ix + 8, iy - 11, 5, 3.5f), Rgb(255, 255, 255), 0.85f);
    Glow(pic, ix, iy, 34, Scale(Rgb(80, 255, 140), 0.12f + 0.2f * pulse));
    return pic;
}

// Every boss frame has this size. The game keeps the size of the first boss
// set it loads for the hit box of every later boss, so bosses of different
// sizes would be hit where they are not drawn; each boss is centred in it.
constexpr int kBossFrameW = 210;
constexpr int kBossFrameH = 300;

Picture Centred(const Picture &boss) {
    Picture frame(kBossFrameW, kBossFrameH);
    frame.Draw(boss, (kBossFrameW - boss.w) / 2, (kBossFrameH - boss.h) / 2);
    return frame;
}

} // namespace

void WriteBosses(const std::string &out) {
    Picture (*const draw[kLevelCount])(float) = {Gunship, Leviathan, CrystalEye};
    for (int level = 0; level < kLevelCount; level++) {
        std::vector<Picture> frames;
        for (float pulse : kPulse) {
            frames.push_back(Centred(draw[level](pulse)));
        }
        WriteSpriteSet(out + "/level_" + std::to_string(level + 1) + "/boss", "boss", frames,
                       Breath(), 40, "The boss of this level; its lights breathe in and out.");
    }
}
