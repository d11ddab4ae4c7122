#include <cstdio>

#include "game/events.h"
#include "game/game.h"
#include "game/pacer.h"
#include "game/report.h"
#include "game/seams.h"
#include "sprites/ticks.h"

namespace {

// Set when P pauses a running game: the next iteration shows the scene once
// with the paused picture over it. P during a game over toggles the pause
// alone: the game-over frame stays as it is.
bool pausedFramePending = false;

// While paused or over nothing is drawn; the loop naps instead of spinning.
constexpr Uint32 kIdleNapMs = 10;

constexpr float kLevelImageShowMs = 6000.0f;

} // namespace

void Game::EnterPlay() {
    level.Load(FirstLevelFolder());
    level.Setup();
    showLevelImage = 1;
}

void Game::RunPlay() {
    FramePacer pacer;
    while (quit == 0) {
        PlayIteration(pacer);
    }
}

void Game::PlayIteration(FramePacer &pacer) {
    if (PlayStep()) {
        pacer.Wait();
    } else if (quit == 0) {
        IdleNap(kIdleNapMs);
    }
}

bool Game::PlayStep() {
    // The time step runs also while paused, so leaving a pause causes no jump.
    nowTicks = (float)GetTicks();
    dt = (nowTicks - lastTicks) * 0.1;
    lastTicks = nowTicks;
    if (paused == 0) {
        clock += dt * 10;
    }
    while (PollEvent(&event)) {
        HandlePlayEvent();
    }
    if (paused == 0 && gameOver == 0) {
        RunningFrame();
        return true;
    }
    if (paused == 1 && pausedFramePending && quit == 0) {
        pausedFramePending = false;
        DrawPausedFrame();
        return true;
    }
    return false;
}

void Game::HandlePlayEvent() {
    if (event.type == SDL_QUIT) {
        quit = 1;
        return;
    }
    if (event.type != SDL_KEYDOWN) {
        return;
    }
    SDLKey key = event.key.keysym.sym;
    if (key == SDLK_ESCAPE) {
        quit = 1;
    }
    if (key == SDLK_p) {
        paused = paused == 0 ? 1 : 0;
        pausedFramePending = paused == 1 && gameOver == 0;
    }
    if (key == SDLK_SPACE && paused != 1 && gameOver != 1) {
        shots.FirePlayerShot();
    }
    if (key == SDLK_n && gameOver == 1) {
        NewGame();
    }
}

void Game::RunningFrame() {
    RunRules();
    DrawPlay();
}

void Game::RunRules() {
    UpdateFps();
    char caption[32];
    snprintf(caption, sizeof caption, "Quarndel: %d", (int)fps);
    SDL_WM_SetCaption(caption, "icon.ico");
    ship.Steer(keys);
    // The level-picture timer runs freely; only a new game restarts it.
    if (clock - levelImageTime > kLevelImageShowMs) {
        showLevelImage = 0;
        levelImageTime = clock;
    }
    shots.MoveShots(dt);
    boss.Update(*this);
    enemies.Update(*this);
    ship.EndProtection(clock, hitTime);
    enemies.SpawnTimer(*this);
    boss.EndOfLevel(*this);
}

void Game::UpdateFps() {
    float t = GetTicks() * 0.001;
    frameCounter += 1;
    if (t - lastFpsTime > 1.0) {
        lastFpsTime = t;
        fps = frameCounter;
        frameCounter = 0;
    }
}

void Game::NewGame() {
    level.Load(FirstLevelFolder());
    level.Setup();
    ship.score = 0;
    ship.lives = 3;
    ship.distance = 0;
    gameOver = 0;
    showLevelImage = 1;
    levelImageTime = 0;
    lastSpawnTime = 0;
    hitTime = 0;
    clock = 0;
    ReportEvent(GameEvent::NewGame);
}
