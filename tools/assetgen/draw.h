// Shared drawing layer of the asset generator: colours, a floating-point
// picture with alpha, anti-aliased coverage masks for shapes, and the ways
// to paint through them (flat, shaded, or as added light).
//
// Everything here is deterministic: the same calls give the same bytes on
// every run, which is what lets the committed data tree be checked.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct Color {
    float r = 0, g = 0, b = 0;
};

// A colour from 8-bit components, the way artists write them.
Color Rgb(int r, int g, int b);
Color Mix(Color a, Color b, float t);
Color Scale(Color c, float k);
Color Add(Color a, Color b);
// Linear ramp through evenly spaced colour stops, t in 0..1 (clamped).
Color Ramp(const std::vector<Color> &stops, float t);

float Clamp01(float v);
float SmoothStep(float edge0, float edge1, float x);

struct Point {
    float x, y;
};

// A picture with premultiplied colour and coverage, painted back to front.
// A new picture is fully transparent.
struct Picture {
    int w = 0, h = 0;
    std::vector<float> px; // r, g, b premultiplied, then alpha

    Picture() = default;
    Picture(int width, int height);

    float *At(int x, int y) { return &px[(static_cast<size_t>(y) * w + x) * 4]; }
    const float *At(int x, int y) const { return &px[(static_cast<size_t>(y) * w + x) * 4]; }

    // Paint colour c with opacity a over the pixel.
    void Over(int x, int y, Color c, float a);
    // Add light: brightens what is there and makes it as opaque as the light is bright.
    void AddLight(int x, int y, Color c);
    // Lay another picture over this one with its top-left corner at (dx, dy).
    void Draw(const Picture &src, int dx, int dy, float opacity = 1.0f);
    Picture Crop(int x, int y, int cw, int ch) const;
};

// Coverage of a shape, 0..1 per pixel, over a rectangle of the picture.
struct Mask {
    int x0 = 0, y0 = 0, w = 0, h = 0;
    std::vector<float> v;

    Mask() = default;
    Mask(int left, int top, int width, int height);
    float Get(int x, int y) const; // picture coordinates; 0 outside
    float &Cell(int x, int y) { return v[static_cast<size_t>(y - y0) * w + (x - x0)]; }
};

// Shapes, rasterised by SDL_gfx at four times the size and averaged down,
// which gives every edge sixteen coverage levels.
Mask PolygonMask(const std::vector<Point> &pts);
Mask EllipseMask(float cx, float cy, float rx, float ry);
// A thick polyline with round joins; width in pixels.
Mask StrokeMask(const std::vector<Point> &pts, float width);
// A stroke whose width runs from w0 at the first point to w1 at the last,
// like a tentacle or a horn; the wide end is rounded.
Mask TaperMask(const std::vector<Point> &pts, float w0, float w1);
// Points along a cubic curve, for strokes and outlines.
std::vector<Point> Bezier(Point a, Point b, Point c, Point d, int steps);
// The same points mirrored about the horizontal line y = axis.
std::vector<Point> MirrorY(const std::vector<Point> &pts, float axis);

Mask Subtract(const Mask &a, const Mask &b);
Mask Union(const Mask &a, const Mask &b);
// Grows the shape by r pixels (round brush); used for outlines.
Mask Dilate(const Mask &m, int r);
// Soft copy of the mask, box-blurred three times with radius r.
Mask Blur(const Mask &m, int r);
Mask Shift(const Mask &m, int dx, int dy);

// A colour and opacity chosen for each pixel centre of a shape.
struct Paint {
    Color c;
    float a = 1.0f;
};
using Shader = std::function<Paint(float x, float y)>;

void Fill(Picture &pic, const Mask &m, Color c, float opacity = 1.0f);
void Fill(Picture &pic, const Mask &m, const Shader &shade);
// Add light of colour c through the mask (intensity per covered pixel).
void Light(Picture &pic, const Mask &m, Color c);
// A round additive glow that falls off smoothly to nothing at radius r.
void Glow(Picture &pic, float cx, float cy, float r, Color c);

// Shading for a ball lit from the upper left: returns 0..1 brightness of
// the point (x, y) of the disc centred on (cx, cy) with radius r.
float SphereLight(float x, float y, float cx, float cy, float r, float lx = -0.55f,
                  float ly = -0.6f);
