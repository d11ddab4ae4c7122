#include <cstring>

#include "game/game.h"
#include "game/report.h"
#include "sprites/overlap.h"

void Boss::Appear() {
    if (active == 0 && defeated == 0) {
        if (set.Image(0) == nullptr) {
            // A boss with no picture could be neither seen nor hit and would
            // hold the level for ever: it counts as destroyed, for no score.
            defeated = 1;
            return;
        }
        sprite.SetPos(420.0f, 110.0f);
        hp = BoundedLevelValue(level.bossHp) + difficulty + 8;
        active = 1;
    }
}

void Boss::Update(Game &game) {
    for (int j = 0; j < kLaneASize; ++j) {
        // Shots after the destroying one pass on.
        if (shots.activeA[j] == 1 && active == 1 && defeated == 0 &&
            Overlaps(shots.laneA[j], sprite)) {
            hp -= 1;
            if (hp < 1) {
                active = 0;
                defeated = 1;
                ship.score += 1000;
                ReportEvent(GameEvent::BossDestroyed);
            } else {
                ship.score += 1;
                ReportEvent(GameEvent::BossHit);
            }
            shots.activeA[j] = 0;
        }
    }
    if (active == 1 && !ship.Protected() && Overlaps(ship.sprite, sprite)) {
        ship.lives -= 1;
        ReportEvent(GameEvent::LifeLost);
        if (ship.lives < 0) {
            game.gameOver = 1;
            ReportEvent(GameEvent::GameOver);
        }
        // Ramming wears the boss down but never destroys it.
        hp -= 1;
        ship.Hit(game.clock);
    }
}

void Boss::EndOfLevel(Game &game) {
    if (ship.distance >= level.distance && defeated == 0) {
        Appear();
    }
    // An empty NEXT LEVEL (no level file ever named one) names "/leveldata":
    // it is reported and the level starts over after its boss. A boss with
    // no picture, though, counts as destroyed the moment it would come, so
    // the level would start over on every frame: then play goes on as after
    // "none".
    bool nowhere = level.nextLevel[0] == '\0' && set.Image(0) == nullptr;
    bool lastLevel = strcmp(level.nextLevel, "none") == 0 || nowhere;
    if (ship.distance >= level.distance && defeated == 1 && !lastLevel) {
        level.Load(level.nextLevel);
        level.Setup();
        game.showLevelImage = 1;
    }
}
