#include "tests/game_fixtures.h"

namespace {

class BossTest : public PlayFixture {
  protected:
    void SetUp() override {
        PlayFixture::SetUp();
        game.showLevelImage = 0;
        game.dt = 0.0f;
    }
    // A shot on the boss, then one boss update.
    void ShootOnce() {
        PlaceShot(0, 500, 200);
        boss.Update(game);
    }
};

TEST_F(BossTest, ElevenHitsDestroyABossOfTwoOnNormal) {
    difficulty = 1;
    ship.distance = 1;
    boss.EndOfLevel(game);
    ASSERT_EQ(boss.active, 1);
    EXPECT_EQ(boss.sprite.GetX(), 420.0f);
    EXPECT_EQ(boss.sprite.GetY(), 110.0f);
    EXPECT_EQ(boss.hp, 11);
    for (int i = 0; i < 10; ++i) {
        ShootOnce();
    }
    EXPECT_EQ(boss.active, 1);
    EXPECT_EQ(ship.score, 10);
    // Two shots arrive together: the second passes on.
    PlaceShot(1, 510, 210);
    ShootOnce();
    EXPECT_EQ(boss.active, 0);
    EXPECT_EQ(boss.defeated, 1);
    EXPECT_EQ(ship.score, 1010);
    EXPECT_EQ(shots.activeA[1], 1);
    boss.Appear(); // a defeated boss does not come back
    EXPECT_EQ(boss.active, 0);
    ExpectEffects({{GameEvent::BossHit, 10}, {GameEvent::BossDestroyed, 1}});
}

TEST_F(BossTest, RammingCostsALifeAndAHitPointButNeverDestroys) {
    ship.distance = 1;
    boss.EndOfLevel(game);
    boss.hp = 1;
    ship.lives = 1;
    ship.sprite.SetPos(430, 150);
    game.clock = 900.0f;
    boss.Update(game);
    EXPECT_EQ(ship.lives, 0);
    EXPECT_EQ(boss.hp, 0);
    EXPECT_EQ(boss.active, 1);
    EXPECT_EQ(ship.sprite.GetX(), 10.0f);
    EXPECT_TRUE(ship.Protected());
    // A ram that takes the last life still runs the hit response.
    ship.sprite.SetSpeed(0.0f);
    ship.sprite.SetPos(430, 150);
    boss.Update(game);
    EXPECT_EQ(game.gameOver, 1);
    EXPECT_EQ(boss.hp, -1);
    EXPECT_EQ(ship.sprite.GetX(), 10.0f);
    ShootOnce();
    EXPECT_EQ(boss.defeated, 1);
    // Ramming is a lost life, not a hit on the boss.
    ExpectEffects(
        {{GameEvent::LifeLost, 2}, {GameEvent::GameOver, 1}, {GameEvent::BossDestroyed, 1}});
}

TEST_F(BossTest, DefeatLoadsTheNextLevelAndItsPicture) {
    ship.distance = 1;
    boss.EndOfLevel(game);
    shots.activeA[5] = 1;
    boss.hp = 1;
    ShootOnce();
    boss.EndOfLevel(game);
    EXPECT_EQ(level.levelNumber, 2);
    EXPECT_EQ(level.bossHp, 4);
    EXPECT_STREQ(level.ship, "data/ship"); // kept from level 1
    EXPECT_EQ(game.showLevelImage, 1);
    EXPECT_EQ(boss.active, 0);
    EXPECT_EQ(boss.defeated, 0);
    EXPECT_EQ(ship.distance, 0);
    EXPECT_EQ(shots.activeA[5], 0);
    EXPECT_EQ(ship.score, 1000);
}

TEST_F(BossTest, LastLevelPlaysOnWithoutAnotherBoss) {
    level.Load("data/level_2");
    level.Setup();
    ship.distance = 2;
    boss.EndOfLevel(game);
    boss.hp = 1;
    ShootOnce();
    game.clock = 10000.0f;
    boss.EndOfLevel(game);
    EXPECT_EQ(level.levelNumber, 2);
    EXPECT_EQ(boss.active, 0);
    EXPECT_EQ(game.showLevelImage, 0);
    enemies.SpawnTimer(game); // enemies keep coming
    EXPECT_EQ(enemies.active[0], 1);
}

TEST_F(BossTest, MissingNextLevelStartsTheLevelOverWithItsBossWaiting) {
    WriteLevel("data/level_1", "LEVEL: 1\nNEXT LEVEL: data/level_9\nDISTANCE: 1\nBOSS_HP: 0\n");
    level.Load("data/level_1");
    ship.distance = 1;
    boss.EndOfLevel(game);
    boss.hp = 1;
    ShootOnce();
    testing::internal::CaptureStdout();
    boss.EndOfLevel(game);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ERROR opening file data/level_9/leveldata\n\n");
    EXPECT_EQ(level.levelNumber, 1);
    EXPECT_EQ(boss.defeated, 0);
    EXPECT_EQ(boss.active, 0);
    EXPECT_EQ(ship.distance, 0);
    ship.distance = 1;
    boss.EndOfLevel(game);
    EXPECT_EQ(boss.active, 1);
}

TEST_F(BossTest, NoSpawnsWhileTheBossIsInPlay) {
    ship.distance = 1;
    boss.EndOfLevel(game);
    PlaceEnemy(0, 300, 300, 5);
    game.clock = 5000.0f;
    enemies.SpawnTimer(game);
    EXPECT_EQ(enemies.active[1], 0);
    game.dt = 1.0f;
    enemies.Update(game);
    EXPECT_EQ(enemies.sprites[0].GetX(), 299.5f); // those in play fly on
}

// A boss set that gives no picture would leave the boss unseen and unhittable
// for ever: it counts as destroyed when it would come, for no score, and the
// chain goes on; on the last level play goes on with enemies.
TEST_F(BossTest, BossWithoutAPictureCountsAsDestroyedWhenItWouldCome) {
    MakeDirs("data/no_boss");
    WriteFile("data/no_boss/info", "FILES: 2\nmissing.bmp 10\n");
    WriteLevel("data/level_1",
               "LEVEL: 1\nNEXT LEVEL: data/level_2\nDISTANCE: 1\nBOSS: data/no_boss\n");
    level.Load("data/level_1");
    level.Setup();
    ASSERT_EQ(boss.set.Image(0), nullptr);
    game.showLevelImage = 0;
    ship.score = 5;
    boss.EndOfLevel(game); // the distance is not flown yet
    EXPECT_EQ(boss.defeated, 0);
    EXPECT_EQ(level.levelNumber, 1);
    ship.distance = 1;
    boss.EndOfLevel(game);
    EXPECT_EQ(level.levelNumber, 2);
    EXPECT_EQ(game.showLevelImage, 1);
    EXPECT_EQ(ship.score, 5);
    EXPECT_EQ(boss.active, 0);

    WriteLevel("data/level_2", "LEVEL: 2\nNEXT LEVEL: none\nDISTANCE: 1\nBOSS: data/no_boss\n");
    level.Load("data/level_2");
    level.Setup();
    game.showLevelImage = 0;
    ship.distance = 1;
    boss.EndOfLevel(game);
    EXPECT_EQ(boss.active, 0);
    EXPECT_EQ(boss.defeated, 1);
    EXPECT_EQ(ship.score, 5);
    game.lastSpawnTime = 0.0f;
    game.clock = 10000.0f;
    enemies.SpawnTimer(game); // enemies keep coming
    EXPECT_EQ(enemies.active[0], 1);

    // With no level read at all NEXT LEVEL is empty: play goes on in the
    // level, as after "none", instead of starting it over on every frame.
    level = LevelInfo();
    level.Setup();
    game.showLevelImage = 0;
    boss.EndOfLevel(game);
    EXPECT_EQ(boss.defeated, 1);
    EXPECT_EQ(game.showLevelImage, 0);
    boss.EndOfLevel(game);
    EXPECT_EQ(game.showLevelImage, 0);

    // A boss that was fought, though, leads to "/leveldata", which is
    // reported, and the level starts over.
    WriteSpriteSet("data/real_boss", 1, 40, 40);
    level = LevelInfo();
    WriteLevel("data/level_4", "LEVEL: 4\nDISTANCE: 1\nBOSS: data/real_boss\n");
    level.Load("data/level_4");
    level.Setup();
    ship.distance = 1;
    boss.defeated = 1;
    game.showLevelImage = 0;
    boss.EndOfLevel(game);
    EXPECT_EQ(level.levelNumber, 4);
    EXPECT_EQ(game.showLevelImage, 1);
    EXPECT_EQ(boss.defeated, 0);
    EXPECT_EQ(ship.distance, 0);
}

} // namespace
