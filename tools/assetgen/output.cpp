#include "output.h"

#include <SDL/SDL.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <sys/stat.h>

namespace {

// A fixed, position-based dither of +-half a step, so gradients do not band.
float Dither(int x, int y) {
    unsigned h = static_cast<unsigned>(x) * 73856093u ^ static_cast<unsigned>(y) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return ((h & 0xffff) / 65535.0f - 0.5f) / 255.0f;
}

Uint8 ToByte(float v) {
    return static_cast<Uint8>(std::lround(Clamp01(v) * 255.0f));
}

} // namespace

void SaveBmp(const Picture &pic, const std::string &path, Backdrop how) {
    SDL_Surface *s =
        SDL_CreateRGBSurface(SDL_SWSURFACE, pic.w, pic.h, 24, 0xff0000, 0x00ff00, 0x0000ff, 0);
    if (!s) {
        Fail(std::string("cannot make a surface: ") + SDL_GetError());
    }
    const Color rim = Rgb(10, 12, 26);
    for (int y = 0; y < pic.h; y++) {
        Uint8 *row = static_cast<Uint8 *>(s->pixels) + y * s->pitch;
        for (int x = 0; x < pic.w; x++) {
            const float *p = pic.At(x, y);
            Uint8 r, g, b;
            if (how == Backdrop::Opaque) {
                float d = Dither(x, y);
                r = ToByte(p[0] + d);
                g = ToByte(p[1] + d);
                b = ToByte(p[2] + d);
            } else if (p[3] < 0.5f) {
                r = g = b = 0;
            } else {
                float k = 1 - std::min(p[3], 1.0f);
                r = ToByte(p[0] + rim.r * k);
                g = ToByte(p[1] + rim.g * k);
                b = ToByte(p[2] + rim.b * k);
                if (r == 0 && g == 0 && b == 0) {
                    r = 8, g = 8, b = 16; // pure black would be a hole
                }
            }
            row[x * 3 + 0] = b;
            row[x * 3 + 1] = g;
            row[x * 3 + 2] = r;
        }
    }
    if (SDL_SaveBMP(s, path.c_str()) != 0) {
        Fail("cannot write " + path + ": " + SDL_GetError());
    }
    SDL_FreeSurface(s);
}

void WriteSpriteSet(const std::string &dir, const std::string &name,
                    const std::vector<Picture> &pictures, const std::vector<int> &order,
                    int pauseMs, const std::string &comment) {
    MakeDirs(dir);
    for (size_t i = 0; i < pictures.size(); i++) {
        SaveBmp(pictures[i], dir + "/" + name + "_" + std::to_string(i) + ".bmp",
                Backdrop::BlackKey);
    }
    std::string info = "FILES: " + std::to_string(order.size()) + "\n";
    info += "# " + comment + "\n";
    info += "# Each line: bitmap, milliseconds shown, transparent colour (red green blue).\n";
    for (int k : order) {
        info += name + "_" + std::to_string(k) + ".bmp " + std::to_string(pauseMs) + " 0 0 0\n";
    }
    WriteFile(dir + "/info", info);
}

void MakeDirs(const std::string &path) {
    for (size_t i = 1; i <= path.size(); i++) {
        if (i == path.size() || path[i] == '/') {
            std::string part = path.substr(0, i);
            if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
                Fail("cannot make folder " + part);
            }
        }
    }
}

void WriteFile(const std::string &path, const std::string &bytes) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
        Fail("cannot write " + path);
    }
    std::fclose(f);
}
