// The sound effects, sounds/*.wav: short 16-bit mono WAV files at 44100 Hz,
// synthesised from sine partials, band-limited square waves and filtered
// noise. Pitched effects use the notes of the title tune's A minor, so the
// effects and the tune sound like one set. Every effect starts and ends at
// silence through its envelope, so nothing clicks when it starts or stops.
#include "assets.h"
#include "output.h"
#include "rng.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100; // samples a second, the rate the game opens the mixer at
constexpr double kPi = 3.14159265358979323846;

// MIDI keys of the A minor notes the effects use (middle C is 60).
enum Key {
    A1 = 33,
    A2 = 45,
    A3 = 57,
    E4 = 64,
    A4 = 69,
    C5 = 72,
    E5 = 76,
    A5 = 81,
    C6 = 84,
    E6 = 88,
    A6 = 93
};

double Hz(int key) {
    return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}

// A mono effect being mixed, in floating point; written out once at the end.
class Sound {
  public:
    explicit Sound(double seconds) : samples_(static_cast<size_t>(seconds * kRate), 0.0) {}

    // A tone gliding exponentially from key `from` to key `to`, with a linear
    // attack and an exponential decay of time constant `tau` seconds.
    // `harmonics` odd partials at 1/n give a band-limited square; 1 a sine.
    void Tone(double start, double length, double fromHz, double toHz, double amp, double attack,
              double tau, int harmonics = 1, double vibratoHz = 0, double vibratoDepth = 0) {
        double phase = 0;
        Each(start, length, [&](double t, double &out) {
            double f = fromHz * std::pow(toHz / fromHz, t / length);
            if (vibratoHz > 0) {
                f *= 1 + vibratoDepth * std::sin(2 * kPi * vibratoHz * t);
            }
            phase += 2 * kPi * f / kRate;
            double v = 0;
            for (int n = 1; n <= 2 * harmonics - 1; n += 2) {
                if (f * n < kRate / 2.2) { // keep every partial well below Nyquist
                    v += std::sin(phase * n) / n;
                }
            }
            out += amp * v * Envelope(t, attack, tau);
        });
    }

    // Noise through a one-pole low-pass whose cut-off glides from `fromHz`
    // to `toHz`: a burst, a rumble or a tick depending on the band.
    void Noise(double start, double length, double fromHz, double toHz, double amp, double attack,
               double tau, uint64_t seed) {
        Rng rng(seed);
        double low = 0;
        Each(start, length, [&](double t, double &out) {
            double cut = fromHz * std::pow(toHz / fromHz, t / length);
            double a = 1 - std::exp(-2 * kPi * cut / kRate);
            low += a * (rng.Range(-1.0f, 1.0f) - low);
            out += amp * low * Envelope(t, attack, tau) * 2;
        });
    }

    // Scales the effect so its loudest sample is `peak` (of full scale),
    // then fades the last few milliseconds to exact silence.
    void Finish(double peak) {
        double most = 1e-9;
        for (double s : samples_) {
            most = std::max(most, std::fabs(s));
        }
        const size_t fade = kRate / 200; // 5 ms
        for (size_t i = 0; i < samples_.size(); i++) {
            double g = peak / most;
            size_t left = samples_.size() - 1 - i;
            if (left < fade) {
                g *= 0.5 - 0.5 * std::cos(kPi * left / fade);
            }
            samples_[i] *= g;
        }
    }

    // RIFF WAVE, PCM, one channel, 16 bits, little-endian.
    std::string Wav() const {
        std::string data;
        for (double s : samples_) {
            long v = std::lround(std::clamp(s, -1.0, 1.0) * 32767.0);
            data += static_cast<char>(v & 0xff);
            data += static_cast<char>((v >> 8) & 0xff);
        }
        std::string fmt =
            Le32(16) + Le16(1) + Le16(1) + Le32(kRate) + Le32(kRate * 2) + Le16(2) + Le16(16);
        std::string body = "WAVE" + ("fmt " + fmt) + "data" + Le32(data.size()) + data;
        return "RIFF" + Le32(body.size()) + body;
    }

  private:
    // Rises linearly from silence over `attack` seconds, then decays with
    // time constant `tau` (no decay when tau is 0).
    static double Envelope(double t, double attack, double tau) {
        double rise = attack > 0 && t < attack ? t / attack : 1.0;
        return rise * (tau > 0 ? std::exp(-t / tau) : 1.0);
    }
    template <typename F> void Each(double start, double length, F f) {
        size_t first = static_cast<size_t>(start * kRate);
        size_t count = static_cast<size_t>(length * kRate);
        for (size_t i = 0; i < count && first + i < samples_.size(); i++) {
            // Every layer ends with a 4 ms fade of its own, so none stops
            // with a step in the middle of another.
            double t = static_cast<double>(i) / kRate;
            double tail = (count - i) / (kRate * 0.004);
            double before = samples_[first + i];
            double mine = 0;
            f(t, mine);
            samples_[first + i] = before + mine * std::min(1.0, tail);
        }
    }
    static std::string Le16(uint32_t v) {
        return {static_cast<char>(v & 0xff), static_cast<char>(v >> 8)};
    }
    static std::string Le32(uint32_t v) {
        return {static_cast<char>(v & 0xff), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                static_cast<char>(v >> 24)};
    }

    std::vector<double> samples_;
};

// A bright chirp falling an octave, from A6 to A5, over a click of noise.
Sound PlayerShot() {
    Sound s(0.13);
    s.Tone(0, 0.13, Hz(A6), Hz(A5), 1.0, 0.002, 0.045, 3);
    s.Noise(0, 0.02, 6000, 2000, 0.25, 0.001, 0.006, 11);
    s.Finish(0.30);
    return s;
}

// A short knock on E5: a shot that hurt an enemy but did not destroy it.
Sound EnemyHit() {
    Sound s(0.09);
    s.Tone(0, 0.09, Hz(E5), Hz(E4), 0.8, 0.002, 0.025, 2);
    s.Noise(0, 0.05, 3000, 800, 0.6, 0.001, 0.012, 21);
    s.Finish(0.35);
    return s;
}

// A burst of noise darkening as it fades, over a drop from E4 to A2.
Sound EnemyDestroyed() {
    Sound s(0.5);
    s.Noise(0, 0.5, 5000, 300, 1.0, 0.003, 0.12, 31);
    s.Tone(0, 0.35, Hz(E4), Hz(A2), 0.5, 0.004, 0.09, 2);
    s.Finish(0.60);
    return s;
}

// A metallic clang: inharmonic partials over A3 that die away quickly.
Sound BossHit() {
    Sound s(0.2);
    const double partials[3][2] = {{1.0, 0.8}, {2.76, 0.45}, {5.40, 0.25}};
    for (const auto &p : partials) {
        s.Tone(0, 0.2, Hz(A3) * p[0], Hz(A3) * p[0] * 0.98, p[1], 0.001, 0.06 / p[0] + 0.02);
    }
    s.Noise(0, 0.04, 4000, 1500, 0.4, 0.001, 0.01, 41);
    s.Finish(0.45);
    return s;
}

// The big one: a long rumble with two later blasts, a fall from A2 to A1,
// and an A minor chord shimmering out of the smoke.
Sound BossDestroyed() {
    Sound s(1.8);
    s.Noise(0, 1.8, 3000, 120, 1.0, 0.004, 0.5, 51);
    s.Noise(0.28, 0.9, 2500, 200, 0.7, 0.004, 0.2, 52);
    s.Noise(0.62, 0.9, 2000, 150, 0.6, 0.004, 0.22, 53);
    s.Tone(0, 1.2, Hz(A2), Hz(A1), 0.6, 0.01, 0.5, 2);
    for (int key : {A4, C5, E5}) {
        s.Tone(0.7, 1.1, Hz(key), Hz(key), 0.12, 0.25, 0.45, 1, 5.0, 0.004);
    }
    s.Finish(0.85);
    return s;
}

// The ship is struck: a crunch of noise and a wavering fall from E5 to A3.
Sound ShipHit() {
    Sound s(0.8);
    s.Noise(0, 0.8, 4000, 250, 0.9, 0.002, 0.22, 61);
    s.Tone(0, 0.7, Hz(E5), Hz(A3), 0.6, 0.003, 0.3, 4, 9.0, 0.03);
    s.Finish(0.75);
    return s;
}

// A slow fall down the A minor chord, ending on a held A3.
Sound GameOver() {
    Sound s(2.0);
    const int notes[4] = {E5, C5, A4, E4};
    for (int i = 0; i < 4; i++) {
        s.Tone(i * 0.28, 0.5, Hz(notes[i]), Hz(notes[i]), 0.5, 0.01, 0.25, 3);
    }
    s.Tone(1.12, 0.88, Hz(A3), Hz(A3), 0.6, 0.02, 0.4, 3, 4.5, 0.006);
    s.Tone(1.12, 0.88, Hz(A2), Hz(A2), 0.4, 0.02, 0.4);
    s.Finish(0.60);
    return s;
}

// A quick climb up the A minor chord to a held A5.
Sound NewGame() {
    Sound s(0.9);
    const int notes[4] = {A4, C5, E5, A5};
    for (int i = 0; i < 4; i++) {
        double length = i == 3 ? 0.57 : 0.16;
        s.Tone(i * 0.11, length, Hz(notes[i]), Hz(notes[i]), 0.5, 0.004, i == 3 ? 0.22 : 0.08, 3);
    }
    s.Tone(0.33, 0.57, Hz(E5), Hz(E5), 0.25, 0.004, 0.22, 1);
    s.Finish(0.55);
    return s;
}

// A soft tick on E6: the menu cursor moves.
Sound MenuMove() {
    Sound s(0.06);
    s.Tone(0, 0.06, Hz(E6), Hz(E6), 1.0, 0.002, 0.018, 2);
    s.Finish(0.30);
    return s;
}

// Two notes, A5 then E6: a menu item is chosen.
Sound MenuChoose() {
    Sound s(0.3);
    s.Tone(0, 0.12, Hz(A5), Hz(A5), 0.8, 0.002, 0.05, 2);
    s.Tone(0.08, 0.22, Hz(E6), Hz(E6), 0.8, 0.002, 0.07, 2);
    s.Tone(0.08, 0.22, Hz(C6), Hz(C6), 0.3, 0.002, 0.07, 1);
    s.Finish(0.45);
    return s;
}

} // namespace

void WriteSounds(const std::string &out) {
    struct Effect {
        const char *name;
        Sound (*make)();
    };
    const Effect effects[] = {
        {"shot", PlayerShot},
        {"enemy_hit", EnemyHit},
        {"enemy_destroyed", EnemyDestroyed},
        {"boss_hit", BossHit},
        {"boss_destroyed", BossDestroyed},
        {"ship_hit", ShipHit},
        {"game_over", GameOver},
        {"new_game", NewGame},
        {"menu_move", MenuMove},
        {"menu_choose", MenuChoose},
    };
    MakeDirs(out + "/sounds");
    for (const Effect &e : effects) {
        WriteFile(out + "/sounds/" + e.name + ".wav", e.make().Wav());
    }
}
