// Fuzzes the rules with level values: the input is data/level_1/leveldata in
// a small valid tree (ship, shots, enemies, a boss, a scene and a second
// level). The level is set up and played for a few hundred iterations on the
// fake clock with scripted keys, so that what a level file says reaches the
// boss, enemy and level-chain rules.
#include <SDL.h>
#include <cstdint>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "fuzz/fuzz_support.h"
#include "game/game.h"
#include "sprites/ticks.h"

namespace {

constexpr int kIterations = 300; // five seconds of play at 60 frames a second
constexpr Uint32 kFrameMs = 17;

void WriteText(const std::string &path, const char *text) {
    WriteFuzzFile(path, (const uint8_t *)text, strlen(text));
}

void WriteFrame(const std::string &path, int w, int h, Uint32 rgb) {
    SDL_Surface *frame = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xff0000, 0xff00, 0xff, 0);
    SDL_FillRect(frame, nullptr, rgb);
    SDL_SaveBMP(frame, path.c_str());
    SDL_FreeSurface(frame);
}

void WriteSet(const std::string &dir, int frames, int w, int h) {
    mkdir(dir.c_str(), 0755);
    WriteFrame(dir + "/a.bmp", w, h, 0x2080c0);
    WriteFrame(dir + "/b.bmp", w, h, 0xc08020);
    std::string info = "FILES: " + std::to_string(frames) + "\na.bmp 50 0 0 0\nb.bmp 50\n";
    WriteText(dir + "/info", info.c_str());
}

// The tree the fuzzed level file names things in; the game runs in it.
void WriteTree(const std::string &root) {
    mkdir((root + "/data").c_str(), 0755);
    WriteSet(root + "/data/ship", 2, 24, 12);
    WriteSet(root + "/data/bullet", 2, 8, 4);
    WriteSet(root + "/data/enemy", 2, 16, 16);
    WriteSet(root + "/data/boss", 2, 40, 40);
    // Small pictures keep each drawn frame cheap.
    WriteFrame(root + "/data/scene.bmp", 16, 16, 0x101030);
    WriteFrame(root + "/data/title.bmp", 8, 8, 0xffffff);
    mkdir((root + "/data/level_1").c_str(), 0755);
    mkdir((root + "/data/level_2").c_str(), 0755);
    WriteText(root + "/data/level_2/leveldata",
              "LEVEL: 2\nNEXT LEVEL: data/level_1\nDISTANCE: 0\nBOSS_HP: -8\n");
}

// The keys of iteration i: steering held in turns, Space every 4th
// iteration, P twice and N whenever the game is over.
void ScriptKeys(int i) {
    game.keys[SDLK_UP] = (i / 20) % 2 == 0;
    game.keys[SDLK_DOWN] = !game.keys[SDLK_UP];
    game.keys[SDLK_RIGHT] = (i / 50) % 2 == 0;
    game.keys[SDLK_LEFT] = !game.keys[SDLK_RIGHT];
    SDLKey press = SDLK_UNKNOWN;
    if (i == 100 || i == 103 || i == 250) {
        press = SDLK_p;
    } else if (game.gameOver == 1 && i % 10 == 0) {
        press = SDLK_n;
    } else if (i % 4 == 0) {
        press = SDLK_SPACE;
    }
    if (press != SDLK_UNKNOWN) {
        SDL_Event event = {};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = press;
        SDL_PushEvent(&event);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool ready = false;
    if (!ready) {
        const std::string &root = FuzzScratchDir();
        WriteTree(root);
        if (chdir(root.c_str()) != 0) {
            abort();
        }
        game.keys = SDL_GetKeyState(nullptr);
        ready = true;
    }
    WriteFuzzFile("data/level_1/leveldata", data, size);

    // Every run starts from the same state: a fresh record, a new game.
    srand(1);
    level = LevelInfo();
    difficulty = (int)(size % 3);
    lastFpsTime = 0.0f;
    frameCounter = 0.0f;
    game.paused = 0;
    game.quit = 0;
    game.gameOver = 0;
    game.scrollOffset = 0.0f;
    game.lastTicks = 0.0f;
    game.clock = 0.0f;
    game.lastSpawnTime = 0.0f;
    game.hitTime = 0.0f;
    game.levelImageTime = 0.0f;
    ship.lives = 3;
    ship.score = 0;
    for (int i = 0; i < kLaneASize; ++i) {
        shots.activeA[i] = 0;
    }
    SetFakeTicks(0);
    game.EnterPlay();
    for (int i = 0; i < kIterations && game.quit == 0; ++i) {
        ScriptKeys(i);
        SetFakeTicks((Uint32)(i + 1) * kFrameMs);
        game.PlayStep();
    }
    ClearFakeTicks();
    return 0;
}
