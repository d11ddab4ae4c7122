// The title screen, the three difficulty pictures and the menu cursor.
//
// The game draws the title picture, then the chosen difficulty picture at
// (300, 362), then the cursor at x = 70 and y = 318, 356 or 390 for Start,
// Difficulty and Quit. The menu words stand right of the cursor, centred on
// its 32-pixel height; the difficulty picture is opaque, so it is cut from
// the title picture itself and carries the same sky behind its word.
#include "assets.h"
#include "draw.h"
#include "glyphs.h"
#include "output.h"
#include "space.h"

#include <cmath>

namespace {

constexpr int kCursorX = 70, kCursorSize = 32;
constexpr int kItemY[3] = {318, 356, 390};
constexpr int kWordX = kCursorX + kCursorSize + 12;
constexpr int kDifficultyX = 300, kDifficultyY = 362, kDifficultyW = 170, kDifficultyH = 34;

Picture Sky() {
    Picture pic(640, 480);
    SkyGradient(pic, Rgb(2, 3, 14), Rgb(10, 8, 34), Rgb(16, 10, 40));
    NebulaStyle gas;
    gas.ramp = {Rgb(30, 30, 120), Rgb(90, 60, 190), Rgb(120, 200, 255)};
    gas.strength = 0.38f;
    gas.coverage = 0.55f;
    gas.centreY = 150;
    gas.spread = 170;
    gas.seed = 404;
    Nebula(pic, gas);
    Rng rng(4004);
    StarField(pic, rng,
              {{800, 0.1f, 0.35f, 0.5f, 0.7f, false},
               {220, 0.3f, 0.6f, 0.8f, 1.1f, false},
               {40, 0.6f, 1.0f, 1.1f, 1.5f, false},
               {7, 0.9f, 1.0f, 1.6f, 2.1f, true}});
    // A giant planet's lit horizon rising from the lower right.
    PlanetStyle world;
    world.cx = 640, world.cy = 760, world.r = 420;
    world.bands = {Rgb(30, 60, 120), Rgb(60, 110, 170), Rgb(120, 170, 210), Rgb(40, 80, 140)};
    world.atmosphere = Rgb(90, 170, 255);
    world.bandiness = 9;
    world.lightX = -0.75f, world.lightY = -0.55f;
    world.wraps = false;
    world.seed = 31;
    Planet(pic, world);
    PlanetStyle moon;
    moon.cx = 96, moon.cy = 236, moon.r = 20;
    moon.bands = {Rgb(140, 130, 150), Rgb(190, 180, 190)};
    moon.atmosphere = Rgb(150, 150, 200);
    moon.bandiness = 2;
    moon.wraps = false;
    moon.seed = 33;
    Planet(pic, moon);
    return pic;
}

// The player's ship crossing the sky, with a fading trail of engine light.
void HeroShip(Picture &pic, int x, int y) {
    for (int i = 0; i < 160; i++) {
        float f = 1 - i / 160.0f;
        for (float row : {15.0f, 37.0f}) {
            for (int dy = -2; dy <= 2; dy++) {
                float soft = std::exp(-0.8f * dy * dy);
                pic.AddLight(x + 4 - i, static_cast<int>(y + row) + dy,
                             Scale(Rgb(80, 160, 255), 0.35f * f * f * soft));
            }
        }
    }
    Glow(pic, x + 4, y + 15, 10, Scale(Rgb(120, 200, 255), 0.5f));
    Glow(pic, x + 4, y + 37, 10, Scale(Rgb(120, 200, 255), 0.5f));
    pic.Draw(ShipPicture(), x, y);
}

void Logo(Picture &pic) {
    Lettering logo;
    logo.style = {kBoldFont, 84, 3, 0.14f};
    const float baseline = 168;
    logo.fill = VerticalGradient(baseline - 62, baseline,
                                 {Rgb(255, 255, 255), Rgb(175, 228, 255), Rgb(70, 120, 225),
                                  Rgb(24, 44, 130), Rgb(130, 210, 255)});
    logo.outline = Rgb(6, 10, 36);
    logo.outlineWidth = 3;
    logo.shadowOffset = 4;
    logo.glow = Scale(Rgb(60, 150, 255), 0.55f);
    logo.glowRadius = 9;
    const std::string name = "QUARNDEL";
    float x = (640 - TextWidth(logo.style, name)) / 2 - 6;
    Draw(pic, logo, name, x, baseline);
    // A thin streak of light under the name, brightest in the middle.
    for (int i = 60; i < 580; i++) {
        float f = 1 - std::abs(i - 320) / 260.0f;
        pic.AddLight(i, static_cast<int>(baseline + 20), Scale(Rgb(140, 210, 255), 0.9f * f * f));
        pic.AddLight(i, static_cast<int>(baseline + 21), Scale(Rgb(60, 120, 255), 0.4f * f * f));
    }
    Glow(pic, 320, baseline + 20.5f, 26, Scale(Rgb(180, 230, 255), 0.5f));
}

const TextStyle kMenuText = {kBoldFont, 24, 0.5f, 0};

Lettering MenuStyle(Shader fill) {
    Lettering l;
    l.style = kMenuText;
    l.fill = std::move(fill);
    l.outline = Rgb(6, 10, 36);
    l.outlineWidth = 2;
    l.shadowOffset = 2;
    return l;
}

// The baseline that centres a menu word on the cursor of item i.
float MenuBaseline(int item) {
    return kItemY[item] + kCursorSize / 2.0f + CapHeight(kMenuText) / 2;
}

// One picture of the cursor: a golden arrowhead, nudged right and brighter
// as the pulse (0..1) rises.
Picture Cursor(float pulse) {
    Picture pic(kCursorSize, kCursorSize);
    float dx = 3 * pulse;
    std::vector<Point> arrow = {{4 + dx, 6}, {27 + dx, 16}, {4 + dx, 26}, {10 + dx, 16}};
    Fill(pic, Dilate(PolygonMask(arrow), 2), Rgb(30, 16, 6));
    Color hot = Mix(Rgb(255, 200, 80), Rgb(255, 250, 210), pulse);
    Fill(pic, PolygonMask(arrow), [&](float, float y) {
        float t = Clamp01((y - 6) / 20);
        return Paint{Ramp({hot, Rgb(255, 170, 40), Rgb(190, 90, 20)}, t), 1};
    });
    Fill(pic, PolygonMask({{7 + dx, 9}, {22 + dx, 15.5f}, {11 + dx, 15}}), Rgb(255, 255, 230),
         0.35f + 0.5f * pulse);
    return pic;
}

} // namespace

void WriteTitle(const std::string &out) {
    Picture title = Sky();
    HeroShip(title, 440, 236);
    Logo(title);

    const char *const words[3] = {"Start", "Difficulty", "Quit"};
    for (int i = 0; i < 3; i++) {
        float base = MenuBaseline(i);
        Lettering menu = MenuStyle(VerticalGradient(
            base - 18, base, {Rgb(255, 255, 255), Rgb(200, 225, 255), Rgb(120, 160, 235)}));
        Draw(title, menu, words[i], kWordX, base);
    }
    Lettering hint;
    hint.style = {kSansFont, 13, 0.3f, 0};
    hint.fill = [](float, float) { return Paint{Rgb(150, 170, 210), 1}; };
    // Every key the title answers to, on one line that fits the picture.
    const std::string keys = "Arrows steer \xb7 Space fires \xb7 P pauses \xb7 Enter chooses \xb7 "
                             "Esc quits \xb7 H scores \xb7 O options";
    Draw(title, hint, keys, (640 - TextWidth(hint.style, keys)) / 2, 466);

    // The difficulty pictures share the sky behind the Difficulty row.
    Picture behind = title.Crop(kDifficultyX, kDifficultyY, kDifficultyW, kDifficultyH);
    MakeDirs(out + "/difficulty");
    const char *const levels[3] = {"Easy", "Normal", "Hard"};
    const Color tints[3] = {Rgb(130, 240, 150), Rgb(255, 210, 90), Rgb(255, 100, 80)};
    for (int d = 0; d < 3; d++) {
        Picture pic = behind;
        float base = MenuBaseline(1) - kDifficultyY;
        Lettering word = MenuStyle(VerticalGradient(
            base - 18, base,
            {Mix(tints[d], Rgb(255, 255, 255), 0.6f), tints[d], Scale(tints[d], 0.7f)}));
        Draw(pic, word, levels[d], 8, base);
        SaveBmp(pic, out + "/difficulty/" + std::to_string(d) + ".bmp", Backdrop::Opaque);
    }
    SaveBmp(title, out + "/titlescreen.bmp", Backdrop::Opaque);

    // The cursor pulses through eight pictures and back, each shown for
    // three drawn frames: about 0.7 s a beat at 60 frames a second.
    std::vector<Picture> pictures;
    for (int i = 0; i < 8; i++) {
        pictures.push_back(Cursor(0.5f - 0.5f * std::cos(3.14159265f * i / 7)));
    }
    std::vector<int> order;
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 6, 5, 4, 3, 2, 1}) {
        order.insert(order.end(), 3, i);
    }
    WriteSpriteSet(out + "/cursor", "cursor", pictures, order, 40,
                   "The title menu's cursor, pulsing.");
}
