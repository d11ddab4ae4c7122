#include "game/game.h"
#include "level/level_info.h"
#include "sprites/image.h"

namespace {

// Loads a level picture in place of the previous level's, telling the level
// author when it is missing (a level that names none has nothing to tell); a
// missing picture is simply not drawn.
void ReplaceLevelPicture(SDL_Surface **slot, const char *path) {
    SDL_Surface *image = LoadImage(path);
    if (image == nullptr && path[0] != '\0') {
        ReportUnreadable(path);
    }
    ReplaceSurface(slot, image);
}

template <int N>
void BindLane(SpriteSet &set, Sprite (&lane)[N], int (&active)[N], const char *dir) {
    set.Load(dir);
    for (int i = 0; i < N; ++i) {
        lane[i].Init(&set, screen);
        active[i] = 0;
    }
}

} // namespace

void LevelInfo::Setup() {
    // Inside the record, levelImage, ship and boss are the paths; the global
    // objects of the same names are reached with ::.
    ReplaceLevelPicture(&background, scene);
    ReplaceLevelPicture(&::levelImage, levelImage);
    SetBlackColorKey(::levelImage);

    ::ship.set.Load(ship);
    ::ship.sprite.Init(&::ship.set, screen);
    ::ship.sprite.SetPos(80.0f, 140.0f);
    ::ship.sprite.StopAnim();
    ::ship.distance = 0;

    // Each lane holds its own copy of the bullet frames.
    BindLane(shots.setA, shots.laneA, shots.activeA, bullet);
    BindLane(shots.setB, shots.laneB, shots.activeB, bullet);
    BindLane(shots.setC, shots.laneC, shots.activeC, bullet);

    for (int i = 0; i < kEnemyCount; ++i) {
        enemies.active[i] = 0;
    }
    ::boss.active = 0;
    ::boss.defeated = 0;

    ::boss.set.Load(boss);
    ::boss.sprite.Init(&::boss.set, screen);

    enemies.set.Load("data/enemy");
    for (int i = 0; i < kEnemyCount; ++i) {
        enemies.sprites[i].Init(&enemies.set, screen);
    }
}
