#pragma once
// Puts the benchmarks into the shipped data tree with a dummy-video screen.
#include <SDL.h>
#include <benchmark/benchmark.h>

// Opens the screen the way the game does and changes into the repository
// root, where data/ lies. When that fails or the shipped tree is missing,
// marks the benchmark skipped and returns false.
bool OpenBenchScreen(benchmark::State &state);

// Runs the benchmark's iterations as recorded loop iterations of play: the
// ship moves (so no line repeats the one before), the clock is read, the
// events are polled and the iteration ends through the replay hook.
void StepRecordedIterations(benchmark::State &state);

// Loads and sets up a shipped level and fills the play screen: level picture,
// boss, ten shots and ten enemies in play, none touching another.
void FillPlayScene(const char *levelDir);
