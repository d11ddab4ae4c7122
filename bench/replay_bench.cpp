// Headless replay speed: the longest shipped recording (about three minutes
// of play) replayed by the game itself with --replay --headless, start-up
// included. Reports the iterations (frames) replayed per second of real time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

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
