// --watch: what it costs each loop iteration while nothing changes, and the
// work between a save and the changed level (reading the events, the level's
// load and set-up again, the checker's run over it).
#include <benchmark/benchmark.h>
#include <utime.h>

#include "app/watch.h"
#include "bench/bench_support.h"
#include "game/game.h"
#include "sprites/ticks.h"

namespace {

// Watches data/level_1 of the shipped tree as the game would in play.
bool WatchFirstLevel(benchmark::State &state) {
    if (!OpenBenchScreen(state) || !StartLevelWatch()) {
        return false;
    }
    level = LevelInfo();
    level.Load("data/level_1");
    level.Setup();
    SetFakeTicks(0);
    PollLevelWatch();
    return true;
}

void BM_WatchIdlePoll(benchmark::State &state) {
    if (!WatchFirstLevel(state)) {
        return;
    }
    for (auto _ : state) {
        PollLevelWatch();
    }
    StopLevelWatch();
    ClearFakeTicks();
}
BENCHMARK(BM_WatchIdlePoll);

// A save is stood for by a new time stamp on the background (its bytes stay).
void BM_WatchReloadAndCheck(benchmark::State &state) {
    if (!WatchFirstLevel(state)) {
        return;
    }
    Uint32 now = 0;
    for (auto _ : state) {
        utime("data/level_1/scene.bmp", nullptr);
        for (int i = 0; i < 3; ++i) { // the event, the reload, the check
            now += 50;
            SetFakeTicks(now);
            PollLevelWatch();
        }
    }
    StopLevelWatch();
    ClearFakeTicks();
}
BENCHMARK(BM_WatchReloadAndCheck)->Unit(benchmark::kMillisecond);

} // namespace
