// The title tune, music/title_screen.mid: a 48-second General MIDI piece in
// A minor at 120 beats a minute that loops without a seam. It is a standard
// MIDI file of format 1: a tempo track, then lead, bass, string pad,
// arpeggio and drums (channel 10). Every track ends exactly at the end of
// bar 24, and bar 24's drum fill leads back into bar 1's crash.
#include "assets.h"
#include "draw.h"
#include "output.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kTicksPerBeat = 480;
constexpr int kBar = 4 * kTicksPerBeat;
constexpr int kEighth = kTicksPerBeat / 2;
constexpr int kBars = 24;
constexpr int kEnd = kBars * kBar;

struct Event {
    int tick;
    int order; // at the same tick: note-offs (0) before set-up (1) before note-ons (2)
    std::vector<uint8_t> bytes;
};

class Track {
  public:
    explicit Track(int channel) : channel_(channel) {}

    void Program(int program) { Add(0, 1, {static_cast<uint8_t>(0xc0 | channel_), Byte(program)}); }
    void Control(int number, int value) {
        Add(0, 1, {static_cast<uint8_t>(0xb0 | channel_), Byte(number), Byte(value)});
    }
    void Note(int tick, int length, int key, int velocity) {
        Add(tick, 2, {static_cast<uint8_t>(0x90 | channel_), Byte(key), Byte(velocity)});
        Add(tick + length, 0, {static_cast<uint8_t>(0x80 | channel_), Byte(key), 0});
    }
    void Meta(int type, const std::vector<uint8_t> &data) {
        std::vector<uint8_t> bytes = {0xff, Byte(type), Byte(static_cast<int>(data.size()))};
        bytes.insert(bytes.end(), data.begin(), data.end());
        Add(0, 1, bytes);
    }

    // The track chunk: events in time order, delta times as variable-length
    // numbers, and the end-of-track mark at the end of the last bar.
    std::string Chunk() const {
        std::vector<Event> sorted = events_;
        std::stable_sort(sorted.begin(), sorted.end(), [](const Event &a, const Event &b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        std::string body;
        int now = 0;
        for (const Event &e : sorted) {
            Delta(body, e.tick - now);
            now = e.tick;
            body.append(e.bytes.begin(), e.bytes.end());
        }
        Delta(body, kEnd - now);
        body += std::string("\xff\x2f\x00", 3);
        return "MTrk" + Be32(static_cast<uint32_t>(body.size())) + body;
    }

    static std::string Be32(uint32_t v) {
        return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                static_cast<char>(v)};
    }

  private:
    static uint8_t Byte(int v) { return static_cast<uint8_t>(v & 0x7f); }
    static void Delta(std::string &out, int ticks) {
        uint32_t v = static_cast<uint32_t>(ticks);
        std::string bytes(1, static_cast<char>(v & 0x7f));
        while (v >>= 7) {
            bytes.insert(bytes.begin(), static_cast<char>(0x80 | (v & 0x7f)));
        }
        out += bytes;
    }
    void Add(int tick, int order, std::vector<uint8_t> bytes) {
        if (tick > kEnd) {
            Fail("a note runs past the end of the tune");
        }
        events_.push_back({tick, order, std::move(bytes)});
    }

    int channel_;
    std::vector<Event> events_;
};

// Chords of the 24 bars, each a root (bass octave) and a three-note voicing.
struct Chord {
    int root;
    int voicing[3];
};
const Chord kAm{45, {57, 60, 64}}, kF{41, {57, 60, 65}}, kC{48, {55, 60, 64}}, kG{43, {55, 59, 62}},
    kE{40, {56, 59, 64}}, kEm{40, {55, 59, 64}};
const Chord kChords[kBars] = {kAm, kF, kC,  kG,                    // intro
                              kAm, kF, kC,  kG,  kAm, kF, kG,  kE, // theme
                              kF,  kG, kEm, kAm, kF,  kG, kAm, kE, // answer
                              kAm, kF, kG,  kE};                   // outro

// The melody from bar 5 on, one bar per string: notes as name, octave and
// length in eighths ("E5/2" is the E above middle C for a quarter); "-"
// is a rest.
const char *const kMelody[kBars - 4] = {
    // Theme.
    "E5/2 A4/1 C5/1 E5/2 D5/1 C5/1", // Am
    "F5/3 E5/1 C5/2 A4/2",           // F
    "G5/2 E5/2 C5/2 E5/1 G5/1",      // C
    "D5/3 B4/1 G4/4",                // G
    "E5/2 A4/1 C5/1 E5/2 A5/2",      // Am
    "A5/3 G5/1 F5/2 C5/2",           // F
    "D5/2 G5/2 F5/2 D5/2",           // G
    "E5/3 D5/1 B4/2 G#4/2",          // E
    // Answer: an octave's climb over the relative major.
    "A5/4 C6/2 A5/2",      // F
    "B5/4 D6/2 B5/2",      // G
    "G5/3 E5/1 B5/2 G5/2", // Em
    "A5/6 E5/2",           // Am
    "F5/2 A5/2 C6/3 A5/1", // F
    "B5/2 G5/2 D6/3 B5/1", // G
    "C6/2 B5/2 A5/2 E5/2", // Am
    "G#5/4 E5/2 B4/2",     // E
    // Outro: the theme comes home, then rests under the drum fill.
    "A5/8", "-/8", "-/8", "-/8"};

// MIDI key of a note name such as "G#4" (middle C is C4, key 60).
int Key(const std::string &name) {
    static const int semitones[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    int key = semitones[name[0] - 'A'];
    size_t i = 1;
    if (name[i] == '#') {
        key++;
        i++;
    }
    return key + 12 * (name[i] - '0' + 1);
}

void Melody(Track &t) {
    for (int bar = 0; bar < kBars - 4; bar++) {
        int tick = (bar + 4) * kBar;
        std::string notes = kMelody[bar];
        size_t pos = 0;
        while (pos < notes.size()) {
            size_t end = notes.find(' ', pos);
            std::string note = notes.substr(pos, end == std::string::npos ? end : end - pos);
            pos = end == std::string::npos ? notes.size() : end + 1;
            size_t slash = note.find('/');
            int length = std::stoi(note.substr(slash + 1)) * kEighth;
            if (note[0] != '-') {
                // Long notes a little softer than the quick ones that drive the line.
                t.Note(tick, length - 30, Key(note.substr(0, slash)),
                       length >= 4 * kEighth ? 92 : 104);
            }
            tick += length;
        }
        if (tick != (bar + 5) * kBar) {
            Fail("melody bar " + std::to_string(bar + 5) + " is not four beats long");
        }
    }
}

void Bass(Track &t) {
    for (int bar = 0; bar < kBars; bar++) {
        int root = kChords[bar].root;
        for (int i = 0; i < 8; i++) {
            int key = (i == 3 || i == 7) ? root + 12 : root; // octave leaps on the offbeats
            int velocity = (bar < 2 ? 70 : 96) + (i % 2 == 0 ? 12 : 0);
            t.Note(bar * kBar + i * kEighth, kEighth - 40, key, velocity);
        }
    }
}

void Pad(Track &t) {
    for (int bar = 0; bar < kBars; bar++) {
        for (int key : kChords[bar].voicing) {
            t.Note(bar * kBar, kBar - 20, key, 64);
        }
    }
}

// Sixteenths climbing and falling through the chord an octave up.
void Arpeggio(Track &t) {
    const int shape[8] = {0, 1, 2, 3, 4, 3, 2, 1};
    for (int bar = 0; bar < kBars; bar++) {
        const int *v = kChords[bar].voicing;
        int keys[5] = {v[0] + 12, v[1] + 12, v[2] + 12, v[0] + 24, v[1] + 24};
        for (int i = 0; i < 16; i++) {
            t.Note(bar * kBar + i * kEighth / 2, kEighth / 2 - 30, keys[shape[i % 8]],
                   i % 4 == 0 ? 62 : 48);
        }
    }
}

void Drums(Track &t) {
    enum { Kick = 36, Snare = 38, ClosedHat = 42, OpenHat = 46, Crash = 49 };
    enum { LowTom = 45, MidTom = 47, HighTom = 50 };
    for (int bar = 0; bar < kBars; bar++) {
        int at = bar * kBar;
        bool fill = bar == kBars - 1;
        if (bar == 0 || bar == 4 || bar == 12) {
            t.Note(at, kBar / 2, Crash, 100);
        }
        for (int i = 0; i < 8; i++) {
            int tick = at + i * kEighth;
            if (fill && i >= 4) {
                continue;
            }
            t.Note(tick, kEighth - 20, i == 7 && bar >= 4 ? OpenHat : ClosedHat,
                   i % 2 == 0 ? 80 : 60);
        }
        t.Note(at, kEighth, Kick, 112);
        t.Note(at + 4 * kEighth, kEighth, Kick, 104);
        if (bar >= 4) {
            t.Note(at + 3 * kEighth, kEighth, Kick, 90);
        }
        if (bar >= 2) {
            t.Note(at + 2 * kEighth, kEighth, Snare, 104);
            if (!fill) {
                t.Note(at + 6 * kEighth, kEighth, Snare, 104);
            }
        }
        if (fill) {
            // Tom run down the second half of the last bar, back into the crash.
            const int toms[8] = {HighTom, HighTom, MidTom, MidTom, LowTom, LowTom, Snare, Snare};
            for (int i = 0; i < 8; i++) {
                t.Note(at + kBar / 2 + i * kEighth / 2, kEighth / 2 - 10, toms[i], 90 + i * 3);
            }
        }
    }
}

// Sets a channel's instrument, volume, stereo position and reverb at the
// start, so every pass through the loop begins the same way.
Track Instrument(int channel, int program, int volume, int pan, int reverb) {
    Track t(channel);
    t.Program(program);
    t.Control(7, volume);
    t.Control(10, pan);
    t.Control(91, reverb);
    return t;
}

} // namespace

void WriteMusic(const std::string &out) {
    Track tempo(0);
    tempo.Meta(0x03, {'Q', 'u', 'a', 'r', 'n', 'd', 'e', 'l'});
    tempo.Meta(0x51, {0x07, 0xa1, 0x20});        // 500000 microseconds a beat: 120 a minute
    tempo.Meta(0x58, {4, 2, 24, 8});             // 4/4
    Track lead = Instrument(0, 81, 100, 64, 50); // Lead 2 (sawtooth)
    Track bass = Instrument(1, 38, 104, 64, 10); // Synth Bass 1
    Track pad = Instrument(2, 48, 76, 84, 70);   // String Ensemble 1
    Track arp = Instrument(3, 80, 64, 40, 40);   // Lead 1 (square)
    Track drums = Instrument(9, 0, 100, 64, 30); // channel 10: the drum kit
    Melody(lead);
    Bass(bass);
    Pad(pad);
    Arpeggio(arp);
    Drums(drums);

    std::string file = "MThd" + Track::Be32(6);
    file += std::string("\x00\x01\x00\x06", 4); // format 1, six tracks
    file += static_cast<char>(kTicksPerBeat >> 8);
    file += static_cast<char>(kTicksPerBeat & 0xff);
    for (const Track *t : {&tempo, &lead, &bass, &pad, &arp, &drums}) {
        file += t->Chunk();
    }
    MakeDirs(out + "/music");
    WriteFile(out + "/music/title_screen.mid", file);
}
