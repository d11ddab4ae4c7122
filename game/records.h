#pragma once
// The records of the ship, the shots, the enemies and the boss. Their rules
// live in ship.cpp (the ship and its shots), enemies.cpp and boss.cpp; level
// set-up fills them at every level.
#include <SDL.h>

#include "sprites/sprite.h"

class Game;

class PlayerShip {
  public:
    int lives = 1; // 1 at program start; a new game gives 3; over below 0
    int score = 0;
    int distance = 0; // background screens scrolled in this level
    Sprite sprite;    // its speed is the protection flag: 0.0 open, 1.0 protected
    SpriteSet set;

    void Steer(const Uint8 *keys);
    void Hit(float clock);
    void EndProtection(float clock, float hitTime);
    bool Protected() const { return sprite.GetSpeed() != 0.0f; }
};

constexpr int kLaneASize = 10; // the player's shots
constexpr int kLaneBSize = 10; // hostile shots
constexpr int kLaneCSize = 90; // hostile shots

class ProjectilePool {
  public:
    SpriteSet setA;
    Sprite laneA[kLaneASize];
    int activeA[kLaneASize] = {}; // 1 = in flight
    SpriteSet setB;
    Sprite laneB[kLaneBSize];
    int activeB[kLaneBSize] = {};
    SpriteSet setC;
    Sprite laneC[kLaneCSize];
    int activeC[kLaneCSize] = {};

    void FirePlayerShot();
    // lane 1 is lane B, lane 2 lane C; no game rule fires hostile shots.
    void FireHostileShot(int lane, const Sprite &from);
    void MoveShots(float dt);
};

constexpr int kEnemyCount = 10;

class EnemyGroup {
  public:
    Sprite sprites[kEnemyCount];
    SpriteSet set; // frame 0 the wave kind, frame 1 the straight kind
    int active[kEnemyCount] = {};
    int speed[kEnemyCount] = {}; // moves (speed + 1) * 0.05 px per ms
    int hp[kEnemyCount] = {};
    int phase[kEnemyCount] = {}; // wave phase in degrees
    int straight[kEnemyCount] = {};

    void SpawnTimer(Game &game);
    void Spawn();
    void Update(Game &game);
};

class Boss {
  public:
    Sprite sprite;
    SpriteSet set;
    int hp = 0;
    int active = 0;
    unsigned char defeated = 0;

    void Appear();
    void Update(Game &game);
    // Brings the boss when the level's distance is flown, and moves on to
    // the next level once it is destroyed.
    void EndOfLevel(Game &game);
};
