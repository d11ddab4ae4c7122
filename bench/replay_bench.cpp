// Replays: what recording adds to an iteration of play, and how fast the
// longest shipped recording (about three minutes of play) replays headless.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "app/shell.h"
#include "bench/bench_support.h"
#include "game/game.h"
#include "replay/replay.h"

namespace {

// The recording's share of one running iteration: the clock read, the round
// of polling, and the end of the iteration (the state digest and the line
// written and flushed). Compare with BM_DrawPlayFrame, one frame's drawing.
void BM_RecordIteration(benchmark::State &state) {
    if (!OpenBenchScreen(state)) {
        return;
    }
    FillPlayScene("data/level_1");
    // A real file: every line is written and flushed as the game does.
    const char *path = "/tmp/quarndel_record_bench.qrp";
    Options recordTo;
    recordTo.record = path;
    StartReplays(ReplayChoicesOf(recordTo));
    InstallDesktopHooks();
    StepRecordedIterations(state);
    ResetReplays();
    remove(path);
}
BENCHMARK(BM_RecordIteration);

void BM_ReplayHeadless(benchmark::State &state) {
    const std::string command = "cd " QUARNDEL_SOURCE_DIR " && SDL_AUDIODRIVER=none " QUARNDEL_EXE
                                " --replay tests/replays/level2.qrp --headless 2>&1";
    double frames = 0;
    for (auto _ : state) {
        FILE *pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) {
            state.SkipWithError("cannot start the game");
            return;
        }
        char line[256];
        unsigned iterations = 0;
        while (fgets(line, sizeof line, pipe) != nullptr) {
            sscanf(line, "score %*d lives %*d level %*d frame %*x iterations %u", &iterations);
        }
        if (pclose(pipe) != 0 || iterations == 0) {
            state.SkipWithError("the replay did not run");
            return;
        }
        frames += iterations;
    }
    state.counters["frames"] = benchmark::Counter(frames, benchmark::Counter::kAvgIterations);
    state.counters["frames_per_second"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReplayHeadless)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
