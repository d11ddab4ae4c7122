#include <cstdio>
#include <string>
#include <vector>

#include "sprites/image.h"
#include "sprites/sprite.h"

namespace {

int BoundedFrameCount(int announced) {
    if (announced < 0) {
        return 0;
    }
    return announced > kMaxFrames ? kMaxFrames : announced;
}

void FreeFrames(SpriteFrame *frames, int count) {
    if (frames == nullptr) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (frames[i].image != nullptr) {
            SDL_FreeSurface(frames[i].image);
        }
    }
    delete[] frames;
}

// Reads one frame bitmap, keys it and converts it. Null when it is missing,
// no valid BMP or larger than the pixels left in *budget; what it decodes is
// taken from *budget.
SDL_Surface *LoadFrame(const char *dir, const char *name, int red, int green, int blue,
                       long *budget) {
    char path[kPathSize];
    int n = JoinPath(path, sizeof path, dir, name);
    if (name[0] == '\0' || n < 0 || n >= (int)sizeof path) {
        return nullptr;
    }
    SDL_Surface *bitmap = LoadBmp(path, *budget);
    if (bitmap == nullptr) {
        return nullptr;
    }
    *budget -= (long)bitmap->w * bitmap->h;
    if (red >= 0) {
        // Each colour value counts modulo 256, as the byte it becomes.
        Uint32 key = SDL_MapRGB(bitmap->format, (Uint8)red, (Uint8)green, (Uint8)blue);
        SDL_SetColorKey(bitmap, SDL_SRCCOLORKEY, key);
    }
    SDL_Surface *converted = SDL_DisplayFormat(bitmap);
    SDL_FreeSurface(bitmap);
    return converted;
}

// A picture already decoded in this load, with the colour key it was given.
// Frame lists often name one picture many times (a slow animation repeats
// its frames); those frames share one surface instead of decoding it again.
struct DecodedFrame {
    std::string name;
    int key; // -1 for no colour key, else the key's red, green and blue bytes
    SDL_Surface *image;
};

int KeyOf(int red, int green, int blue) {
    return red < 0 ? -1 : ((red & 0xff) << 16) | ((green & 0xff) << 8) | (blue & 0xff);
}

} // namespace

bool IsFrameListSkippedLine(const char *line) {
    return line[0] == '\0' || line[0] == '#' || line[0] == '\r' || line[0] == '\n';
}

SDL_Surface *SpriteSet::Image(int frame) const {
    if (frames == nullptr || frame < 0 || frame >= frameCount) {
        return nullptr;
    }
    return frames[frame].image;
}

int SpriteSet::Pause(int frame) const {
    if (frames == nullptr || frame < 0 || frame >= frameCount) {
        return 0;
    }
    return frames[frame].pause;
}

int SpriteSet::Load(const char *dir) {
    FILE *file = OpenDataFile(dir, "info", "r");
    if (file == nullptr) {
        return -1;
    }

    SpriteFrame *oldFrames = frames;
    int oldCount = frameCount;
    char line[kLineSize];
    int announced = 0;
    if (ReadTextLine(line, sizeof line, file) != nullptr &&
        sscanf(line, kFrameListHeader, &announced) == 1) {
        frameCount = BoundedFrameCount(announced);
    }

    // The old frames are replaced whole; nothing refers to them any more.
    FreeFrames(oldFrames, oldCount);
    frames = frameCount > 0 ? new SpriteFrame[frameCount] : nullptr;
    built = 1;

    // Values a frame line leaves out carry over from the line before.
    char name[kLineSize] = "";
    int pause = 0;
    int red = 0;
    int green = 0;
    int blue = 0;
    std::vector<DecodedFrame> decoded;
    long budget = kSetPixelBudget;
    int i = 0;
    while (i < frameCount && ReadTextLine(line, sizeof line, file) != nullptr) {
        if (IsFrameListSkippedLine(line)) {
            continue;
        }
        sscanf(line, kFrameLineFormat, name, &pause, &red, &green, &blue);
        SDL_Surface *image = nullptr;
        int key = KeyOf(red, green, blue);
        for (const DecodedFrame &d : decoded) {
            if (d.key == key && d.name == name) {
                image = d.image;
                image->refcount += 1; // freed once per frame that holds it
                break;
            }
        }
        if (image == nullptr) {
            image = LoadFrame(dir, name, red, green, blue, &budget);
            if (image == nullptr) {
                fclose(file);
                return -1;
            }
            decoded.push_back({name, key, image});
        }
        frames[i].image = image;
        frames[i].pause = pause;
        if (w == 0) {
            w = image->w;
        }
        if (h == 0) {
            h = image->h;
        }
        ++i;
    }
    fclose(file);
    return 0;
}
