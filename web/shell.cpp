#include "web/shell.h"

#include <emscripten.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <SDL_mixer.h>

#include "app/loop_shell.h"
#include "app/options.h"
#include "files/settings.h"
#include "game/game.h"
#include "levelsets/level_sets.h"
#include "replay/replay.h"
#include "screens/options_items.h"
#include "window/window.h"

// SDL's own entry for a key event (its keyboard code, not a public call):
// it updates the held-key array and the modifiers and queues the event.
extern "C" int SDL_PrivateKeyboard(Uint8 state, SDL_keysym *key);

namespace {

// The frame in the canvas's byte order (red, green, blue, alpha).
Uint8 canvasPixels[640 * 480 * 4];

// Copies the 640x480 screen to the page's canvas. The screen is the
// desktop's 32-bit surface; the canvas wants its bytes in RGBA order.
void CopyToCanvas(SDL_Surface *surface) {
    if (surface == nullptr || surface->w != 640 || surface->h != 480 ||
        surface->format->BytesPerPixel != 4) {
        return;
    }
    // Without a page (a replay under node) no one looks at the canvas.
    if (EM_ASM_INT({ return Module.quarndelPresent ? 1 : 0; }) == 0) {
        return;
    }
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) < 0) {
        return;
    }
    const SDL_PixelFormat *f = surface->format;
    Uint8 *out = canvasPixels;
    for (int y = 0; y < 480; ++y) {
        const Uint32 *row = (const Uint32 *)((const Uint8 *)surface->pixels + y * surface->pitch);
        for (int x = 0; x < 640; ++x) {
            Uint32 p = row[x];
            *out++ = (Uint8)((p & f->Rmask) >> f->Rshift);
            *out++ = (Uint8)((p & f->Gmask) >> f->Gshift);
            *out++ = (Uint8)((p & f->Bmask) >> f->Bshift);
            *out++ = 255;
        }
    }
    if (SDL_MUSTLOCK(surface)) {
        SDL_UnlockSurface(surface);
    }
    EM_ASM(
        {
            if (Module.quarndelPresent) {
                Module.quarndelPresent($0);
            }
        },
        canvasPixels);
}

// The page sizes the picture: it is told the fit (whole factors or filled)
// when the game starts and whenever the options change it.
int fitTold = -1;
void TellPageTheFit() {
    int fill = FullscreenFills() ? 1 : 0;
    if (fill != fitTold) {
        fitTold = fill;
        EM_ASM(
            {
                if (Module.quarndelFit) {
                    Module.quarndelFit($0);
                }
            },
            fill);
    }
}

void BeforeCanvasFrame(SDL_Surface *) {
    TellPageTheFit();
}

// The page keeps the settings and scores folders in the browser's storage:
// what the game wrote there goes to it now.
void KeepWrittenFiles() {
    EM_ASM({
        if (Module.quarndelStore) {
            Module.quarndelStore();
        }
    });
}

// After an iteration's writes: the page stores the settings written, and the
// scores once a game has ended (a score entry that waited for the table's
// lock is stored by the page's own round a few seconds later).
unsigned char wasOver = 1;
void KeepIterationFiles(bool settingsWritten) {
    bool ended = game.gameOver == 1 && wasOver == 0;
    wasOver = game.gameOver;
    if (settingsWritten || ended) {
        KeepWrittenFiles();
    }
}

// A headless replay draws only its last frame: the page shows that one when
// the replay ends, before SDL closes.
void ShowLastFrame() {
    if (ReplayWithoutWaiting()) {
        CopyToCanvas(screen);
    }
}

void WhenSeeded() {
    atexit(ShowLastFrame); // runs before the replay's end and SDL's closing
}

// The play loop has ended: the settings changed last are written, waiting a
// little for another game's lock, and the page stores them with the scores.
void KeepLastFiles() {
    WritePendingSettings(stderr, 1000);
    KeepWrittenFiles();
}

} // namespace

void InstallWebHooks() {
    ShellParts parts;
    // Every shown frame goes to the canvas, with what H, O or L opens over
    // the title and the muted mark, except in a headless replay.
    parts.show = CopyToCanvas;
    parts.framesUnseen = ReplayWithoutWaiting;
    parts.beforeShow = BeforeCanvasFrame;
    parts.beforePoll = WebMixerFrame;
    parts.seeded = WhenSeeded;
    parts.iterationWritten = KeepIterationFiles;
    parts.finished = KeepLastFiles;
    InstallShell(parts); // the key bindings; the pad comes from the page
    fitTold = -1;
    ShowWindowOptions(false);
}

extern "C" EMSCRIPTEN_KEEPALIVE void QuarndelKey(int sym, int down) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || sym <= 0 || sym >= SDLK_LAST) {
        return;
    }
    SDL_keysym key;
    memset(&key, 0, sizeof key);
    key.sym = (SDLKey)sym;
    SDL_PrivateKeyboard(down ? SDL_PRESSED : SDL_RELEASED, &key);
}

extern "C" EMSCRIPTEN_KEEPALIVE void QuarndelStepFit() {
    for (const OptionItem &item : OptionItems(false)) {
        if (item.kind == OptionKind::kFullscreenFit) {
            StepOption(item, 1);
        }
    }
    TellPageTheFit();
}

extern "C" EMSCRIPTEN_KEEPALIVE int QuarndelTitleRunning() {
    return game.titleRunning;
}

extern "C" EMSCRIPTEN_KEEPALIVE int QuarndelShipX() {
    return (int)ship.sprite.GetX();
}

extern "C" EMSCRIPTEN_KEEPALIVE int QuarndelShipY() {
    return (int)ship.sprite.GetY();
}

extern "C" EMSCRIPTEN_KEEPALIVE int QuarndelScore() {
    return ship.score;
}

extern "C" EMSCRIPTEN_KEEPALIVE int QuarndelLives() {
    return ship.lives;
}

extern "C" EMSCRIPTEN_KEEPALIVE int QuarndelLevelNumber() {
    return level.levelNumber;
}

extern "C" EMSCRIPTEN_KEEPALIVE int QuarndelPaused() {
    return game.paused;
}

extern "C" EMSCRIPTEN_KEEPALIVE int QuarndelGameOver() {
    return game.gameOver;
}

extern "C" EMSCRIPTEN_KEEPALIVE const char *QuarndelInstallPack(const char *path, int overwrite) {
    // Everything the installer says goes to the page's console as well; the
    // page shows its last line.
    static std::string outcome;
    char *said = nullptr;
    size_t size = 0;
    FILE *err = open_memstream(&said, &size);
    Options pack = options;
    pack.overwrite = overwrite != 0;
    InstallLevelPack(path, pack, err != nullptr ? err : stderr);
    outcome.clear();
    if (err != nullptr) {
        fclose(err);
        std::string text(said, size);
        free(said);
        fputs(text.c_str(), stderr);
        while (!text.empty() && text.back() == '\n') {
            text.pop_back();
        }
        outcome = text.substr(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
    }
    return outcome.c_str();
}
