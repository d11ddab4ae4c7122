// The sound effects' cost: how soon a shot is heard, and the CPU the game
// uses at 60 frames a second with effects against without. The sound goes
// to SDL's disk driver, which writes the mixed output to a file about in
// real time, so the measurements need no sound card. Run from anywhere:
// it plays the shipped data tree of the source folder.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/game.h"
#include "game/pacer.h"
#include "sound/effects.h"

namespace {

// Sample frames a mixer buffer holds, as the game opens the device.
constexpr int kBufferFrames = 512;
constexpr int kFrameBytes = 4;         // 16-bit stereo
constexpr int kOutputRate = 44100;     // sample frames a second
constexpr int kFramesPerRun = 60;      // one second of play at 60 fps
constexpr int kFramesBetweenShots = 6; // ten shots a second

std::string output; // the disk driver's output file

double NowMs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

long FileSize() {
    struct stat info;
    return stat(output.c_str(), &info) == 0 ? (long)info.st_size : 0;
}

// The byte offset of the first non-zero sample frame at or after `from`, or
// -1 when everything written so far is silence.
long FirstSound(long from) {
    FILE *f = fopen(output.c_str(), "rb");
    if (f == nullptr || fseek(f, from, SEEK_SET) != 0) {
        if (f != nullptr) {
            fclose(f);
        }
        return -1;
    }
    long at = from;
    int c;
    long found = -1;
    while ((c = fgetc(f)) != EOF) {
        if (c != 0) {
            found = at - at % kFrameBytes;
            break;
        }
        ++at;
    }
    fclose(f);
    return found;
}

// Starts the game on the shipped tree once, puts it into play on level 1
// and keeps enemies away; the tune stays off as it does in play.
bool StartGame(benchmark::State &state) {
    static bool started = false;
    if (!started) {
        if (chdir(QUARNDEL_SOURCE_DIR) != 0) {
            state.SkipWithError("no source folder");
            return false;
        }
        game.Init();
        started = true;
    }
    char driver[32] = "";
    if (SDL_AudioDriverName(driver, sizeof driver) == nullptr || std::string(driver) != "disk" ||
        EffectChunk(GameEvent::ShotFired) == nullptr) {
        state.SkipWithError("the disk audio driver or the shipped effects did not open");
        return false;
    }
    game.titleRunning = 0;
    game.quit = 0;
    game.gameOver = 0;
    game.paused = 0;
    game.EnterPlay();
    ship.lives = 1000000; // the run never ends in a game over
    return true;
}

void PushSpace() {
    SDL_Event event = {};
    event.type = SDL_KEYDOWN;
    event.key.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = SDLK_SPACE;
    SDL_PushEvent(&event);
}

// Set by the mixer's thread: when the first buffer holding sound was mixed
// after the bench armed the watch, and where in it the sound begins.
std::atomic<bool> watching{false};
std::atomic<double> mixedAt{0};
std::atomic<int> mixedOffset{-1};

// Runs on every buffer after the mixer has mixed the tune and the effects,
// just before SDL hands it to the driver.
void WatchOutput(int /*channel*/, void *stream, int length, void * /*unused*/) {
    if (!watching.load()) {
        return;
    }
    const Uint8 *bytes = static_cast<const Uint8 *>(stream);
    for (int i = 0; i < length; ++i) {
        if (bytes[i] != 0) {
            mixedOffset.store(i - i % kFrameBytes);
            mixedAt.store(NowMs());
            watching.store(false);
            return;
        }
    }
}

// From the start of the play iteration that fires a shot to the moment the
// shot's first sample is due out: the time until its buffer is mixed and
// handed to the driver, plus its place in that buffer (the iteration time).
// The disk driver writes through a stdio buffer that keeps each buffer back
// until the next is written, so the file shows the shot one buffer later
// (file_mean_ms, file_worst_ms).
void BM_ShotLatency(benchmark::State &state) {
    if (!StartGame(state)) {
        return;
    }
    Mix_RegisterEffect(MIX_CHANNEL_POST, WatchOutput, nullptr, nullptr);
    double worst = 0;
    double fileSum = 0;
    double fileWorst = 0;
    int runs = 0;
    for (auto _ : state) {
        game.lastSpawnTime = 1e9f; // no enemies: nothing else sounds
        for (int i = 0; i < kLaneASize; ++i) {
            shots.activeA[i] = 0;
        }
        // The last shot's effect has ended and gone out; the odd extra
        // milliseconds fire at every phase of the mixer's buffers.
        SDL_Delay(250 + runs * 7 % 23);
        long from = FileSize();
        mixedOffset.store(-1);
        watching.store(true);
        PushSpace();
        double start = NowMs();
        game.PlayStep();
        long sound = -1;
        double seen = start;
        while (sound < 0 && NowMs() - start < 1000) {
            usleep(200);
            seen = NowMs();
            sound = FirstSound(from);
        }
        watching.store(false);
        if (sound < 0 || mixedOffset.load() < 0) {
            state.SkipWithError("the shot was never heard");
            return;
        }
        auto inBuffer = [](long offset) {
            long bufferBytes = kBufferFrames * kFrameBytes;
            return (double)(offset % bufferBytes) / kFrameBytes * 1000.0 / kOutputRate;
        };
        double latency = mixedAt.load() - start + inBuffer(mixedOffset.load());
        double fileLatency = seen - start + inBuffer(sound);
        worst = latency > worst ? latency : worst;
        fileWorst = fileLatency > fileWorst ? fileLatency : fileWorst;
        fileSum += fileLatency;
        ++runs;
        state.SetIterationTime(latency / 1000.0);
    }
    Mix_UnregisterEffect(MIX_CHANNEL_POST, WatchOutput);
    state.counters["buffer_frames"] = kBufferFrames;
    state.counters["worst_ms"] = worst;
    state.counters["file_mean_ms"] = fileSum / runs;
    state.counters["file_worst_ms"] = fileWorst;
}
BENCHMARK(BM_ShotLatency)->UseManualTime()->Iterations(60)->Unit(benchmark::kMillisecond);

// One second of paced play with a shot every sixth frame and enemies
// coming: the process's CPU time covers the mixer's thread too. Argument 1
// plays the effects, 0 the same game with them unloaded.
void BM_PlayAt60Fps(benchmark::State &state) {
    if (!StartGame(state)) {
        return;
    }
    bool effects = state.range(0) != 0;
    if (effects) {
        LoadEffects(false);
    } else {
        FreeEffects();
    }
    FramePacer pacer;
    int frame = 0;
    for (auto _ : state) {
        for (int i = 0; i < kFramesPerRun; ++i) {
            if (++frame % kFramesBetweenShots == 0) {
                PushSpace();
            }
            game.PlayStep();
            pacer.Wait();
        }
    }
    int started = 0;
    for (int i = 0; i < kGameEventCount; ++i) {
        started += EffectStarts((GameEvent)i);
    }
    state.counters["effects_started"] = started;
    LoadEffects(false);
}
BENCHMARK(BM_PlayAt60Fps)
    ->Arg(0)
    ->Arg(1)
    ->Arg(0)
    ->Arg(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    char path[] = "/tmp/quarndel-effects-bench-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) {
        return 1;
    }
    close(fd);
    output = path;
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path, 1);
    // Milliseconds between buffers: 512 frames at 44100 Hz last 11.6 ms.
    setenv("SDL_DISKAUDIODELAY", "11", 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    unlink(path);
    return 0;
}
