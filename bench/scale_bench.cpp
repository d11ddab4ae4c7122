// The cost of showing an enlarged frame: enlarging the 640x480 picture by
// whole pixels into a window of 2x or 3x its size, against a plain memcpy of
// a picture already that large (the least any way of showing it could cost).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "window/scaler.h"
#include "window/window.h"
#include "window/window_desktop.h"

namespace {

SDL_Surface *Surface(int w, int h) {
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
}

void BM_EnlargeFrame(benchmark::State &state) {
    int factor = (int)state.range(0);
    SDL_Surface *picture = Surface(640, 480);
    SDL_Surface *window = Surface(640 * factor, 480 * factor);
    for (int i = 0; i < 640 * 480; ++i) {
        ((Uint32 *)picture->pixels)[i] = (Uint32)i * 2654435761u;
    }
    for (auto _ : state) {
        EnlargeFrame(picture, window, factor, 0, 0);
        benchmark::DoNotOptimize(window->pixels);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)window->pitch * window->h);
    SDL_FreeSurface(window);
    SDL_FreeSurface(picture);
}
BENCHMARK(BM_EnlargeFrame)->Arg(2)->Arg(3);

void BM_MemcpyEnlargedPicture(benchmark::State &state) {
    int factor = (int)state.range(0);
    size_t bytes = (size_t)640 * factor * 480 * factor * 4;
    std::vector<Uint8> from(bytes, 7), to(bytes);
    for (auto _ : state) {
        memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)bytes);
}
BENCHMARK(BM_MemcpyEnlargedPicture)->Arg(2)->Arg(3);

// fullscreen_fit: a frame shown on a screen of the given size, filled by
// SDL_gfx's smoothed zoom (range 1: 1) or by whole factors (0), in one run.
// At 60 frames a second the CPU share of one core is 60 times the time.
void BM_FullscreenFrame(benchmark::State &state) {
    bool fill = state.range(0) == 1;
    int w = (int)state.range(1), h = (int)state.range(2);
    SDL_Surface *picture = Surface(640, 480);
    SDL_Surface *video = Surface(w, h);
    for (int i = 0; i < 640 * 480; ++i) {
        ((Uint32 *)picture->pixels)[i] = (Uint32)i * 2654435761u;
    }
    int factor = FullscreenScale(w, h);
    SDL_Rect whole = CentredPicture(w, h, factor);
    SDL_Rect filled = FilledPicture(w, h);
    for (auto _ : state) {
        if (fill) {
            ZoomIntoArea(picture, video, filled);
        } else {
            EnlargeFrame(picture, video, factor, whole.x, whole.y);
        }
        benchmark::DoNotOptimize(video->pixels);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(video);
    SDL_FreeSurface(picture);
}
BENCHMARK(BM_FullscreenFrame)
    ->Args({0, 1366, 768})
    ->Args({1, 1366, 768})
    ->Args({0, 1920, 1080})
    ->Args({1, 1920, 1080})
    ->Unit(benchmark::kMicrosecond);

} // namespace
