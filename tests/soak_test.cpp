// Plays the shipped game for a long time with scripted random input: every
// level of the chain, many game overs and new games. Under AddressSanitizer it
// also checks that memory does not grow from one level change to the next.
//   QUARNDEL_SOAK_ITERATIONS  iterations to play (default 20000)
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "game/game.h"
#include "sprites/ticks.h"
#include "tests/support.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's count of heap bytes in use, exported by its runtime.
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
#define QUARNDEL_HEAP_STATS 1
#endif

namespace {

// The shipped tree with every level one screen long, so the chain goes round
// often; everything else as shipped.
void CopyShortenedData(const std::string &to) {
    std::string command = "cp -r '" QUARNDEL_SOURCE_DIR "/data' '" + to + "/data'";
    ASSERT_EQ(system(command.c_str()), 0);
    for (int n = 1;; ++n) {
        std::string path = to + "/data/level_" + std::to_string(n) + "/leveldata";
        std::ifstream in(path);
        if (!in) {
            break;
        }
        std::stringstream text;
        text << in.rdbuf();
        in.close();
        WriteFile(path,
                  std::regex_replace(text.str(), std::regex("DISTANCE: [0-9]+"), "DISTANCE: 1"));
    }
}

// The player's own random numbers, apart from the game's rand().
struct ScriptRandom {
    unsigned state = 2463534242u;
    unsigned Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    bool Chance(unsigned percent) { return Next() % 100 < percent; }
};

size_t HeapInUse() {
#ifdef QUARNDEL_HEAP_STATS
    return __sanitizer_get_current_allocated_bytes();
#else
    return 0;
#endif
}

TEST(Soak, PlaysEveryLevelThroughManyGamesWithoutGrowing) {
    const char *wanted = getenv("QUARNDEL_SOAK_ITERATIONS");
    const long iterations = wanted != nullptr ? atol(wanted) : 20000;
    TempDir tmp;
    CopyShortenedData(tmp.Path());
    WorkingDir cwd(tmp.Path());
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    game.Init();
    srand(20261207);
    game.titleRunning = 0;
    game.quit = 0;
    game.gameOver = 0;
    game.EnterPlay();

    ScriptRandom script;
    Uint32 nowMs = 100000;
    int levelChanges = 0;
    int gameOvers = 0;
    int highestLevel = 1;
    std::map<int, size_t> heapAtFirstEntry;
    std::map<int, size_t> heapAtLastEntry;
    for (long i = 0; i < iterations; ++i) {
        // About 16.7 ms a frame: 16, 17, 17.
        nowMs += i % 3 == 0 ? 16 : 17;
        SetFakeTicks(nowMs);
        // Hold the arrows for a while, then change them.
        if (script.Chance(5)) {
            for (SDLKey k : {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT}) {
                game.keys[k] = script.Chance(30) ? 1 : 0;
            }
        }
        if (script.Chance(20)) {
            PushKey(SDLK_SPACE);
        }
        if (script.Chance(game.paused ? 20 : 1) && script.Chance(10)) {
            PushKey(SDLK_p);
        }
        if (game.gameOver && script.Chance(2)) {
            PushKey(SDLK_n);
        }
        int levelBefore = level.levelNumber;
        bool overBefore = game.gameOver;
        game.PlayStep();
        ASSERT_EQ(game.quit, 0);
        if (!overBefore && game.gameOver) {
            ++gameOvers;
        }
        if (level.levelNumber != levelBefore || (overBefore && !game.gameOver)) {
            ++levelChanges;
            highestLevel = std::max(highestLevel, level.levelNumber);
            size_t heap = HeapInUse();
            heapAtFirstEntry.emplace(level.levelNumber, heap);
            if (levelChanges >= 100) {
                heapAtLastEntry[level.levelNumber] = heap;
            }
        }
        // The invariants every frame keeps.
        ASSERT_GE(game.scrollOffset, 0.0f);
        ASSERT_LT(game.scrollOffset, 640.0f);
        ASSERT_GE(difficulty, 0);
        for (int e = 0; e < kEnemyCount; ++e) {
            if (enemies.active[e]) {
                ASSERT_GE(enemies.sprites[e].GetX(), -52.0f);
            }
        }
    }
    printf("soak: %ld iterations, %d level changes, %d game overs, levels 1..%d reached\n",
           iterations, levelChanges, gameOvers, highestLevel);
    EXPECT_GE(highestLevel, 3);
    EXPECT_GT(gameOvers, 0);
#ifdef QUARNDEL_HEAP_STATS
    for (const auto &[number, heap] : heapAtLastEntry) {
        long growth = (long)heap - (long)heapAtFirstEntry[number];
        printf("soak: heap on entering level %d: %zu bytes first, %zu after the 100th change\n",
               number, heapAtFirstEntry[number], heap);
        // A level whose pictures were not released would add megabytes.
        EXPECT_LT(std::labs(growth), 4096L) << "level " << number;
    }
    if (iterations >= 200000) {
        EXPECT_GE(levelChanges, 100);
        EXPECT_FALSE(heapAtLastEntry.empty());
    }
#endif
    ClearFakeTicks();
    FreeFont(font);
    font = nullptr;
}

} // namespace
