#include "check/startup_files.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "check/frame_list.h"
#include "check/pictures.h"
#include "sprites/image.h"

namespace {

// Loads a start-up picture as the game does; null (and an error) when the
// game would go on without it.
SDL_Surface *LoadStartupPicture(const char *path, const std::string &effect, Report &report) {
    SDL_Surface *image = LoadImage(path);
    if (image == nullptr) {
        std::string fault = PictureFault(path);
        report.Error(path, 0, (fault.empty() ? "cannot be loaded" : fault) + ": " + effect);
    }
    return image;
}

// A start-up picture drawn with its corner at (x, y).
void CheckPlacedPicture(const char *path, const std::string &what, int x, int y,
                        const std::string &effect, Report &report) {
    SDL_Surface *image = LoadStartupPicture(path, effect, report);
    if (image != nullptr) {
        CheckOnScreen(path, what, image->w, image->h, x, y, report);
        SDL_FreeSurface(image);
    }
}

void CheckStartupSet(const std::string &dir, int framesNeeded, const std::string &need,
                     const std::string &effect, Report &report) {
    int errors = report.Count(Severity::Error);
    SetCheck set = CheckSpriteSet(dir, report);
    if (!set.readable) {
        report.Error(dir + "/info", 0, "is missing: " + effect);
    } else if (set.frames < framesNeeded && report.Count(Severity::Error) == errors) {
        report.Error(dir + "/info", 0,
                     "the set has " + Counted(set.frames, "frame", "frames") + " but " + need);
    }
}

void CheckTitleTune(const char *path, Report &report) {
    FILE *file = OpenRegularFile(path, "rb");
    if (file == nullptr) {
        report.Error(path, 0, "is missing: the title screen plays no tune");
        return;
    }
    char magic[4] = {};
    size_t got = fread(magic, 1, sizeof magic, file);
    fclose(file);
    if (got != sizeof magic || memcmp(magic, "MThd", sizeof magic) != 0) {
        report.Error(path, 0, "is not a MIDI file: the title screen plays no tune");
    }
}

} // namespace

void CheckStartupFiles(Report &report) {
    const char *title = "data/titlescreen.bmp";
    SDL_Surface *image = LoadStartupPicture(title, "the title screen is black", report);
    if (image != nullptr) {
        if (image->w != kScreenWidth || image->h != kScreenHeight) {
            report.Error(title, 0,
                         "the title screen is " + SizeText(image->w, image->h) +
                             ", not 640x480: it does not fill the window");
        }
        SDL_FreeSurface(image);
    }
    for (const char *path :
         {"data/difficulty/0.bmp", "data/difficulty/1.bmp", "data/difficulty/2.bmp"}) {
        CheckPlacedPicture(path, "the difficulty picture", 300, 362,
                           "the title screen shows no difficulty for it", report);
    }
    CheckPlacedPicture("data/paused.bmp", "the paused picture", 200, 100,
                       "a paused game shows no sign of it", report);
    CheckPlacedPicture("data/gameover.bmp", "the game-over picture", 10, 30,
                       "the end of a game shows no game-over picture", report);
    CheckStartupSet("data/cursor", 1, "the title menu needs 1", "the title menu shows no cursor",
                    report);
    CheckStartupSet("data/enemy", 2,
                    "the enemies need 2: frame 0 flies the wave, frame 1 flies straight",
                    "the game draws no enemies", report);
    CheckTitleTune("data/music/title_screen.mid", report);
}
