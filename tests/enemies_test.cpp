#include "tests/game_fixtures.h"

#include <climits>
#include <cmath>

namespace {

class EnemiesTest : public PlayFixture {
  protected:
    void SetUp() override {
        PlayFixture::SetUp();
        game.showLevelImage = 0;
        ship.sprite.SetPos(80, 140);
    }
};

TEST_F(EnemiesTest, SpawnDrawsItsRandomNumbersInOrder) {
    level.enemyHp[0] = 1;
    level.enemySpeed[0] = 0;
    level.enemyHp[1] = 5;
    level.enemySpeed[1] = 3;
    difficulty = 1;
    srand(42);
    for (int i = 0; i < kEnemyCount; ++i) {
        enemies.Spawn();
    }
    srand(42);
    for (int i = 0; i < kEnemyCount; ++i) {
        int kind = rand() % 2;
        EXPECT_EQ(enemies.active[i], 1);
        EXPECT_EQ(enemies.sprites[i].frame, kind);
        EXPECT_EQ(enemies.sprites[i].animating, 0);
        EXPECT_EQ(enemies.straight[i], kind);
        EXPECT_EQ(enemies.phase[i], kind == 0 ? rand() % 300 + 1 : 0) << i;
        EXPECT_EQ(enemies.speed[i], rand() % 2 + (kind == 0 ? 0 : 3) + 1) << i;
        EXPECT_EQ(enemies.hp[i], rand() % 2 + (kind == 0 ? 1 : 5) + 1) << i;
        EXPECT_EQ(enemies.sprites[i].GetX(), 640.0f);
        float y = enemies.sprites[i].GetY();
        EXPECT_EQ(y, (float)(rand() % 350 + 60)) << i;
    }
    // A full group draws the kind only.
    int next = rand();
    enemies.Spawn();
    EXPECT_NE(rand(), next);
    srand(7);
    rand();
    int second = rand();
    srand(7);
    enemies.Spawn();
    EXPECT_EQ(rand(), second);
}

TEST_F(EnemiesTest, SpawnTimerWaitsForTheIntervalThePictureAndTheBoss) {
    game.clock = 750.0f;
    game.lastSpawnTime = 0.0f;
    enemies.SpawnTimer(game);
    EXPECT_EQ(enemies.active[0], 0); // not more than 750 ms yet
    game.clock = 750.6f;
    enemies.SpawnTimer(game);
    EXPECT_EQ(enemies.active[0], 1);
    EXPECT_EQ(game.lastSpawnTime, 750.0f); // whole milliseconds

    game.clock = 5000.0f;
    game.showLevelImage = 1;
    enemies.SpawnTimer(game);
    EXPECT_EQ(enemies.active[1], 0);
    game.showLevelImage = 0;
    boss.active = 1;
    enemies.SpawnTimer(game);
    EXPECT_EQ(enemies.active[1], 0);
    EXPECT_EQ(game.lastSpawnTime, 750.0f);

    // With every slot taken the timer still restarts.
    boss.active = 0;
    for (int i = 0; i < kEnemyCount; ++i) {
        enemies.active[i] = 1;
    }
    enemies.SpawnTimer(game);
    EXPECT_EQ(game.lastSpawnTime, 5000.0f);
}

TEST_F(EnemiesTest, EnemiesFlyLeftStraightOrInAWaveAndLeavePastMinusFifty) {
    game.dt = 2.0f;
    PlaceEnemy(0, 300, 400, 3, 1);
    PlaceEnemy(1, 300, 400, 3, 0);
    enemies.straight[1] = 0;
    enemies.phase[1] = 90;
    PlaceEnemy(2, -48.5f, 400, 3, 0);
    PlaceEnemy(3, -49.0f, 400, 3, 0);
    enemies.Update(game);
    EXPECT_EQ(enemies.sprites[0].GetX(), 298.0f); // (1 + 1) x 2 x 0.5
    EXPECT_EQ(enemies.sprites[0].GetY(), 400.0f);
    EXPECT_EQ(enemies.sprites[1].GetX(), 299.0f);
    EXPECT_EQ(enemies.sprites[1].GetY(),
              (float)(cos((299.0f + 90) * 0.0174532925) * 100.0 + 230.0));
    EXPECT_NEAR(enemies.sprites[1].GetY(), 230.0 + 100 * cos(389 * M_PI / 180), 1e-3);
    EXPECT_EQ(enemies.active[2], 1); // -49.5 is not past -50 yet
    EXPECT_EQ(enemies.active[3], 1); // nor is -50 itself
    enemies.Update(game);
    EXPECT_EQ(enemies.active[2], 0);
    EXPECT_EQ(enemies.active[3], 0);
}

TEST_F(EnemiesTest, EveryOverlappingShotIsUsedUpAndCounts) {
    PlaceEnemy(0, 300, 300, 1);
    PlaceShot(0, 310, 320);
    PlaceShot(1, 312, 322);
    PlaceShot(2, 100, 100);
    game.dt = 0.0f;
    enemies.Update(game);
    EXPECT_EQ(enemies.active[0], 0);
    EXPECT_EQ(ship.score, 20);
    EXPECT_EQ(shots.activeA[0], 0);
    EXPECT_EQ(shots.activeA[1], 0);
    EXPECT_EQ(shots.activeA[2], 1);

    PlaceEnemy(1, 300, 300, 3);
    PlaceShot(0, 310, 320);
    enemies.Update(game);
    EXPECT_EQ(enemies.hp[1], 2);
    EXPECT_EQ(ship.score, 21);
    // Two kills in one frame sound twice.
    ExpectEffects({{GameEvent::EnemyDestroyed, 2}, {GameEvent::EnemyHit, 1}});
}

TEST_F(EnemiesTest, RammingCostsALifeEvenWhenTheEnemyWasJustShotDown) {
    ship.lives = 2;
    game.dt = 0.0f;
    game.clock = 500.0f;
    PlaceEnemy(0, 90, 150, 1);
    PlaceShot(0, 100, 170);
    enemies.Update(game);
    EXPECT_EQ(ship.score, 10);
    EXPECT_EQ(ship.lives, 1);
    EXPECT_EQ(enemies.active[0], 0);
    EXPECT_EQ(ship.sprite.GetX(), 10.0f);
    EXPECT_TRUE(ship.Protected());
    EXPECT_EQ(game.hitTime, 500.0f);
    ExpectEffects({{GameEvent::EnemyDestroyed, 1}, {GameEvent::LifeLost, 1}});
}

TEST_F(EnemiesTest, RamThatEndsTheGameStopsTheUpdateAtOnce) {
    ship.lives = 0;
    game.dt = 4.0f;
    PlaceEnemy(0, 300, 300, 1);
    PlaceEnemy(1, 80, 140, 1);
    PlaceEnemy(2, 400, 300, 1);
    ship.sprite.SetPos(78, 138);
    enemies.Update(game);
    EXPECT_EQ(game.gameOver, 1);
    EXPECT_EQ(ship.lives, -1);
    EXPECT_EQ(enemies.sprites[0].GetX(), 298.0f); // moved before the ram
    EXPECT_EQ(enemies.active[1], 1);              // the rammer stays in play
    EXPECT_EQ(enemies.sprites[2].GetX(), 400.0f); // not moved
    EXPECT_EQ(ship.sprite.GetX(), 78.0f);
    EXPECT_FALSE(ship.Protected());
    ExpectEffects({{GameEvent::LifeLost, 1}, {GameEvent::GameOver, 1}});
}

// Level values count within -kMaxLevelValue..kMaxLevelValue, so the sums of
// the spawn and boss rules never overflow and are exact inside the bound; a
// speed class below -1 still flies right.
TEST_F(EnemiesTest, LevelValuesCountWithinTheBoundInEverySum) {
    const int kCases[][2] = {
        // value written, value counted
        {INT_MAX, kMaxLevelValue},
        {INT_MIN, -kMaxLevelValue},
        {kMaxLevelValue, kMaxLevelValue},
        {-kMaxLevelValue, -kMaxLevelValue},
        {kMaxLevelValue + 1, kMaxLevelValue},
        {-7, -7},
    };
    difficulty = 2;
    for (const auto &c : kCases) {
        for (int kind = 0; kind < 2; ++kind) {
            level.enemyHp[kind] = c[0];
            level.enemySpeed[kind] = c[0];
        }
        level.bossHp = c[0];
        enemies.active[0] = 0;
        srand(3);
        enemies.Spawn();
        srand(3);
        if (rand() % 2 == 0) {
            rand(); // the wave's phase
        }
        EXPECT_EQ(enemies.speed[0], rand() % 2 + c[1] + 2) << c[0];
        EXPECT_EQ(enemies.hp[0], rand() % 2 + c[1] + 2) << c[0];
        game.dt = 1.0f;
        enemies.Update(game);
        if (c[1] < -3) {
            EXPECT_GT(enemies.sprites[0].GetX(), 640.0f) << c[0];
        }
        boss.active = 0;
        boss.defeated = 0;
        boss.Appear();
        EXPECT_EQ(boss.hp, c[1] + 2 + 8) << c[0];
    }
}

} // namespace
