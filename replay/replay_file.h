#pragma once
// The replay file: a plain-text recording of one run of the game, read and
// written here. One line per loop iteration holds what the game took from
// outside in that iteration (the clock change and the events), so a whole
// game is a small file a person can read.
//
//   quarndel-replay 1                 the version line, always first
//   seed 1765105211                   the value the game seeded rand() with
//   sdl 1.2.15 classic                the SDL 1.2 that drew it (or 1.2.60 sdl12-compat)
//   f 9c1e02a7 data/cursor/info       a data file read, with a hash of its bytes
//   levels my_set                     the installed level set played (none: the shipped one)
//   play 1 data/level_1               play began: difficulty, first level folder
//   17 +274 =5b0e                     an iteration: clock step in ms, events, state digest
//   10 ~78c5                          an iteration that drew no frame (paused, game over)
//   *12                               the line above 12 more times
//   end 1240 2 2 8a7b6c5d 6012        score, lives, level, last-frame checksum, iterations
//   stop 5120 1240 2 1                in place of the end: a replay stops after iteration
//                                     5120 and finds score 1240, level 2, difficulty 1 there
//
// Events: +SYM key down, -SYM key up (with :MOD when a modifier was held),
// q window closed, h+SYM / h-SYM a held key that changed without an event.
#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

#include "replay/sdl_library.h"

constexpr int kReplayVersion = 1;
constexpr const char *kReplayMagic = "quarndel-replay";

// Bounds on what a replay file may hold, so that a broken or hostile file can
// neither exhaust memory nor make a replay run for ever. They hold a whole day
// of play: the loops make at most 100 iterations a second (the idle nap of a
// paused game; drawn frames come at 60), lines average about 11 bytes, and a
// run of idle iterations is one repeat line a second. The writer stops
// recording rather than write past them (ReplayWriter::Full).
constexpr long kMaxReplayBytes = 128L * 1024 * 1024;
constexpr size_t kMaxReplayIterations = 9000000; // a day at 100 a second is 8640000
constexpr size_t kMaxReplayEvents = 9000000;
constexpr size_t kMaxEventsPerIteration = 512; // SDL queues at most 128 at once
constexpr size_t kMaxReplayDataFiles = 10000;
constexpr size_t kMaxReplayLine = 8192; // longest line: 512 events of 11 characters fit
constexpr Uint32 kMaxRepeat = 1000000;  // longest "*N" run of one line
// The writer ends a run of repeats at least this often, so that a game
// killed while paused loses at most a second of iterations in which nothing
// happened.
constexpr Uint32 kRepeatFlushEvery = 100;
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
    Uint16 eventCount = 0; // at most kMaxEventsPerIteration
    Uint16 digest = 0;     // the game state after the iteration, folded to 16 bits
    bool drew = true;      // the iteration drew a frame ("=" before the digest, else "~")
    bool hasDigest = true; // false for the iteration a killed game died in
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

// Where a game of the run ended, for a recording cut there (a score
// table's entry): the replay stops after that many iterations.
struct ReplayStop {
    Uint32 iterations = 0;
    int score = 0;
    int level = 0;
    int difficulty = 0;
};

struct Recording {
    Uint32 seed = 0;
    bool hasSeed = false;
    // Which SDL drew the frames. Recordings made before the line existed
    // have none; they were all drawn by the classic library.
    bool hasSdl = false;
    SdlLibrary sdl;
    bool hasPlay = false;
    Uint32 playIteration = 0; // iterations before the play phase began
    int difficulty = 0;
    std::string startLevel;
    // The installed level set played; empty in recordings of the shipped
    // levels, and in those made before sets existed.
    std::string levelSet;
    std::vector<ReplayIteration> iterations;
    std::vector<ReplayEvent> events;
    std::vector<ReplayDataFile> files;
    // A recording of a game that was killed has no end line; its last line
    // may be the iteration the game died in, cut before its digest.
    bool hasEnd = false;
    ReplayEnd end;
    bool hasStop = false;
    ReplayStop stop;
    size_t lines = 0; // lines read, the last one cut short included
};

// Reads a whole replay file from memory into out. On a bad file returns false
// with error set to one line naming the line number and what is wrong. A file
// that stops without its end line (the game was killed) is read up to where
// it stops: a last line cut short counts when it holds an iteration's clock
// step and events, and is left out otherwise.
bool ParseRecording(const char *text, size_t size, Recording &out, std::string &error);

// Reads the file at path (at most kMaxReplayBytes) and parses it.
bool ReadRecording(const char *path, Recording &out, std::string &error);

// Writes a replay file line by line as the game runs. An iteration's clock
// step and events are written as soon as they are taken, before the rules
// run, and its digest when it ends; each write is flushed, so the recording
// of a killed game holds the iteration it died in. Idle iterations that
// repeat the line before are held back as a count and written as one "*N"
// line at least once a second (kRepeatFlushEvery).
//
// The lines go to a file, or are kept in memory (KeepInMemory) up to a bound
// of their own. The first write that fails (a full disk, a closed pipe) or
// would take the lines past the reader's bounds, or past the memory bound,
// stops the recording: nothing more is written, and Failed() and Error()
// tell what happened.
class ReplayWriter {
  public:
    FILE *file = nullptr;

    // Keeps the lines in memory instead of a file, at most maxBytes of them.
    void KeepInMemory(long maxBytes);
    // Lines written go somewhere: a file, or memory.
    bool Open() const { return file != nullptr || inMemory; }
    // The lines kept in memory so far.
    const std::string &Kept() const { return kept; }

    void Header();
    void Seed(Uint32 seed);
    void Sdl(const SdlLibrary &library);
    void DataFile(const char *path, Uint32 hash);
    void Play(int difficulty, const char *level);
    void Levels(const std::string &name);
    // An iteration's line, written in three steps: its clock change since the
    // previous iteration (modulo 2^32) with the events of its first round of
    // polling, events it takes later, and its state digest.
    void IterationStart(Uint32 clockStep, const ReplayEvent *events, size_t count);
    void IterationEvents(const ReplayEvent *events, size_t count);
    void IterationEnd(Uint16 digest, bool drew);
    // A whole iteration at once.
    void Iteration(Uint32 clockStep, const ReplayEvent *events, size_t count, Uint16 digest,
                   bool drew);
    void End(const ReplayEnd &end);

    // Writes the idle iterations held back, so the file holds every
    // iteration ended so far.
    void FlushHeld() { FlushRepeats(); }

    bool Failed() const { return failed; }
    // Why the recording stopped: a system error text, or the bound it reached.
    const std::string &Error() const { return error; }

  private:
    bool inMemory = false;
    std::string kept;
    long maxBytes = kMaxReplayBytes;
    std::string lastLine;     // the last event-less iteration line, for repeats
    Uint32 repeats = 0;       // copies of lastLine held back
    std::string openLine;     // the iteration line being written
    bool openWritten = false; // openLine is already in the file, without its end
    size_t openEvents = 0;
    long bytes = 0; // written so far
    size_t iterations = 0;
    size_t events = 0;
    size_t dataFiles = 0;
    bool failed = false;
    std::string error;
    void FlushRepeats();
    void Write(const std::string &text);
    void Put(const std::string &line);
    bool Room(size_t moreIterations, size_t moreEvents, size_t moreFiles);
};

// Appends the text of one event ("+274", "-32:64", "q", "h+273") to line.
void AppendReplayEvent(std::string &line, const ReplayEvent &event);
