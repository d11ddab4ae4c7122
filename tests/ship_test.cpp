#include "tests/game_fixtures.h"

namespace {

using ShipTest = PlayFixture;

TEST_F(ShipTest, ShotsLeaveFromTheNoseInTheLowestFreeSlot) {
    ship.sprite.SetPos(100, 200);
    shots.laneA[0].SetFrame(1);
    shots.laneA[0].StartAnim();
    shots.FirePlayerShot();
    EXPECT_EQ(shots.activeA[0], 1);
    EXPECT_EQ(shots.laneA[0].GetX(), 170.0f);
    EXPECT_EQ(shots.laneA[0].GetY(), 223.0f);
    EXPECT_EQ(shots.laneA[0].frame, 0);
    EXPECT_EQ(shots.laneA[0].animating, 0);
    for (int i = 1; i < 10; ++i) {
        shots.FirePlayerShot();
    }
    shots.activeA[4] = 0;
    shots.FirePlayerShot();
    EXPECT_EQ(shots.activeA[4], 1);
    // Ten shots in flight block the eleventh.
    ProjectilePool before = shots;
    shots.FirePlayerShot();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(shots.laneA[i].GetX(), before.laneA[i].GetX());
    }
    shots.FireHostileShot(2, ship.sprite);
    EXPECT_EQ(shots.activeC[0], 1);
    EXPECT_EQ(shots.laneC[0].frame, 1);
    // Every shot that left sounded once; the blocked one and the hostile none.
    ExpectEffects({{GameEvent::ShotFired, 11}});
}

TEST_F(ShipTest, ShotsMoveByTheTimeStepAndLeaveAtTheEdges) {
    ship.sprite.SetPos(560, 100);
    shots.FirePlayerShot();
    EXPECT_EQ(shots.laneA[0].GetX(), 630.0f);
    shots.MoveShots(2.0f);
    EXPECT_EQ(shots.laneA[0].GetX(), 637.0f);
    EXPECT_EQ(shots.activeA[0], 1);
    shots.MoveShots(1.0f);
    EXPECT_EQ(shots.activeA[0], 0); // 640.5 is past the edge
    shots.laneA[1].SetPos(633, 100);
    shots.activeA[1] = 1;
    shots.MoveShots(2.0f);
    EXPECT_EQ(shots.activeA[1], 1); // 640 itself is not past it

    shots.laneB[0].SetPos(5, 0);
    shots.activeB[0] = 1;
    shots.laneC[0].SetPos(20, 0);
    shots.activeC[0] = 1;
    shots.MoveShots(1.0f);
    EXPECT_EQ(shots.laneB[0].GetX(), 1.5f);
    EXPECT_EQ(shots.laneC[0].GetX(), 16.5f); // hostile shots fly left
    shots.MoveShots(1.0f);
    EXPECT_EQ(shots.activeB[0], 0);
    EXPECT_EQ(shots.activeC[0], 1);
}

TEST_F(ShipTest, SteeringTestsBoundsBeforeMoving) {
    Uint8 keys[SDLK_LAST] = {};
    ship.sprite.SetPos(1, 51);
    keys[SDLK_UP] = keys[SDLK_LEFT] = 1;
    ship.Steer(keys);
    EXPECT_EQ(ship.sprite.GetX(), -1.0f); // up to one step past a bound
    EXPECT_EQ(ship.sprite.GetY(), 49.0f);
    ship.Steer(keys);
    EXPECT_EQ(ship.sprite.GetX(), -1.0f);
    EXPECT_EQ(ship.sprite.GetY(), 49.0f);

    keys[SDLK_UP] = keys[SDLK_LEFT] = 0;
    keys[SDLK_DOWN] = keys[SDLK_RIGHT] = 1;
    ship.sprite.SetPos(559, 399);
    ship.Steer(keys);
    EXPECT_EQ(ship.sprite.GetX(), 561.0f);
    EXPECT_EQ(ship.sprite.GetY(), 401.0f);
    ship.Steer(keys);
    EXPECT_EQ(ship.sprite.GetX(), 561.0f);

    // On a bound itself the ship does not move on.
    ship.sprite.SetPos(560, 400);
    ship.Steer(keys);
    EXPECT_EQ(ship.sprite.GetX(), 560.0f);
    EXPECT_EQ(ship.sprite.GetY(), 400.0f);
    keys[SDLK_DOWN] = keys[SDLK_RIGHT] = 0;
    keys[SDLK_UP] = keys[SDLK_LEFT] = 1;
    ship.sprite.SetPos(0, 50);
    ship.Steer(keys);
    EXPECT_EQ(ship.sprite.GetX(), 0.0f);
    EXPECT_EQ(ship.sprite.GetY(), 50.0f);
    keys[SDLK_LEFT] = 0;
    keys[SDLK_DOWN] = keys[SDLK_RIGHT] = 1;

    keys[SDLK_UP] = 1; // up and down together cancel inside the bounds
    ship.sprite.SetPos(300, 200);
    ship.Steer(keys);
    EXPECT_EQ(ship.sprite.GetY(), 200.0f);
}

TEST_F(ShipTest, HitProtectsForAlittleOverThreeSeconds) {
    game.clock = 1234.7f;
    ship.Hit(game.clock);
    EXPECT_EQ(ship.sprite.GetX(), 10.0f);
    EXPECT_EQ(ship.sprite.GetY(), 245.0f);
    EXPECT_TRUE(ship.Protected());
    EXPECT_EQ(ship.sprite.animating, 1);
    EXPECT_EQ(game.hitTime, 1234.0f);
    ship.sprite.SetFrame(1);
    ship.EndProtection(4234.0f, game.hitTime);
    EXPECT_TRUE(ship.Protected());
    ship.EndProtection(4234.5f, game.hitTime);
    EXPECT_FALSE(ship.Protected());
    EXPECT_EQ(ship.sprite.animating, 0);
    EXPECT_EQ(ship.sprite.frame, 0);
}

TEST_F(ShipTest, ProtectedShipPassesThroughEnemiesAndTheBoss) {
    StepAt(10);
    ship.Hit(game.clock);
    PlaceEnemy(0, 10, 245, 5);
    boss.Appear();
    boss.sprite.SetPos(0, 200); // over the ship too
    int lives = ship.lives;
    StepAt(20);
    EXPECT_EQ(ship.lives, lives);
    EXPECT_EQ(enemies.active[0], 1);
    EXPECT_EQ(boss.hp, 10);
}

} // namespace
