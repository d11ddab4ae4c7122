// High scores: what recording every game for the score table adds to an
// iteration of play, and how long entering a game into a full table takes
// (the recording and the table written and flushed to the disk, under the
// folder's lock) — the pause after a game over.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/shell.h"
#include "bench/bench_support.h"
#include "files/score_keeping.h"
#include "files/scores.h"
#include "game/game.h"
#include "replay/replay.h"

namespace {

// A fresh folder on the disk (not a RAM disk), so the fsyncs cost what they
// cost for a player; QUARNDEL_BENCH_SCORES names another.
std::string BenchFolder() {
    const char *named = getenv("QUARNDEL_BENCH_SCORES");
    std::string folder = named != nullptr ? named : "/var/tmp/quarndel_scores_bench";
    std::string clear = "rm -rf '" + folder + "'";
    benchmark::DoNotOptimize(system(clear.c_str()));
    return folder;
}

// Compare with BM_RecordIteration (--record): the same lines go to the
// score keeper's copy in memory instead.
void BM_RecordIterationForScores(benchmark::State &state) {
    if (!OpenBenchScreen(state)) {
        return;
    }
    FillPlayScene("data/level_1");
    std::string folder = BenchFolder();
    Options options;
    options.scoresDir = folder.c_str();
    StartReplays(ReplayChoicesOf(options));
    StartScoreKeeping(options);
    InstallDesktopHooks();
    ReplaySeed(1);
    StepRecordedIterations(state);
    ResetScoreKeeping();
    ResetReplays();
}
BENCHMARK(BM_RecordIterationForScores);

// A full table of every difficulty; each entry beats them all, takes rank 1
// and pushes the last one (and its recording) out. The recording is a
// minute of play, as the game writes it (about 32 KiB).
void BM_EnterScore(benchmark::State &state) {
    std::string folder = BenchFolder();
    std::string recording(32 * 1024, '1');
    int score = 1;
    for (int d = 0; d < kScoreDifficulties; ++d) {
        for (int i = 0; i < kScoresPerTable; ++i) {
            ScoreEntry e;
            e.difficulty = d;
            e.score = score++;
            e.when = UtcTime(false);
            e.name = "player";
            e.recording = "fill-" + std::to_string(e.score) + ".qrp";
            EnterScore(folder, e, recording, stderr);
        }
    }
    for (auto _ : state) {
        ScoreEntry e;
        e.score = score++;
        e.when = UtcTime(false);
        e.name = "player";
        e.recording = "game-" + std::to_string(e.score) + ".qrp";
        if (EnterScore(folder, e, recording, stderr) != 1) {
            state.SkipWithError("the entry did not take rank 1");
            return;
        }
    }
    std::string clear = "rm -rf '" + folder + "'";
    benchmark::DoNotOptimize(system(clear.c_str()));
}
BENCHMARK(BM_EnterScore)->Unit(benchmark::kMillisecond);

} // namespace
