#pragma once
// Fixtures that run the game in a small test data tree of their own.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "game/game.h"
#include "sound/effects.h"
#include "sprites/ticks.h"
#include "tests/support.h"

// Expects each listed effect to have been started exactly the given number
// of times since start-up, and every other effect never.
inline void ExpectEffects(std::initializer_list<std::pair<GameEvent, int>> expected) {
    for (int i = 0; i < kGameEventCount; ++i) {
        int want = 0;
        for (const auto &e : expected) {
            if ((int)e.first == i) {
                want = e.second;
            }
        }
        EXPECT_EQ(EffectStarts((GameEvent)i), want) << "effect of event " << i;
    }
}

// The working directory is a fresh folder holding the test data tree, with
// dummy video and sound; start-up itself is left to the test. Every test
// starts from the globals and SDL input state of a fresh process, whatever
// the tests before it in the same process left behind.
class DataTreeFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ResetGlobals();
        ResetSdlInput();
        WriteTestDataTree(tmp.Path());
    }
    void TearDown() override {
        FreeFont(font);
        font = nullptr;
    }

    TempDir tmp;
    WorkingDir cwd{tmp.Path()};
};

// A game started on the test tree and put into play on level 1, stepped
// iteration by iteration on a fake clock.
class PlayFixture : public DataTreeFixture {
  protected:
    void SetUp() override {
        DataTreeFixture::SetUp();
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
        DataTreeFixture::TearDown();
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

    Uint32 now = 0;
};
