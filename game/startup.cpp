#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "game/game.h"
#include "game/seams.h"
#include "sprites/image.h"
#include "sprites/rect.h"

namespace {

// Loads a start-up picture and tells the player when it is missing; the game
// goes on without it.
SDL_Surface *LoadStartupImage(const char *path) {
    SDL_Surface *image = LoadImage(path);
    if (image == nullptr) {
        ReportUnreadable(path);
    }
    return image;
}

[[noreturn]] void FailStartup(const char *format) {
    printf(format, SDL_GetError());
    fflush(stdout);
    exit(1);
}

} // namespace

void Game::Init() {
    quit = 1; // the play loop only runs once Start is chosen
    paused = 0;
    gameOver = 1;
    titleRunning = 1;
    scrollOffset = 0;

    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) {
        // A machine without a sound device still plays, silently.
        if (SDL_Init(SDL_INIT_VIDEO) < 0) {
            FailStartup("Unable to init SDL: %s\n");
        }
    }
    atexit(SDL_Quit);
    if (hooks.openInput != nullptr) {
        hooks.openInput();
    }
    SDL_WM_SetCaption("Quarndel", "icon.ico");
    if (hooks.openScreen != nullptr) {
        screen = hooks.openScreen(launch.fullscreen);
    } else {
        screen = SDL_SetVideoMode(
            640, 480, 32, launch.fullscreen ? SDL_HWPALETTE | SDL_FULLSCREEN : SDL_HWPALETTE);
    }
    if (screen == nullptr) {
        FailStartup("Unable to set 640x480 video: %s\n");
    }
    if (hooks.openSound != nullptr) {
        titleSong = hooks.openSound(launch.mute);
    }
    gameOverImage = LoadStartupImage("data/gameover.bmp");
    SetBlackColorKey(gameOverImage);
    pausedImage = LoadStartupImage("data/paused.bmp");
    SetBlackColorKey(pausedImage);
    keys = SDL_GetKeyState(nullptr);
    font = LoadFont("data/font");
    if (font == nullptr) {
        ReportUnreadable("data/font");
    }
    Uint32 seed = (Uint32)time(nullptr);
    srand(hooks.seed != nullptr ? hooks.seed(seed) : seed);
    SDL_ShowCursor(SDL_DISABLE);
    titleImage = LoadStartupImage("data/titlescreen.bmp");
    difficultyImage[0] = LoadStartupImage("data/difficulty/0.bmp");
    difficultyImage[1] = LoadStartupImage("data/difficulty/1.bmp");
    difficultyImage[2] = LoadStartupImage("data/difficulty/2.bmp");
    cursorSet.Load("data/cursor");
    cursor.Init(&cursorSet, screen);
    cursor.SetPos(kCursorX, kMenuStartY);
}

void Game::Blit(SDL_Surface *surface, int x, int y) {
    if (surface == nullptr || screen == nullptr) {
        return;
    }
    SDL_Rect dest = {ToRectCoord(x), ToRectCoord(y), 0, 0};
    SDL_UpperBlit(surface, nullptr, screen, &dest);
}

void Game::BlitPart(SDL_Surface *surface, int x, int y, int w, int h, int srcX, int srcY) {
    if (surface == nullptr || screen == nullptr || w <= 0 || h <= 0) {
        return;
    }
    SDL_Rect source = {ToRectCoord(srcX), ToRectCoord(srcY), (Uint16)w, (Uint16)h};
    SDL_Rect dest = {ToRectCoord(x), ToRectCoord(y), 0, 0};
    SDL_UpperBlit(surface, &source, screen, &dest);
}
