#include "draw.h"
#include "fail.h"

#include <SDL/SDL.h>
#include <SDL/SDL_gfxPrimitives.h>

#include <algorithm>
#include <cmath>

Color Rgb(int r, int g, int b) {
    return {r / 255.0f, g / 255.0f, b / 255.0f};
}

Color Mix(Color a, Color b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Color Scale(Color c, float k) {
    return {c.r * k, c.g * k, c.b * k};
}

Color Add(Color a, Color b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}

Color Ramp(const std::vector<Color> &stops, float t) {
    if (stops.size() == 1) {
        return stops[0];
    }
    float pos = Clamp01(t) * static_cast<float>(stops.size() - 1);
    size_t i = std::min(static_cast<size_t>(pos), stops.size() - 2);
    return Mix(stops[i], stops[i + 1], pos - static_cast<float>(i));
}

float Clamp01(float v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

float SmoothStep(float edge0, float edge1, float x) {
    float t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

Picture::Picture(int width, int height)
    : w(width), h(height), px(static_cast<size_t>(width) * height * 4, 0.0f) {}

void Picture::Over(int x, int y, Color c, float a) {
    if (x < 0 || y < 0 || x >= w || y >= h || a <= 0) {
        return;
    }
    a = std::min(a, 1.0f);
    float *p = At(x, y);
    p[0] = c.r * a + p[0] * (1 - a);
    p[1] = c.g * a + p[1] * (1 - a);
    p[2] = c.b * a + p[2] * (1 - a);
    p[3] = a + p[3] * (1 - a);
}

void Picture::AddLight(int x, int y, Color c) {
    if (x < 0 || y < 0 || x >= w || y >= h) {
        return;
    }
    float *p = At(x, y);
    p[0] += c.r;
    p[1] += c.g;
    p[2] += c.b;
    float strength = Clamp01(std::max(c.r, std::max(c.g, c.b)));
    p[3] = strength + p[3] * (1 - strength);
}

void Picture::Draw(const Picture &src, int dx, int dy, float opacity) {
    for (int y = 0; y < src.h; y++) {
        for (int x = 0; x < src.w; x++) {
            int tx = x + dx, ty = y + dy;
            if (tx < 0 || ty < 0 || tx >= w || ty >= h) {
                continue;
            }
            const float *s = src.At(x, y);
            float *d = At(tx, ty);
            float a = s[3] * opacity;
            for (int k = 0; k < 3; k++) {
                d[k] = s[k] * opacity + d[k] * (1 - a);
            }
            d[3] = a + d[3] * (1 - a);
        }
    }
}

Picture Picture::Crop(int x, int y, int cw, int ch) const {
    Picture out(cw, ch);
    for (int j = 0; j < ch; j++) {
        for (int i = 0; i < cw; i++) {
            if (x + i >= 0 && y + j >= 0 && x + i < w && y + j < h) {
                std::copy_n(At(x + i, y + j), 4, out.At(i, j));
            }
        }
    }
    return out;
}

Mask::Mask(int left, int top, int width, int height)
    : x0(left), y0(top), w(std::max(width, 0)), h(std::max(height, 0)),
      v(static_cast<size_t>(w) * h, 0.0f) {}

float Mask::Get(int x, int y) const {
    if (x < x0 || y < y0 || x >= x0 + w || y >= y0 + h) {
        return 0;
    }
    return v[static_cast<size_t>(y - y0) * w + (x - x0)];
}

namespace {

constexpr int kSuper = 4; // supersampling factor per axis

struct Bounds {
    float x0, y0, x1, y1;
};

Bounds BoundsOf(const std::vector<Point> &pts, float pad) {
    Bounds b{1e9f, 1e9f, -1e9f, -1e9f};
    for (const Point &p : pts) {
        b.x0 = std::min(b.x0, p.x - pad);
        b.y0 = std::min(b.y0, p.y - pad);
        b.x1 = std::max(b.x1, p.x + pad);
        b.y1 = std::max(b.y1, p.y + pad);
    }
    return b;
}

// Runs draw on a black scratch surface four times the size of the bounds,
// where it paints the shape in white with SDL_gfx, then averages every
// 4x4 block into one coverage value.
template <class DrawFn> Mask Rasterise(Bounds b, DrawFn draw) {
    int left = static_cast<int>(std::floor(b.x0)) - 1;
    int top = static_cast<int>(std::floor(b.y0)) - 1;
    int w = static_cast<int>(std::ceil(b.x1)) + 2 - left;
    int h = static_cast<int>(std::ceil(b.y1)) + 2 - top;
    Mask m(left, top, w, h);
    if (w <= 0 || h <= 0) {
        return m;
    }
    if (w * kSuper > 32000 || h * kSuper > 32000) {
        Fail("shape too large to rasterise");
    }
    SDL_Surface *s = SDL_CreateRGBSurface(SDL_SWSURFACE, w * kSuper, h * kSuper, 32, 0xff0000,
                                          0x00ff00, 0x0000ff, 0);
    if (!s) {
        Fail(std::string("cannot make a scratch surface: ") + SDL_GetError());
    }
    SDL_FillRect(s, nullptr, 0);
    auto sx = [left](float x) { return static_cast<Sint16>(std::lround((x - left) * kSuper)); };
    auto sy = [top](float y) { return static_cast<Sint16>(std::lround((y - top) * kSuper)); };
    draw(s, sx, sy);
    const Uint8 *base = static_cast<const Uint8 *>(s->pixels);
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            int sum = 0;
            for (int j = 0; j < kSuper; j++) {
                const Uint32 *row =
                    reinterpret_cast<const Uint32 *>(base + (y * kSuper + j) * s->pitch);
                for (int i = 0; i < kSuper; i++) {
                    sum += (row[x * kSuper + i] >> 16) & 0xff;
                }
            }
            m.v[static_cast<size_t>(y) * w + x] = sum / (255.0f * kSuper * kSuper);
        }
    }
    SDL_FreeSurface(s);
    return m;
}

} // namespace

Mask PolygonMask(const std::vector<Point> &pts) {
    return Rasterise(BoundsOf(pts, 0), [&](SDL_Surface *s, auto sx, auto sy) {
        std::vector<Sint16> vx, vy;
        for (const Point &p : pts) {
            vx.push_back(sx(p.x));
            vy.push_back(sy(p.y));
        }
        filledPolygonRGBA(s, vx.data(), vy.data(), static_cast<int>(pts.size()), 255, 255, 255,
                          255);
    });
}

Mask EllipseMask(float cx, float cy, float rx, float ry) {
    Bounds b{cx - rx, cy - ry, cx + rx, cy + ry};
    return Rasterise(b, [&](SDL_Surface *s, auto sx, auto sy) {
        filledEllipseRGBA(s, sx(cx), sy(cy), static_cast<Sint16>(std::lround(rx * kSuper)),
                          static_cast<Sint16>(std::lround(ry * kSuper)), 255, 255, 255, 255);
    });
}

Mask StrokeMask(const std::vector<Point> &pts, float width) {
    return Rasterise(BoundsOf(pts, width), [&](SDL_Surface *s, auto sx, auto sy) {
        Sint16 radius = static_cast<Sint16>(std::lround(width * kSuper / 2));
        Uint8 thick = static_cast<Uint8>(std::min(255L, std::lround(width * kSuper)));
        for (size_t i = 0; i < pts.size(); i++) {
            filledCircleRGBA(s, sx(pts[i].x), sy(pts[i].y), radius, 255, 255, 255, 255);
            if (i + 1 < pts.size()) {
                thickLineRGBA(s, sx(pts[i].x), sy(pts[i].y), sx(pts[i + 1].x), sy(pts[i + 1].y),
                              thick, 255, 255, 255, 255);
            }
        }
    });
}

Mask TaperMask(const std::vector<Point> &pts, float w0, float w1) {
    std::vector<Point> left, right;
    for (size_t i = 0; i < pts.size(); i++) {
        const Point &a = pts[i > 0 ? i - 1 : 0];
        const Point &b = pts[i + 1 < pts.size() ? i + 1 : i];
        float dx = b.x - a.x, dy = b.y - a.y;
        float len = std::sqrt(dx * dx + dy * dy);
        if (len <= 0) {
            continue;
        }
        float t = pts.size() > 1 ? static_cast<float>(i) / (pts.size() - 1) : 0;
        float half = (w0 + (w1 - w0) * t) / 2;
        left.push_back({pts[i].x - dy / len * half, pts[i].y + dx / len * half});
        right.push_back({pts[i].x + dy / len * half, pts[i].y - dx / len * half});
    }
    left.insert(left.end(), right.rbegin(), right.rend());
    return Union(PolygonMask(left), EllipseMask(pts[0].x, pts[0].y, w0 / 2, w0 / 2));
}

std::vector<Point> Bezier(Point a, Point b, Point c, Point d, int steps) {
    std::vector<Point> out;
    for (int i = 0; i <= steps; i++) {
        float t = static_cast<float>(i) / steps, u = 1 - t;
        float k0 = u * u * u, k1 = 3 * u * u * t, k2 = 3 * u * t * t, k3 = t * t * t;
        out.push_back(
            {a.x * k0 + b.x * k1 + c.x * k2 + d.x * k3, a.y * k0 + b.y * k1 + c.y * k2 + d.y * k3});
    }
    return out;
}

std::vector<Point> MirrorY(const std::vector<Point> &pts, float axis) {
    std::vector<Point> out;
    for (auto it = pts.rbegin(); it != pts.rend(); ++it) {
        out.push_back({it->x, 2 * axis - it->y});
    }
    return out;
}

namespace {

// Combines two masks pixel by pixel over the union of their rectangles.
template <class Op> Mask Combine(const Mask &a, const Mask &b, Op op) {
    int left = std::min(a.x0, b.x0), top = std::min(a.y0, b.y0);
    int right = std::max(a.x0 + a.w, b.x0 + b.w), bottom = std::max(a.y0 + a.h, b.y0 + b.h);
    Mask m(left, top, right - left, bottom - top);
    for (int y = top; y < bottom; y++) {
        for (int x = left; x < right; x++) {
            m.Cell(x, y) = op(a.Get(x, y), b.Get(x, y));
        }
    }
    return m;
}

} // namespace

Mask Subtract(const Mask &a, const Mask &b) {
    return Combine(a, b, [](float p, float q) { return p * (1 - q); });
}

Mask Union(const Mask &a, const Mask &b) {
    return Combine(a, b, [](float p, float q) { return p + q - p * q; });
}

Mask Dilate(const Mask &m, int r) {
    Mask out(m.x0 - r, m.y0 - r, m.w + 2 * r, m.h + 2 * r);
    for (int y = out.y0; y < out.y0 + out.h; y++) {
        for (int x = out.x0; x < out.x0 + out.w; x++) {
            float best = 0;
            for (int j = -r; j <= r; j++) {
                for (int i = -r; i <= r; i++) {
                    float d = std::sqrt(static_cast<float>(i * i + j * j));
                    if (d <= r + 0.5f) {
                        best = std::max(best, m.Get(x + i, y + j) * Clamp01(r + 0.5f - d + 0.5f));
                    }
                }
            }
            out.Cell(x, y) = best;
        }
    }
    return out;
}

Mask Blur(const Mask &m, int r) {
    int pad = 3 * r;
    Mask cur(m.x0 - pad, m.y0 - pad, m.w + 2 * pad, m.h + 2 * pad);
    for (int y = m.y0; y < m.y0 + m.h; y++) {
        for (int x = m.x0; x < m.x0 + m.w; x++) {
            cur.Cell(x, y) = m.Get(x, y);
        }
    }
    std::vector<float> tmp(cur.v.size());
    float norm = 1.0f / (2 * r + 1);
    for (int pass = 0; pass < 6; pass++) {
        bool horizontal = pass % 2 == 0;
        for (int y = 0; y < cur.h; y++) {
            for (int x = 0; x < cur.w; x++) {
                float sum = 0;
                for (int k = -r; k <= r; k++) {
                    int sx = horizontal ? x + k : x, sy = horizontal ? y : y + k;
                    if (sx >= 0 && sy >= 0 && sx < cur.w && sy < cur.h) {
                        sum += cur.v[static_cast<size_t>(sy) * cur.w + sx];
                    }
                }
                tmp[static_cast<size_t>(y) * cur.w + x] = sum * norm;
            }
        }
        cur.v.swap(tmp);
    }
    return cur;
}

Mask Shift(const Mask &m, int dx, int dy) {
    Mask out = m;
    out.x0 += dx;
    out.y0 += dy;
    return out;
}

void Fill(Picture &pic, const Mask &m, Color c, float opacity) {
    Fill(pic, m, [&](float, float) { return Paint{c, opacity}; });
}

void Fill(Picture &pic, const Mask &m, const Shader &shade) {
    for (int y = std::max(m.y0, 0); y < std::min(m.y0 + m.h, pic.h); y++) {
        for (int x = std::max(m.x0, 0); x < std::min(m.x0 + m.w, pic.w); x++) {
            float cov = m.Get(x, y);
            if (cov > 0) {
                Paint p = shade(x + 0.5f, y + 0.5f);
                pic.Over(x, y, p.c, p.a * cov);
            }
        }
    }
}

void Light(Picture &pic, const Mask &m, Color c) {
    for (int y = std::max(m.y0, 0); y < std::min(m.y0 + m.h, pic.h); y++) {
        for (int x = std::max(m.x0, 0); x < std::min(m.x0 + m.w, pic.w); x++) {
            float cov = m.Get(x, y);
            if (cov > 0) {
                pic.AddLight(x, y, Scale(c, cov));
            }
        }
    }
}

void Glow(Picture &pic, float cx, float cy, float r, Color c) {
    int x0 = std::max(0, static_cast<int>(cx - r)),
        x1 = std::min(pic.w - 1, static_cast<int>(cx + r));
    int y0 = std::max(0, static_cast<int>(cy - r)),
        y1 = std::min(pic.h - 1, static_cast<int>(cy + r));
    for (int y = y0; y <= y1; y++) {
        for (int x = x0; x <= x1; x++) {
            float dx = (x + 0.5f - cx) / r, dy = (y + 0.5f - cy) / r;
            float d2 = dx * dx + dy * dy;
            if (d2 < 1) {
                float f = (1 - d2) * (1 - d2);
                pic.AddLight(x, y, Scale(c, f * f));
            }
        }
    }
}

float SphereLight(float x, float y, float cx, float cy, float r, float lx, float ly) {
    float nx = (x - cx) / r, ny = (y - cy) / r;
    float nz2 = 1 - nx * nx - ny * ny;
    float nz = nz2 > 0 ? std::sqrt(nz2) : 0;
    float lz = std::sqrt(std::max(0.0f, 1 - lx * lx - ly * ly));
    float diffuse = std::max(0.0f, nx * lx + ny * ly + nz * lz);
    // Specular highlight of the same light seen head-on.
    float hx = lx, hy = ly, hz = lz + 1;
    float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
    float shine = std::max(0.0f, (nx * hx + ny * hy + nz * hz) / hl);
    return Clamp01(0.15f + 0.75f * diffuse + 0.35f * std::pow(shine, 24.0f));
}
