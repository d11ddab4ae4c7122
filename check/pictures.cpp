#include "check/pictures.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sprites/image.h"

namespace {

void ReadRgb(SDL_Surface *image, int x, int y, int rgb[3]) {
    const Uint8 *p =
        (const Uint8 *)image->pixels + y * image->pitch + x * image->format->BytesPerPixel;
    Uint32 value = 0;
    memcpy(&value, p, image->format->BytesPerPixel); // little-endian, like the game's targets
    Uint8 r = 0;
    Uint8 g = 0;
    Uint8 b = 0;
    SDL_GetRGB(value, image->format, &r, &g, &b);
    rgb[0] = r;
    rgb[1] = g;
    rgb[2] = b;
}

std::string OneDecimal(double v) {
    char text[32];
    snprintf(text, sizeof text, "%.1f", v);
    return text;
}

} // namespace

std::string SizeText(int w, int h) {
    return std::to_string(w) + "x" + std::to_string(h);
}

std::string PictureFault(const std::string &path) {
    FILE *file = OpenRegularFile(path.c_str(), "rb");
    if (file == nullptr) {
        return "is missing";
    }
    fclose(file);
    SDL_Surface *image = LoadBmp(path.c_str());
    if (image == nullptr) {
        return "is not a BMP picture the game can read";
    }
    SDL_FreeSurface(image);
    return "";
}

double ColumnDifference(SDL_Surface *image, int a, int b) {
    SDL_LockSurface(image);
    double total = 0.0;
    for (int y = 0; y < image->h; ++y) {
        int p[3];
        int q[3];
        ReadRgb(image, a, y, p);
        ReadRgb(image, b, y, q);
        total += (abs(p[0] - q[0]) + abs(p[1] - q[1]) + abs(p[2] - q[2])) / 3.0;
    }
    SDL_UnlockSurface(image);
    return image->h > 0 ? total / image->h : 0.0;
}

void CheckBackground(const std::string &path, SDL_Surface *image, Report &report) {
    if (image->w != kScreenWidth || image->h != kScreenHeight) {
        std::string effect = image->w < kScreenWidth || image->h < kScreenHeight
                                 ? "the scroll shows black where the picture ends"
                                 : "the game shows only its top-left 640x480 and wraps at "
                                   "column 639";
        report.Error(path, 0,
                     "the background is " + SizeText(image->w, image->h) +
                         ", not 640x480: " + effect);
    }
    if (image->w < kScreenWidth) {
        return;
    }
    // The scroll draws column 0 right after column 639 (the game hides 639
    // under 0, one pixel that nobody sees); a jump in colour there is a
    // vertical line that runs across the screen every 640 frames.
    int last = kScreenWidth - 1;
    double seam = ColumnDifference(image, last, 0);
    double neighbours = 0.0;
    for (int x = 0; x < last; ++x) {
        neighbours += ColumnDifference(image, x, x + 1);
    }
    neighbours /= last;
    if (seam > kSeamMinDifference && seam > kSeamNeighbourFactor * neighbours) {
        report.Error(path, 0,
                     "column 639 does not run on into column 0 (mean colour difference " +
                         OneDecimal(seam) + ", neighbouring columns differ by " +
                         OneDecimal(neighbours) +
                         "): a seam crosses the screen as the background wraps");
    }
}

void CheckOnScreen(const std::string &path, const std::string &what, int w, int h, int x, int y,
                   Report &report) {
    int right = x + w - kScreenWidth;
    int bottom = y + h - kScreenHeight;
    if (right <= 0 && bottom <= 0) {
        return;
    }
    std::string over;
    if (right > 0) {
        over = std::to_string(right) + " pixels past the right edge";
    }
    if (bottom > 0) {
        over += (over.empty() ? "" : " and ") + std::to_string(bottom) + " pixels past the bottom";
    }
    report.Error(path, 0,
                 what + " is " + SizeText(w, h) + ": drawn at (" + std::to_string(x) + ", " +
                     std::to_string(y) + ") it runs " + over + " of the 640x480 screen");
}
