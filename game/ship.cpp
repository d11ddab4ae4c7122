#include "game/game.h"
#include "game/report.h"
#include "sprites/rect.h"

namespace {

constexpr float kSteerStep = 2.0f; // px per running frame, not scaled by dt
constexpr double kShotSpeed = 3.5; // px per dt unit: 0.35 px per ms
constexpr float kProtectionMs = 3000.0f;

// The lowest free slot of a lane, or -1 when all are in flight.
template <int N> int FreeSlot(const int (&active)[N]) {
    for (int i = 0; i < N; ++i) {
        if (active[i] == 0) {
            return i;
        }
    }
    return -1;
}

// Returns whether a shot left: false when the whole lane is in flight.
template <int N> bool Fire(Sprite (&lane)[N], int (&active)[N], const Sprite &from, int frame) {
    int i = FreeSlot(active);
    if (i < 0) {
        return false;
    }
    // Shots leave from the nose of the ship: 70 px right, 23 px down.
    lane[i].SetPos(from.GetX() + 70.0f, from.GetY() + 23.0f);
    lane[i].SetFrame(frame);
    lane[i].StopAnim();
    active[i] = 1;
    return true;
}

} // namespace

void ProjectilePool::FirePlayerShot() {
    if (Fire(laneA, activeA, ship.sprite, 0)) {
        ReportEvent(GameEvent::ShotFired);
    }
}

void ProjectilePool::FireHostileShot(int lane, const Sprite &from) {
    if (lane == 1) {
        Fire(laneB, activeB, from, 1);
    } else if (lane == 2) {
        Fire(laneC, activeC, from, 1);
    }
}

void ProjectilePool::MoveShots(float dt) {
    for (int i = 0; i < kLaneASize; ++i) {
        if (activeA[i] == 1) {
            laneA[i].MoveX(dt * kShotSpeed);
            if (laneA[i].GetX() > 640) {
                activeA[i] = 0;
            }
        }
    }
    for (int i = 0; i < kLaneBSize; ++i) {
        if (activeB[i] == 1) {
            laneB[i].MoveX(dt * kShotSpeed * -1.0);
            if (laneB[i].GetX() < 0) {
                activeB[i] = 0;
            }
        }
    }
    // Lane C's hostile shots fly left like lane B's, so its removal at the
    // left edge actually frees them.
    for (int i = 0; i < kLaneCSize; ++i) {
        if (activeC[i] == 1) {
            laneC[i].MoveX(dt * kShotSpeed * -1.0);
            if (laneC[i].GetX() < 0) {
                activeC[i] = 0;
            }
        }
    }
}

void PlayerShip::Steer(const Uint8 *keys) {
    if (keys == nullptr) {
        return;
    }
    // Bounds are tested before the move, so the ship may end up to one step
    // past a bound.
    if (keys[SDLK_UP] && sprite.GetY() > 50) {
        sprite.MoveY(-kSteerStep);
    }
    if (keys[SDLK_DOWN] && sprite.GetY() < 400) {
        sprite.MoveY(kSteerStep);
    }
    if (keys[SDLK_LEFT] && sprite.GetX() > 0) {
        sprite.MoveX(-kSteerStep);
    }
    if (keys[SDLK_RIGHT] && sprite.GetX() < 560) {
        sprite.MoveX(kSteerStep);
    }
}

void PlayerShip::Hit(float clock) {
    sprite.SetPos(10.0f, 245.0f);
    sprite.SetSpeed(1.0f); // protected: its frames blink
    sprite.StartAnim();
    game.hitTime = (float)TruncToInt(clock);
}

void PlayerShip::EndProtection(float clock, float hitTime) {
    if (clock - hitTime > kProtectionMs) {
        sprite.StopAnim();
        sprite.SetSpeed(0.0f);
        sprite.SetFrame(0);
    }
}
