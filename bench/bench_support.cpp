#include "bench/bench_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "game/events.h"
#include "game/game.h"
#include "replay/replay.h"
#include "sprites/ticks.h"

bool OpenBenchScreen(benchmark::State &state) {
    static bool opened = false;
    if (!opened) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        if (chdir(QUARNDEL_SOURCE_DIR) != 0 || SDL_Init(SDL_INIT_VIDEO) < 0) {
            return false;
        }
        screen = SDL_SetVideoMode(640, 480, 32, SDL_HWPALETTE);
        font = LoadFont("data/font");
        opened = screen != nullptr;
    }
    if (!opened || access("data/level_1/leveldata", R_OK) != 0) {
        state.SkipWithError("no shipped data tree");
        return false;
    }
    return true;
}

void FillPlayScene(const char *levelDir) {
    level.Load(levelDir);
    level.Setup();
    game.showLevelImage = 1;
    game.gameOver = 0;
    game.quit = 0;
    boss.Appear();
    for (int i = 0; i < kLaneASize; ++i) {
        shots.laneA[i].SetPos(100.0f + 30 * i, 60.0f + 8 * i);
        shots.activeA[i] = 1;
    }
    for (int i = 0; i < kEnemyCount; ++i) {
        enemies.active[i] = 1;
        enemies.straight[i] = i % 2;
        enemies.phase[i] = 30 * i + 1;
        enemies.hp[i] = 3;
        enemies.speed[i] = 1;
        enemies.sprites[i].SetFrame(i % 2);
        enemies.sprites[i].SetPos(150.0f + 25 * i, 300.0f + (i % 2) * 60);
    }
    ship.sprite.SetPos(20.0f, 400.0f);
}

void StepRecordedIterations(benchmark::State &state) {
    SDL_Event event;
    float step = 1.0f;
    for (auto _ : state) {
        ship.sprite.MoveY(step);
        step = -step;
        benchmark::DoNotOptimize(GetTicks());
        while (PollEvent(&event)) {
        }
        EndReplayIteration(true);
    }
}
