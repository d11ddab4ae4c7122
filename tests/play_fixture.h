#pragma once
// A game started on the small test data tree and put into play on level 1,
// stepped iteration by iteration on a fake clock.
#include <gtest/gtest.h>

#include "game/game.h"
#include "sprites/ticks.h"
#include "tests/support.h"

class PlayFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        WriteTestDataTree(tmp.Path());
        game.Init();
        // As if Start was chosen on the title screen.
        game.titleRunning = 0;
        game.quit = 0;
        game.gameOver = 0;
        game.EnterPlay();
        SetFakeTicks(0);
    }
    void TearDown() override {
        ClearFakeTicks();
        FreeFont(font);
        font = nullptr;
    }

    // One play-loop iteration at time t (ms); returns whether it drew.
    bool StepAt(Uint32 t) {
        SetFakeTicks(t);
        now = t;
        return game.PlayStep();
    }
    // n iterations, `ms` apart.
    void Steps(int n, Uint32 ms = 10) {
        for (int i = 0; i < n; ++i) {
            StepAt(now + ms);
        }
    }
    void Hold(SDLKey key, bool held = true) { game.keys[key] = held ? 1 : 0; }

    // Puts a player shot in flight at (x, y).
    void PlaceShot(int i, float x, float y) {
        shots.laneA[i].SetPos(x, y);
        shots.activeA[i] = 1;
    }
    // Puts enemy i in play as a straight enemy at (x, y).
    void PlaceEnemy(int i, float x, float y, int hp, int speed = 0) {
        enemies.active[i] = 1;
        enemies.straight[i] = 1;
        enemies.phase[i] = 0;
        enemies.hp[i] = hp;
        enemies.speed[i] = speed;
        enemies.sprites[i].SetPos(x, y);
    }

    TempDir tmp;
    WorkingDir cwd{tmp.Path()};
    Uint32 now = 0;
};
