#pragma once
// The replay file: a plain-text recording of one run of the game, read and
// written here. One line per loop iteration holds what the game took from
// outside in that iteration (the clock change and the events), so a whole
// game is a small file a person can read.
//
//   quarndel-replay 1                 the version line, always first
//   seed 1765105211                   the value the game seeded rand() with
//   f 9c1e02a7 data/cursor/info       a data file read, with a hash of its bytes
//   play 1 data/level_1               play began: difficulty, first level folder
//   17 +274 =5b0e                     an iteration: clock step in ms, events, state digest
//   10 ~78c5                          an iteration that drew no frame (paused, game over)
//   *12                               the line above 12 more times
//   end 1240 2 2 8a7b6c5d 6012        score, lives, level, last-frame checksum, iterations
//
// Events: +SYM key down, -SYM key up (with :MOD when a modifier was held),
// q window closed, h+SYM / h-SYM a held key that changed without an event.
#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

constexpr int kReplayVersion = 1;
constexpr const char *kReplayMagic = "quarndel-replay";

// Bounds on what a replay file may hold, so that a broken or hostile file can
// neither exhaust memory nor make a replay run for ever.
constexpr long kMaxReplayBytes = 16L * 1024 * 1024; // about 9 hours of play
constexpr size_t kMaxReplayIterations = 4000000;    // about 18 hours at 60 a second
constexpr size_t kMaxReplayEvents = 4000000;
constexpr size_t kMaxEventsPerIteration = 512; // SDL queues at most 128 at once
constexpr size_t kMaxReplayDataFiles = 10000;
constexpr size_t kMaxReplayLine = 8192;    // longest line: 512 events of 11 characters fit
constexpr Uint32 kMaxRepeat = 1000000;     // longest "*N" run of one line
constexpr int kReplayKeyCount = SDLK_LAST; // key symbols 0 .. SDLK_LAST - 1

enum ReplayEventKind : Uint8 {
    kReplayKeyDown,
    kReplayKeyUp,
    kReplayQuit,
    kReplayHeldDown, // the key state array changed without an event
    kReplayHeldUp,
};

struct ReplayEvent {
    ReplayEventKind kind = kReplayQuit;
    Uint16 sym = 0; // SDLKey
    Uint16 mod = 0; // SDLMod
};

struct ReplayIteration {
    Uint32 clock = 0;      // the clock value the iteration read, in ms
    Uint32 firstEvent = 0; // index into Recording::events
    Uint32 eventCount = 0;
    Uint16 digest = 0; // the game state after the iteration, folded to 16 bits
    bool drew = true;  // the iteration drew a frame ("=" before the digest, else "~")
};

struct ReplayDataFile {
    std::string path;
    Uint32 hash = 0;
};

struct ReplayEnd {
    int score = 0;
    int lives = 0;
    int level = 0;
    Uint32 frame = 0; // checksum of the last frame drawn
    Uint32 iterations = 0;
};

struct Recording {
    Uint32 seed = 0;
    bool hasSeed = false;
    bool hasPlay = false;
    Uint32 playIteration = 0; // iterations before the play phase began
    int difficulty = 0;
    std::string startLevel;
    std::vector<ReplayIteration> iterations;
    std::vector<ReplayEvent> events;
    std::vector<ReplayDataFile> files;
    bool hasEnd = false;
    ReplayEnd end;
};

// Reads a whole replay file from memory into out. On a bad file returns false
// with error set to one line naming the line number and what is wrong.
bool ParseRecording(const char *text, size_t size, Recording &out, std::string &error);

// Reads the file at path (at most kMaxReplayBytes) and parses it.
bool ReadRecording(const char *path, Recording &out, std::string &error);

// Writes a replay file line by line as the game runs. Every call writes whole
// lines and flushes them, so a crash or a kill loses at most the iterations
// still held back as a run of repeats.
class ReplayWriter {
  public:
    FILE *file = nullptr;

    void Header();
    void Seed(Uint32 seed);
    void DataFile(const char *path, Uint32 hash);
    void Play(int difficulty, const char *level);
    // clockStep is the clock change since the previous iteration (modulo 2^32).
    void Iteration(Uint32 clockStep, const ReplayEvent *events, size_t count, Uint16 digest,
                   bool drew);
    void End(const ReplayEnd &end);

  private:
    std::string lastLine; // the last iteration line written
    Uint32 repeats = 0;   // copies of lastLine held back
    void FlushRepeats();
    void Put(const std::string &line);
};

// Appends the text of one event ("+274", "-32:64", "q", "h+273") to line.
void AppendReplayEvent(std::string &line, const ReplayEvent &event);
