// Load times: a level's set-up against the raw loads of the same files, and
// start-up to the first title frame.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "game/game.h"
#include "sprites/image.h"

namespace {

void BM_LevelSetup(benchmark::State &state) {
    if (!OpenBenchScreen(state)) {
        return;
    }
    level.Load("data/level_1");
    for (auto _ : state) {
        level.Setup();
    }
}
BENCHMARK(BM_LevelSetup)->Unit(benchmark::kMillisecond);

// Every picture file of a set folder, in the order its "info" lists them;
// with distinct, each file once.
std::vector<std::string> SetFrames(const std::string &dir, bool distinct) {
    std::vector<std::string> files;
    FILE *info = fopen((dir + "/info").c_str(), "r");
    if (info == nullptr) {
        return files;
    }
    char line[256];
    char name[256];
    while (fgets(line, sizeof line, info) != nullptr) {
        if (line[0] != '#' && line[0] != '\n' && line[0] != '\r' &&
            sscanf(line, "%255s", name) == 1 &&
            std::string(name).find(".bmp") != std::string::npos) {
            std::string file = dir + "/" + name;
            bool seen = false;
            for (const std::string &f : files) {
                seen = seen || f == file;
            }
            if (!distinct || !seen) {
                files.push_back(file);
            }
        }
    }
    fclose(info);
    return files;
}

// The same files loaded straight with SDL_LoadBMP and SDL_DisplayFormat:
// each frame line's file (range 0), or each distinct file of a set (1).
void BM_RawLevelLoads(benchmark::State &state) {
    if (!OpenBenchScreen(state)) {
        return;
    }
    level.Load("data/level_1");
    std::vector<std::string> files = {level.scene, level.levelImage};
    for (const std::string &dir :
         {std::string(level.ship), std::string(level.bullet), std::string(level.bullet),
          std::string(level.bullet), std::string(level.boss), std::string("data/enemy")}) {
        for (const std::string &f : SetFrames(dir, state.range(0) == 1)) {
            files.push_back(f);
        }
    }
    for (auto _ : state) {
        for (const std::string &f : files) {
            SDL_Surface *raw = SDL_LoadBMP(f.c_str());
            SDL_Surface *converted = SDL_DisplayFormat(raw);
            SDL_FreeSurface(raw);
            SDL_FreeSurface(converted);
        }
    }
    state.counters["files"] = (double)files.size();
}
BENCHMARK(BM_RawLevelLoads)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// Start-up to the first title frame: the window, the start-up pictures, the
// font and the cursor, then one title frame. Without sound, so each round
// costs the same.
void BM_StartupToFirstTitleFrame(benchmark::State &state) {
    if (!OpenBenchScreen(state)) {
        return;
    }
    setenv("SDL_AUDIODRIVER", "none", 1);
    for (auto _ : state) {
        SDL_Quit();
        game.Init();
        game.DrawTitle();
        state.PauseTiming();
        FreeFont(font);
        font = nullptr;
        state.ResumeTiming();
    }
    // Leave the screen and font as the other benchmarks expect them.
    font = LoadFont("data/font");
}
BENCHMARK(BM_StartupToFirstTitleFrame)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
