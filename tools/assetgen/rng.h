// The generator's own random numbers and noise. Seeded explicitly so every
// run draws the same stars, nebulae and rocks; nothing here reads the clock.
#pragma once

#include <cstdint>

// SplitMix64: small, fast and the same on every platform.
class Rng {
  public:
    explicit Rng(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    float Unit() { return static_cast<float>(Next() >> 40) / static_cast<float>(1ull << 24); }
    float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }

  private:
    uint64_t state_;
};

// Gradient noise in -1..1 whose pattern repeats every `period` lattice cells
// in x, so a picture made from it wraps around seamlessly.
float PeriodicNoise(float x, float y, int period, uint32_t seed);

// Several octaves of PeriodicNoise over picture coordinates: the picture is
// `wrapWidth` pixels wide and the coarsest octave has `cells` cells across it.
// Result roughly in -1..1.
float Fbm(float x, float y, int wrapWidth, int cells, int octaves, uint32_t seed);
