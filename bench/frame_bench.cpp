// Cost of one play frame: the game's drawing, the same SDL calls made
// directly, the floor of clearing and copying one frame of memory, and the
// rules of a running frame without drawing.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/bench_support.h"
#include "game/game.h"

namespace {

constexpr size_t kFrameBytes = 640 * 480 * 4;

void BM_FloorMemsetMemcpy(benchmark::State &state) {
    std::vector<unsigned char> a(kFrameBytes), b(kFrameBytes, 1);
    for (auto _ : state) {
        // Each operation's result is made visible before the next, or the
        // compiler drops the clear that the copy overwrites.
        memset(a.data(), 0, kFrameBytes);
        benchmark::DoNotOptimize(a.data());
        benchmark::ClobberMemory();
        memcpy(a.data(), b.data(), kFrameBytes);
        benchmark::DoNotOptimize(a.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FloorMemsetMemcpy);

void BM_DrawPlayFrame(benchmark::State &state) {
    if (!OpenBenchScreen(state)) {
        return;
    }
    FillPlayScene("data/level_1");
    for (auto _ : state) {
        game.DrawPlay();
    }
}
BENCHMARK(BM_DrawPlayFrame);

// The blits DrawPlay makes, prepared once and made straight to SDL.
void BM_DirectSdlFrame(benchmark::State &state) {
    if (!OpenBenchScreen(state)) {
        return;
    }
    FillPlayScene("data/level_1");
    struct Blit {
        SDL_Surface *surface;
        SDL_Rect source;
        bool whole;
        Sint16 x, y;
    };
    std::vector<Blit> blits;
    blits.push_back({levelImage, {}, true, 200, 100});
    const struct {
        int x, y;
        const char *text;
    } texts[] = {{5, 10, "Score: 0"},
                 {40, 460, "Programmed by Zelvrin"},
                 {100, 10, "Level: 1"},
                 {580, 10, "Lives: 1"},
                 {220, 460, "Music by Quobarth"},
                 {400, 460, "Sprites by Ilmendae"}};
    for (const auto &t : texts) {
        int pen = 0;
        for (const unsigned char *c = (const unsigned char *)t.text; *c; ++c) {
            int w = font->widths[*c];
            blits.push_back(
                {font->image,
                 {(Sint16)((*c % 16) * font->cell + font->cell / 2 - w / 2),
                  (Sint16)((*c / 16) * font->cell), (Uint16)(w + 2), (Uint16)font->cell},
                 false,
                 (Sint16)(t.x + pen),
                 (Sint16)t.y});
            pen += w;
        }
    }
    auto sprite = [&](Sprite &s) {
        blits.push_back({s.set->Image(s.frame), {}, true, (Sint16)s.GetX(), (Sint16)s.GetY()});
    };
    sprite(ship.sprite);
    sprite(boss.sprite);
    for (int i = 0; i < kLaneASize; ++i) {
        sprite(shots.laneA[i]);
    }
    for (int i = 0; i < kEnemyCount; ++i) {
        sprite(enemies.sprites[i]);
    }
    // The background scrolls through every offset, as in the game: how well
    // SDL copies a piece depends on its alignment.
    int o = 0;
    for (auto _ : state) {
        SDL_FillRect(screen, nullptr, 0);
        SDL_Rect first = {(Sint16)o, 0, (Uint16)(640 - o), 480};
        SDL_Rect firstAt = {0, 0, 0, 0};
        SDL_UpperBlit(background, &first, screen, &firstAt);
        if (o > 0) {
            SDL_Rect second = {0, 0, (Uint16)o, 480};
            SDL_Rect secondAt = {(Sint16)(639 - o), 0, 0, 0};
            SDL_UpperBlit(background, &second, screen, &secondAt);
        }
        o = (o + 1) % 640;
        for (Blit &b : blits) {
            SDL_Rect at = {b.x, b.y, 0, 0};
            SDL_UpperBlit(b.surface, b.whole ? nullptr : &b.source, screen, &at);
        }
        SDL_Flip(screen);
    }
}
BENCHMARK(BM_DirectSdlFrame);

// Steps 1-10 of a running frame: full group, ten shots and the boss, with a
// time step of zero so the scene stays as it is.
void BM_RulesFrame(benchmark::State &state) {
    if (!OpenBenchScreen(state)) {
        return;
    }
    FillPlayScene("data/level_1");
    game.dt = 0.0f;
    game.showLevelImage = 0;
    game.lastSpawnTime = 1e9f; // no spawn
    ship.distance = 0;
    for (auto _ : state) {
        game.RunRules();
    }
    state.counters["enemies"] = kEnemyCount;
}
BENCHMARK(BM_RulesFrame);

// The enemy update alone: ten enemies against ten shots.
void BM_EnemyUpdate(benchmark::State &state) {
    if (!OpenBenchScreen(state)) {
        return;
    }
    FillPlayScene("data/level_1");
    game.dt = 0.0f;
    for (auto _ : state) {
        enemies.Update(game);
    }
}
BENCHMARK(BM_EnemyUpdate);

} // namespace
