#include "replay/replay_digest.h"

#include "game/game.h"

#include <cstring>

namespace {

struct Digest {
    Uint32 hash = kFnvOffset;
    template <typename T> void Add(const T &value) { hash = HashBytes(&value, sizeof value, hash); }
    void Add(const Sprite &sprite) {
        Add(sprite.pos.x);
        Add(sprite.pos.y);
        Add(sprite.frame);
        Add(sprite.animating);
        Add(sprite.speed);
    }
    template <int N> void AddLane(const Sprite (&lane)[N], const int (&active)[N]) {
        for (int i = 0; i < N; ++i) {
            Add(active[i]);
            if (active[i] == 1) {
                Add(lane[i]);
            }
        }
    }
};

} // namespace

Uint32 HashBytes(const void *data, size_t size, Uint32 hash) {
    const Uint8 *p = (const Uint8 *)data;
    for (size_t i = 0; i < size; ++i) {
        hash = (hash ^ p[i]) * 16777619u; // the 32-bit FNV prime
    }
    return hash;
}

Uint16 StateDigest() {
    Digest d;
    // The game's own clock values are left out on purpose: the clock comes
    // from the recording, and only what the rules made of it counts.
    d.Add(game.paused);
    d.Add(game.quit);
    d.Add(game.gameOver);
    d.Add(game.showLevelImage);
    d.Add(game.titleRunning);
    d.Add(game.scrollOffset);
    d.Add(game.lastSpawnTime);
    d.Add(game.hitTime);
    d.Add(game.levelImageTime);
    d.Add(game.cursor);
    d.Add(difficulty);
    d.Add(level.levelNumber);
    d.Add(ship.lives);
    d.Add(ship.score);
    d.Add(ship.distance);
    d.Add(ship.sprite);
    d.AddLane(shots.laneA, shots.activeA);
    d.AddLane(shots.laneB, shots.activeB);
    d.AddLane(shots.laneC, shots.activeC);
    for (int i = 0; i < kEnemyCount; ++i) {
        d.Add(enemies.active[i]);
        if (enemies.active[i] == 1) {
            d.Add(enemies.sprites[i]);
            d.Add(enemies.hp[i]);
            d.Add(enemies.speed[i]);
            d.Add(enemies.phase[i]);
            d.Add(enemies.straight[i]);
        }
    }
    d.Add(boss.hp);
    d.Add(boss.active);
    d.Add(boss.defeated);
    d.Add(boss.sprite);
    return (Uint16)(d.hash ^ (d.hash >> 16));
}

Uint32 FrameChecksum(SDL_Surface *surface) {
    if (surface == nullptr || surface->pixels == nullptr) {
        return 0;
    }
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) < 0) {
        return 0;
    }
    // Only the bits that hold colour count. The fourth byte of a 32-bit
    // screen is no part of the picture: the classic library leaves it 0,
    // sdl12-compat's alpha blits leave the source's alpha there. With those
    // bits taken as 0, a frame the classic library drew hashes as before.
    const SDL_PixelFormat *format = surface->format;
    Uint32 colour = format->Rmask | format->Gmask | format->Bmask | format->Amask;
    bool masked = format->BytesPerPixel == 4 && colour != 0xffffffffu;
    Uint32 hash = kFnvOffset;
    const Uint8 *row = (const Uint8 *)surface->pixels;
    size_t rowBytes = (size_t)surface->w * format->BytesPerPixel;
    for (int y = 0; y < surface->h; ++y) {
        if (masked) {
            for (int x = 0; x < surface->w; ++x) {
                Uint32 pixel;
                memcpy(&pixel, row + (size_t)x * 4, sizeof pixel);
                pixel &= colour;
                hash = HashBytes(&pixel, sizeof pixel, hash);
            }
        } else {
            hash = HashBytes(row, rowBytes, hash);
        }
        row += surface->pitch;
    }
    if (SDL_MUSTLOCK(surface)) {
        SDL_UnlockSurface(surface);
    }
    return hash;
}
