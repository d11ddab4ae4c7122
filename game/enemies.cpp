#include <cmath>
#include <cstdlib>

#include "game/game.h"
#include "game/report.h"
#include "sprites/overlap.h"
#include "sprites/rect.h"

namespace {

constexpr float kSpawnIntervalMs = 750.0f;
constexpr double kDegreesToRadians = 0.0174532925;

} // namespace

void EnemyGroup::SpawnTimer(Game &game) {
    if (game.clock - game.lastSpawnTime > kSpawnIntervalMs && boss.active == 0 &&
        game.showLevelImage == 0) {
        Spawn();
        // The timer restarts even when every slot was taken.
        game.lastSpawnTime = (float)TruncToInt(game.clock);
    }
}

void EnemyGroup::Spawn() {
    // The order of the rand() calls is part of the rule: tests replay it.
    int kind = rand() % 2;
    int i = 0;
    while (i < kEnemyCount && active[i] != 0) {
        ++i;
    }
    if (i == kEnemyCount) {
        return;
    }
    Sprite &enemy = sprites[i];
    enemy.SetFrame(kind);
    if (kind == 0) { // flies a cosine wave
        phase[i] = rand() % 300 + 1;
        straight[i] = 0;
    } else { // flies straight
        phase[i] = 0;
        straight[i] = 1;
    }
    speed[i] = rand() % 2 + BoundedLevelValue(level.enemySpeed[kind]) + difficulty;
    hp[i] = rand() % 2 + BoundedLevelValue(level.enemyHp[kind]) + difficulty;
    enemy.StopAnim();
    // Just beyond the right edge, at a height from 60 to 409.
    enemy.SetPos(640.0f, (float)(rand() % 350 + 60));
    active[i] = 1;
}

void EnemyGroup::Update(Game &game) {
    for (int i = 0; i < kEnemyCount; ++i) {
        if (active[i] != 1) {
            continue;
        }
        Sprite &enemy = sprites[i];
        enemy.MoveX(-(speed[i] + 1.0) * game.dt * 0.5);
        if (straight[i] == 0) {
            // Between y = 130 and 330, one wave every 360 px of travel.
            enemy.SetY(cos((enemy.GetX() + phase[i]) * kDegreesToRadians) * 100.0 + 230.0);
        }
        if (enemy.GetX() < -50.0) {
            active[i] = 0;
            continue;
        }
        // Every overlapping shot is used up, also after the enemy is
        // destroyed: each further one counts as another kill.
        for (int j = 0; j < kLaneASize; ++j) {
            if (shots.activeA[j] == 1 && Overlaps(shots.laneA[j], enemy)) {
                hp[i] -= 1;
                if (hp[i] < 1) {
                    active[i] = 0;
                    ship.score += 10;
                    ReportEvent(GameEvent::EnemyDestroyed);
                } else {
                    ship.score += 1;
                    ReportEvent(GameEvent::EnemyHit);
                }
                shots.activeA[j] = 0;
            }
        }
        // An enemy shot down in this frame can still ram the ship.
        if (!ship.Protected() && Overlaps(ship.sprite, enemy)) {
            ship.lives -= 1;
            ReportEvent(GameEvent::LifeLost);
            if (ship.lives < 0) {
                game.gameOver = 1;
                ReportEvent(GameEvent::GameOver);
                return; // the rest of the group stands still in the last frame
            }
            active[i] = 0;
            ship.Hit(game.clock);
        }
    }
}
