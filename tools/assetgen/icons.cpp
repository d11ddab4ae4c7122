// The application icon: the player's ship over a disc of deep space, at the
// sizes of the desktop's icon theme, written as PNG with straight alpha.
//
// The ship is the 72x52 frame the game flies, resampled to each size; the
// disc, its rim and the stars are drawn at each size so their edges stay
// sharp.
#include "assets.h"
#include "draw.h"
#include "output.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Catmull-Rom weight at distance d (in source pixels, scaled for shrinking).
float CubicWeight(float d) {
    d = std::abs(d);
    if (d < 1) {
        return 1.5f * d * d * d - 2.5f * d * d + 1;
    }
    if (d < 2) {
        return -0.5f * d * d * d + 2.5f * d * d - 4 * d + 2;
    }
    return 0;
}

// Resamples one axis of premultiplied pixels: `count` rows of `from` values
// spaced `stride` floats apart become rows of `to` values. When shrinking the
// filter widens so that every source pixel counts.
std::vector<float> ResampleAxis(const std::vector<float> &src, int from, int to, int count,
                                bool alongRows) {
    std::vector<float> dst(static_cast<size_t>(to) * count * 4, 0.0f);
    float scale = static_cast<float>(to) / from;
    float widen = scale < 1 ? 1 / scale : 1;
    for (int i = 0; i < to; i++) {
        float centre = (i + 0.5f) / scale - 0.5f;
        int first = static_cast<int>(std::floor(centre - 2 * widen));
        int last = static_cast<int>(std::ceil(centre + 2 * widen));
        std::vector<float> weights;
        float total = 0;
        for (int k = first; k <= last; k++) {
            float w = CubicWeight((k - centre) / widen);
            weights.push_back(w);
            total += w;
        }
        for (int line = 0; line < count; line++) {
            float sum[4] = {0, 0, 0, 0};
            for (int k = first; k <= last; k++) {
                int s = std::clamp(k, 0, from - 1);
                size_t at = alongRows ? (static_cast<size_t>(line) * from + s) * 4
                                      : (static_cast<size_t>(s) * count + line) * 4;
                for (int c = 0; c < 4; c++) {
                    sum[c] += src[at + c] * weights[k - first];
                }
            }
            size_t out = alongRows ? (static_cast<size_t>(line) * to + i) * 4
                                   : (static_cast<size_t>(i) * count + line) * 4;
            for (int c = 0; c < 4; c++) {
                dst[out + c] = sum[c] / total;
            }
        }
    }
    return dst;
}

Picture Resize(const Picture &src, int w, int h) {
    Picture pic(w, h);
    std::vector<float> wide = ResampleAxis(src.px, src.w, w, src.h, true);
    pic.px = ResampleAxis(wide, src.h, h, w, false);
    // The cubic filter overshoots at edges; keep colour within its coverage.
    for (size_t i = 0; i < pic.px.size(); i += 4) {
        float a = Clamp01(pic.px[i + 3]);
        pic.px[i + 3] = a;
        for (int c = 0; c < 3; c++) {
            pic.px[i + c] = std::clamp(pic.px[i + c], 0.0f, a);
        }
    }
    return pic;
}

Picture Icon(const Picture &ship, int size) {
    Picture pic(size, size);
    float s = static_cast<float>(size);
    float mid = s / 2, radius = s * 0.47f;
    // Deep space, lighter towards the upper left like the title screen's sky.
    Fill(pic, EllipseMask(mid, mid, radius, radius), [&](float x, float y) {
        float t = Clamp01(std::hypot(x - s * 0.35f, y - s * 0.3f) / (s * 0.8f));
        return Paint{Ramp({Rgb(44, 58, 120), Rgb(18, 22, 58), Rgb(6, 8, 22)}, t), 1};
    });
    // A thin bright rim lifts the disc off dark panels.
    Fill(pic,
         Subtract(EllipseMask(mid, mid, radius, radius),
                  EllipseMask(mid, mid, radius - std::max(1.0f, s / 40),
                              radius - std::max(1.0f, s / 40))),
         Rgb(120, 170, 255), 0.8f);
    // A few stars, placed as fractions of the size.
    const float stars[][3] = {{0.24f, 0.26f, 0.9f}, {0.70f, 0.20f, 0.7f}, {0.80f, 0.68f, 0.8f},
                              {0.30f, 0.78f, 0.6f}, {0.56f, 0.12f, 0.5f}, {0.15f, 0.55f, 0.5f}};
    for (const auto &star : stars) {
        Glow(pic, star[0] * s, star[1] * s, std::max(1.5f, s / 50),
             Scale(Rgb(220, 235, 255), star[2]));
    }
    // The ship, as wide as most of the disc, with its exhaust glowing behind it.
    int shipW = static_cast<int>(std::lround(s * 0.8f));
    int shipH = static_cast<int>(std::lround(shipW * static_cast<float>(ship.h) / ship.w));
    int left = (size - shipW) / 2, top = (size - shipH) / 2;
    Glow(pic, left + shipW * 0.06f, top + shipH * 0.5f, s * 0.16f, Rgb(40, 90, 200));
    pic.Draw(Resize(ship, shipW, shipH), left, top);
    return pic;
}

// libpng's errors end the generator at once, so it never jumps back.
[[noreturn]] void PngError(png_structp, png_const_charp message) {
    Fail(std::string("cannot encode a PNG: ") + message);
}

void SavePng(const Picture &pic, const std::string &path) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) {
        Fail("cannot write " + path);
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        Fail("cannot encode " + path);
    }
    png_init_io(png, f);
    // A fixed compression level; no time or text chunks, so the bytes depend
    // only on the pixels.
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, pic.w, pic.h, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(pic.w) * 4);
    for (int y = 0; y < pic.h; y++) {
        for (int x = 0; x < pic.w; x++) {
            const float *p = pic.At(x, y);
            float a = Clamp01(p[3]);
            for (int c = 0; c < 3; c++) {
                float straight = a > 0 ? p[c] / a : 0;
                row[x * 4 + c] = static_cast<png_byte>(std::lround(Clamp01(straight) * 255));
            }
            row[x * 4 + 3] = static_cast<png_byte>(std::lround(a * 255));
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(f) != 0) {
        Fail("cannot write " + path);
    }
}

} // namespace

void WriteIcons(const std::string &out) {
    Picture ship = ShipPicture();
    for (int size : {32, 48, 64, 128, 256}) {
        std::string dir = out + "/" + std::to_string(size) + "x" + std::to_string(size);
        MakeDirs(dir);
        SavePng(Icon(ship, size), dir + "/quarndel.png");
    }
}
