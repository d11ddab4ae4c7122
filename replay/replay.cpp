#include "replay/replay.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "game/game.h"
#include "replay/replay_digest.h"
#include "replay/replay_file.h"
#include "sprites/data_fingerprint.h"
#include "sprites/ticks.h"

namespace {

enum ReplayMode { kOff, kRecording, kReplaying };

// A windowed replay waits for the recorded clock, but never longer than this
// at once: a long gap in the recording (the window held still by the desktop)
// plays shortened instead of looking like a hang.
constexpr Uint32 kMaxCatchUpMs = 250;

// What the level file of the first level reads as, to notice play beginning.
constexpr const char *kLevelFileSuffix = "/leveldata";

struct ReplayState {
    ReplayMode mode = kOff;
    bool finished = false;
    bool iterationOpen = false; // the game touched a hook since the last iteration ended
    bool clockFrozen = false;
    Uint32 frozenClock = 0;
    Uint32 iterations = 0; // iterations ended so far
    bool playSeen = false;
    std::vector<ReplayDataFile> filesSeen;

    // Recording.
    ReplayWriter writer;
    Uint32 lastClock = 0; // the clock value of the last iteration that read it
    std::vector<ReplayEvent> pending;
    Uint8 recordedHeld[kReplayKeyCount] = {}; // the key state the recorded events make

    // Replaying.
    Recording recording;
    const char *path = "";
    bool headless = false;
    bool verify = false;
    bool stoppedByPlayer = false;
    bool quitPending = false;
    Uint32 nextEvent = 0; // within the current iteration
    Uint8 held[kReplayKeyCount] = {};
    Uint32 lastDrawing = 0; // the last recorded iteration that drew a frame
    bool clipped = false;   // drawing is clipped away (headless, before lastDrawing)
    bool paceStarted = false;
    Uint32 paceRealStart = 0;
    Uint32 paceRecordedStart = 0;
    std::string difference; // the first difference from the recording, if any
};

ReplayState state;

void NoteDifference(const std::string &what) {
    if (state.difference.empty()) {
        state.difference = what;
    }
}

std::string Hex(Uint32 value, int digits) {
    char text[16];
    snprintf(text, sizeof text, "%0*x", digits, (unsigned)value);
    return text;
}

const ReplayIteration *CurrentIteration() {
    if (state.iterations < state.recording.iterations.size()) {
        return &state.recording.iterations[state.iterations];
    }
    return nullptr;
}

void Finish();

// A headless replay needs the pixels of the last frame only. Blits and fills
// clipped to nothing cost next to nothing and change no game state; the
// frame that counts is drawn in full.
void ClipHeadlessDrawing() {
    if (!state.headless || screen == nullptr) {
        return;
    }
    bool clip = state.iterations < state.lastDrawing;
    if (clip != state.clipped) {
        state.clipped = clip;
        SDL_Rect nothing = {0, 0, 0, 0};
        SDL_SetClipRect(screen, clip ? &nothing : nullptr);
    }
}

// The first hook an iteration reaches: the title loop polls first, the play
// loop reads the clock first; both come before any drawing.
void BeginIteration() {
    if (!state.iterationOpen) {
        state.iterationOpen = true;
        if (state.mode == kReplaying) {
            ClipHeadlessDrawing();
        }
    }
}

// The replayed game goes on where the recording stopped: the replay ends
// there, and so does the program.
void OutlivedRecording() {
    NoteDifference("the game goes on after the recording's last iteration " +
                   std::to_string(state.recording.iterations.size()));
    Finish();
    exit(0);
}

void PaceReplay(Uint32 recorded) {
    Uint32 now = SDL_GetTicks();
    if (!state.paceStarted) {
        state.paceStarted = true;
        state.paceRealStart = now;
        state.paceRecordedStart = recorded;
        return;
    }
    Uint32 due = recorded - state.paceRecordedStart;
    Uint32 real = now - state.paceRealStart;
    if ((Sint32)(due - real) <= 0) {
        return;
    }
    Uint32 wait = due - real;
    if (wait > kMaxCatchUpMs) {
        state.paceRealStart -= wait - kMaxCatchUpMs; // skip the rest of the gap
        wait = kMaxCatchUpMs;
    }
    SDL_Delay(wait);
}

Uint32 RecordingTicks() {
    BeginIteration();
    if (!state.clockFrozen) {
        state.clockFrozen = true;
        state.frozenClock = SDL_GetTicks();
    }
    return state.frozenClock;
}

Uint32 ReplayTicks() {
    BeginIteration();
    const ReplayIteration *it = CurrentIteration();
    if (it == nullptr) {
        OutlivedRecording();
        return state.frozenClock;
    }
    if (!state.clockFrozen) {
        state.clockFrozen = true;
        state.frozenClock = it->clock;
        if (!state.headless) {
            PaceReplay(it->clock);
        }
    }
    return state.frozenClock;
}

void NoteDataFile(const char *path, Uint32 hash) {
    std::string name(path);
    bool same = false;
    for (const ReplayDataFile &f : state.filesSeen) {
        same = same || (f.path == name && f.hash == hash);
    }
    if (!same) {
        state.filesSeen.push_back({name, hash});
        if (state.mode == kRecording) {
            state.writer.DataFile(path, hash);
        }
    }
    if (state.mode == kReplaying && !same) {
        bool recorded = false;
        for (const ReplayDataFile &f : state.recording.files) {
            recorded = recorded || (f.path == name && f.hash == hash);
        }
        if (!recorded) {
            fprintf(stderr,
                    "quarndel: %s: %s is not the file the game was recorded with; the replay "
                    "plays on with it and may come out differently\n",
                    state.path, path);
        }
    }
    // The first level file read is the first level of play.
    size_t suffix = strlen(kLevelFileSuffix);
    if (!state.playSeen && name.size() > suffix &&
        name.compare(name.size() - suffix, suffix, kLevelFileSuffix) == 0) {
        state.playSeen = true;
        std::string dir = name.substr(0, name.size() - suffix);
        if (state.mode == kRecording) {
            state.writer.Play(difficulty, dir.c_str());
        } else {
            const Recording &r = state.recording;
            if (!r.hasPlay || r.playIteration != state.iterations || r.difficulty != difficulty ||
                r.startLevel != dir) {
                NoteDifference("play begins after iteration " + std::to_string(state.iterations) +
                               " at difficulty " + std::to_string(difficulty) + " in " + dir +
                               (r.hasPlay
                                    ? ", recorded after iteration " +
                                          std::to_string(r.playIteration) + " at difficulty " +
                                          std::to_string(r.difficulty) + " in " + r.startLevel
                                    : ", but the recording has no play"));
            }
        }
    }
}

void FinishAtExit() {
    Finish();
}

// Records one event the game takes. Only keys and the window's closing matter
// to the rules; other events are passed on unrecorded.
void RecordEvent(const SDL_Event &event) {
    ReplayEvent e;
    if (event.type == SDL_QUIT) {
        e.kind = kReplayQuit;
    } else if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
        int sym = event.key.keysym.sym;
        if (sym < 0 || sym >= kReplayKeyCount) {
            return;
        }
        e.kind = event.type == SDL_KEYDOWN ? kReplayKeyDown : kReplayKeyUp;
        e.sym = (Uint16)sym;
        e.mod = (Uint16)event.key.keysym.mod;
        state.recordedHeld[sym] = event.type == SDL_KEYDOWN ? 1 : 0;
    } else {
        return;
    }
    state.pending.push_back(e);
}

// At the end of a round of polling, SDL's key state should be what the
// events made it; where SDL changed it without an event (focus changes),
// the change is recorded too.
void RecordHeldChanges() {
    int count = 0;
    const Uint8 *keys = SDL_GetKeyState(&count);
    if (keys == nullptr) {
        return;
    }
    if (count > kReplayKeyCount) {
        count = kReplayKeyCount;
    }
    if (memcmp(keys, state.recordedHeld, (size_t)count) == 0) {
        return;
    }
    for (int sym = 0; sym < count; ++sym) {
        Uint8 down = keys[sym] != 0 ? 1 : 0;
        if (down != state.recordedHeld[sym]) {
            ReplayEvent e;
            e.kind = down ? kReplayHeldDown : kReplayHeldUp;
            e.sym = (Uint16)sym;
            state.pending.push_back(e);
            state.recordedHeld[sym] = down;
        }
    }
}

// The held keys come from the recording alone: SDL's array, which the real
// keyboard writes into while it is polled, is overwritten after every round.
void ApplyHeldKeys() {
    int count = 0;
    Uint8 *keys = SDL_GetKeyState(&count);
    if (keys != nullptr) {
        memcpy(keys, state.held, (size_t)(count < kReplayKeyCount ? count : kReplayKeyCount));
    }
}

int NextRecordedEvent(SDL_Event *event) {
    const ReplayIteration *it = CurrentIteration();
    if (it == nullptr) {
        OutlivedRecording();
        return 0;
    }
    while (state.nextEvent < it->eventCount) {
        const ReplayEvent &e = state.recording.events[it->firstEvent + state.nextEvent];
        ++state.nextEvent;
        switch (e.kind) {
        case kReplayHeldDown:
        case kReplayHeldUp:
            state.held[e.sym] = e.kind == kReplayHeldDown ? 1 : 0;
            continue;
        case kReplayQuit:
            memset(event, 0, sizeof *event);
            event->type = SDL_QUIT;
            return 1;
        case kReplayKeyDown:
        case kReplayKeyUp: {
            bool down = e.kind == kReplayKeyDown;
            state.held[e.sym] = down ? 1 : 0;
            memset(event, 0, sizeof *event);
            event->type = down ? SDL_KEYDOWN : SDL_KEYUP;
            event->key.type = event->type;
            event->key.state = down ? SDL_PRESSED : SDL_RELEASED;
            event->key.keysym.sym = (SDLKey)e.sym;
            event->key.keysym.mod = (SDLMod)e.mod;
            return 1;
        }
        }
    }
    ApplyHeldKeys();
    return 0;
}

void PrintState(FILE *out, const ReplayEnd &end) {
    fprintf(out, "score %d lives %d level %d frame %08x iterations %u\n", end.score, end.lives,
            end.level, (unsigned)end.frame, (unsigned)end.iterations);
}

// Ends the recording or the replay: the last iteration, the final state and,
// for a replay, the verdict. A replay that differs under --verify ends the
// process with status 1.
void Finish() {
    if (state.mode == kOff || state.finished) {
        return;
    }
    if (state.iterationOpen) {
        EndReplayIteration(false); // the loop ended: no frame, no wait
    }
    state.finished = true;
    ReplayEnd end;
    end.score = ship.score;
    end.lives = ship.lives;
    end.level = level.levelNumber;
    end.frame = FrameChecksum(screen);
    end.iterations = state.iterations;
    if (state.mode == kRecording) {
        state.writer.End(end);
        fclose(state.writer.file);
        state.writer.file = nullptr;
        return;
    }
    if (state.headless) {
        PrintState(stdout, end);
    }
    if (state.stoppedByPlayer) {
        fprintf(stderr, "quarndel: replay stopped by the player after iteration %u of %zu\n",
                (unsigned)state.iterations, state.recording.iterations.size());
        return;
    }
    const ReplayEnd &want = state.recording.end;
    if (end.iterations != want.iterations) {
        NoteDifference("the game ends after " + std::to_string(end.iterations) +
                       " iterations, recorded " + std::to_string(want.iterations));
    }
    if (end.score != want.score || end.lives != want.lives || end.level != want.level) {
        NoteDifference("the game ends with score " + std::to_string(end.score) + ", lives " +
                       std::to_string(end.lives) + ", level " + std::to_string(end.level) +
                       "; recorded score " + std::to_string(want.score) + ", lives " +
                       std::to_string(want.lives) + ", level " + std::to_string(want.level));
    }
    if (end.frame != want.frame) {
        NoteDifference("the last frame's checksum is " + Hex(end.frame, 8) + ", recorded " +
                       Hex(want.frame, 8));
    }
    if (state.difference.empty()) {
        if (state.verify) {
            fprintf(stdout, "replay matches the recording\n");
        }
        return;
    }
    fprintf(stderr, "quarndel: %s: replay differs from the recording: %s\n", state.path,
            state.difference.c_str());
    if (state.verify) {
        fflush(stdout);
        fflush(stderr);
        SDL_Quit();
        _exit(kExitReplayDiffers);
    }
}

} // namespace

void StartReplays(const Options &options) {
    ResetReplays();
    if (options.record != nullptr) {
        state.writer.file = fopen(options.record, "w");
        if (state.writer.file == nullptr) {
            fprintf(stderr, "quarndel: cannot write the recording %s\n", options.record);
            exit(kExitBadReplay);
        }
        state.mode = kRecording;
        state.writer.Header();
        SetTicksSource(RecordingTicks);
        SetDataFileListener(NoteDataFile);
        return;
    }
    if (options.replay == nullptr) {
        return;
    }
    std::string error;
    if (!ReadRecording(options.replay, state.recording, error)) {
        fprintf(stderr, "quarndel: %s: %s\n", options.replay, error.c_str());
        exit(kExitBadReplay);
    }
    state.mode = kReplaying;
    state.path = options.replay;
    for (size_t i = 0; i < state.recording.iterations.size(); ++i) {
        if (state.recording.iterations[i].drew) {
            state.lastDrawing = (Uint32)i;
        }
    }
    state.headless = options.headless;
    state.verify = options.verify;
    if (state.recording.hasPlay && options.level != nullptr &&
        state.recording.startLevel != options.level) {
        fprintf(stderr, "quarndel: %s: the recording starts in %s; --level is left aside\n",
                options.replay, state.recording.startLevel.c_str());
    }
    if (state.headless) {
        // No window, and no sound: with an audio driver that does not exist
        // SDL's sound fails to start and the game plays silent, as on a
        // machine without a sound device.
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "none", 1);
    }
    SetTicksSource(ReplayTicks);
    SetDataFileListener(NoteDataFile);
}

Uint32 ReplaySeed(Uint32 seed) {
    if (state.mode == kOff) {
        return seed;
    }
    // Registered after Game::Init's SDL_Quit, so it runs first: the last
    // frame is still on the screen.
    atexit(FinishAtExit);
    if (state.mode == kRecording) {
        state.writer.Seed(seed);
        return seed;
    }
    return state.recording.seed;
}

int ReplayPollEvent(SDL_Event *event, int (*poll)(SDL_Event *)) {
    if (state.mode == kOff || state.finished) {
        return poll(event);
    }
    BeginIteration();
    if (state.mode == kRecording) {
        int got = poll(event);
        if (got) {
            RecordEvent(*event);
        } else {
            RecordHeldChanges();
        }
        return got;
    }
    SDL_Event live;
    while (!state.stoppedByPlayer && poll(&live)) {
        if (live.type == SDL_QUIT ||
            (live.type == SDL_KEYDOWN && live.key.keysym.sym == SDLK_ESCAPE)) {
            state.stoppedByPlayer = true;
            state.quitPending = true;
        }
    }
    if (state.quitPending) {
        state.quitPending = false;
        memset(event, 0, sizeof *event);
        event->type = SDL_QUIT;
        return 1;
    }
    if (state.stoppedByPlayer) {
        return 0;
    }
    return NextRecordedEvent(event);
}

void EndReplayIteration(bool drewFrame) {
    if (state.mode == kOff || state.finished) {
        return;
    }
    Uint16 digest = StateDigest();
    if (state.mode == kRecording) {
        Uint32 step = 0;
        if (state.clockFrozen) {
            step = state.frozenClock - state.lastClock;
            state.lastClock = state.frozenClock;
        }
        state.writer.Iteration(step, state.pending.data(), state.pending.size(), digest, drewFrame);
        state.pending.clear();
    } else {
        const ReplayIteration *it = CurrentIteration();
        if (it != nullptr && !state.stoppedByPlayer &&
            (it->digest != digest || it->drew != drewFrame)) {
            NoteDifference("first at iteration " + std::to_string(state.iterations + 1) +
                           ": state digest " + Hex(digest, 4) + (drewFrame ? "" : " (no frame)") +
                           ", recorded " + Hex(it->digest, 4) + (it->drew ? "" : " (no frame)"));
        }
        state.nextEvent = 0;
    }
    state.clockFrozen = false;
    state.iterationOpen = false;
    ++state.iterations;
}

const char *ReplayFirstLevel() {
    if (state.mode != kReplaying || !state.recording.hasPlay) {
        return nullptr;
    }
    return state.recording.startLevel.c_str();
}

bool ReplayWithoutWaiting() {
    return state.mode == kReplaying && state.headless;
}

void ResetReplays() {
    if (state.writer.file != nullptr) {
        fclose(state.writer.file);
    }
    if (state.clipped && screen != nullptr) {
        SDL_SetClipRect(screen, nullptr);
    }
    state = ReplayState();
    SetTicksSource(nullptr);
    SetDataFileListener(nullptr);
}
