// The entry points the program and the game's seams call: they hand each
// hook to the recording or the playing-back side.
#include "replay/replay.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "game/game.h"
#include "replay/playback.h"
#include "replay/record.h"
#include "replay/replay_digest.h"
#include "replay/session.h"
#include "sprites/data_fingerprint.h"
#include "sprites/ticks.h"
#include "strings/text.h"

namespace {

// What the level file of the first level reads as, to notice play beginning.
constexpr const char *kLevelFileSuffix = "/leveldata";

// Set by SIGTERM, SIGINT or SIGHUP: the game ends as if the window closed.
volatile sig_atomic_t stopSignal = 0;

void OnStopSignal(int) {
    stopSignal = 1;
}

// The first hook an iteration reaches: the title loop polls first, the play
// loop reads the clock first; both come before any drawing. A recording
// takes the iteration's clock here, so its line can begin at once.
void BeginIteration() {
    if (session.iterationOpen) {
        return;
    }
    session.iterationOpen = true;
    if (session.mode == kReplaying) {
        ClipHeadlessDrawing();
    } else {
        RecordingTicks();
    }
}

Uint32 SessionTicks() {
    BeginIteration();
    return session.mode == kRecording ? RecordingTicks() : ReplayTicks();
}

void NoteDataFile(const char *path, Uint32 hash) {
    std::string name(path);
    bool same = false;
    for (const ReplayDataFile &f : session.filesSeen) {
        same = same || (f.path == name && f.hash == hash);
    }
    if (!same) {
        session.filesSeen.push_back({name, hash});
        if (session.mode == kRecording) {
            RecordDataFile(path, hash);
        }
    }
    if (session.mode == kReplaying && !same) {
        const Recording &r = session.recording;
        bool recorded = false;
        bool named = false;
        for (const ReplayDataFile &f : r.files) {
            recorded = recorded || (f.path == name && f.hash == hash);
            named = named || f.path == name;
        }
        // A recording that stops before the game read the file (cut short,
        // not ended) says nothing about it: the cut is what to name, once.
        bool pastTheCut =
            !named && !r.hasEnd && !r.hasStop && session.iterations >= r.iterations.size();
        if (pastTheCut && !session.cutSaid) {
            session.cutSaid = true;
            fprintf(stderr,
                    "quarndel: %s: the recording ends early: it is cut at line %zu, before the "
                    "game read %s\n",
                    Printable(session.path).c_str(), r.lines, Printable(name).c_str());
        } else if (!recorded && !pastTheCut) {
            fprintf(stderr,
                    "quarndel: %s: %s is not the file the game was recorded with; the replay "
                    "plays on with it and may come out differently\n",
                    Printable(session.path).c_str(), Printable(name).c_str());
        }
    }
    // The first level file read is the first level of play.
    size_t suffix = strlen(kLevelFileSuffix);
    if (!session.playSeen && name.size() > suffix &&
        name.compare(name.size() - suffix, suffix, kLevelFileSuffix) == 0) {
        session.playSeen = true;
        std::string dir = name.substr(0, name.size() - suffix);
        if (session.mode == kRecording) {
            RecordPlay(difficulty, dir.c_str());
        } else {
            CheckPlay(difficulty, dir);
        }
    }
}

// Ends the recording or the replay once: the last iteration, the final
// state, the verdict. Returns the exit status it calls for.
int FinishSession() {
    if (session.mode == kReplayOff || session.finished) {
        return 0;
    }
    if (session.iterationOpen) {
        EndReplayIteration(false); // the loop ended: no frame, no wait
    }
    session.finished = true;
    return session.mode == kRecording ? FinishRecording() : FinishReplay();
}

// Registered when the game seeds rand(), after SDL_Quit was registered, so it
// runs first: the last frame is still on the screen. It runs only when the
// program ends by exit() before main's own FinishReplays.
void FinishAtExit() {
    int status = FinishSession();
    if (status != 0) {
        fflush(stdout);
        fflush(stderr);
        SDL_Quit();
        _exit(status);
    }
}

// SIGTERM, SIGINT and SIGHUP end the run through the game's own quit, so
// the recording gets its end line and a replay its verdict.
// A signal the game was started to ignore (a background job's Ctrl-C) stays
// ignored.
void CatchStopSignals() {
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction old;
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) {
            sigaction(signal, &action, nullptr);
        }
    }
}

} // namespace

void StartReplays(const ReplayChoices &options) {
    ResetReplays();
    if (options.record == nullptr && options.replay == nullptr) {
        return;
    }
    // Caught from the start: reading a long recording takes a while.
    CatchStopSignals();
    if (options.record != nullptr) {
        std::string error;
        if (!CheckRecordingTarget(options.record, options.overwrite, error)) {
            fprintf(stderr, "quarndel: %s: cannot record: %s\n", Printable(options.record).c_str(),
                    error.c_str());
            exit(kExitBadReplay);
        }
        session.mode = kRecording;
        session.path = options.record;
        // The file is made once the game has started, in its data folder:
        // a relative name is kept relative to the folder it was given in.
        char *absolute = options.record[0] != '/' ? realpath(".", nullptr) : nullptr;
        if (absolute != nullptr) {
            session.file = std::string(absolute) + "/" + options.record;
            free(absolute);
        } else {
            session.file = options.record;
        }
        session.overwrite = options.overwrite;
    } else {
        std::string error;
        session.path = options.replay;
        if (!LoadRecording(options.replay, error)) {
            fprintf(stderr, "quarndel: %s: %s\n", Printable(options.replay).c_str(), error.c_str());
            exit(kExitBadReplay);
        }
        session.mode = kReplaying;
        session.headless = options.headless;
        session.verify = options.verify;
        if (session.recording.hasPlay && options.level != nullptr &&
            session.recording.startLevel != options.level) {
            fprintf(stderr, "quarndel: %s: the recording starts in %s; --level is left aside\n",
                    Printable(options.replay).c_str(),
                    Printable(session.recording.startLevel).c_str());
        }
        if (session.headless) {
            // No window, and no sound: with an audio driver that does not
            // exist SDL's sound fails to start and the game plays silent, as
            // on a machine without a sound device.
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            setenv("SDL_AUDIODRIVER", "none", 1);
        }
    }
    SetTicksSource(SessionTicks);
    SetDataFileListener(NoteDataFile);
}

Uint32 ReplaySeed(Uint32 seed) {
    if (session.mode == kReplayOff) {
        return seed;
    }
    atexit(FinishAtExit);
    if (session.mode == kRecording) {
        OpenRecording(seed);
        return seed;
    }
    return session.recording.seed;
}

int ReplayPollEvent(SDL_Event *event, int (*poll)(SDL_Event *)) {
    if (session.mode == kReplayOff || session.finished) {
        return poll(event);
    }
    BeginIteration();
    if (session.mode == kRecording) {
        int got = 0;
        if (stopSignal != 0) {
            stopSignal = 0;
            memset(event, 0, sizeof *event);
            event->type = SDL_QUIT;
            got = 1;
        } else {
            got = poll(event);
        }
        if (got) {
            RecordEvent(*event);
        } else {
            RecordHeldChanges();
        }
        return got;
    }
    SDL_Event live;
    while (!session.stopped && poll(&live)) {
        if (live.type == SDL_QUIT ||
            (live.type == SDL_KEYDOWN && live.key.keysym.sym == SDLK_ESCAPE)) {
            session.stopped = true;
            session.quitPending = true;
        }
    }
    if (stopSignal != 0 && !session.stopped) {
        session.stopped = true;
        session.stoppedBySignal = true;
        session.quitPending = true;
    }
    if (session.quitPending) {
        session.quitPending = false;
        memset(event, 0, sizeof *event);
        event->type = SDL_QUIT;
        return 1;
    }
    if (session.stopped) {
        return 0;
    }
    return NextRecordedEvent(event);
}

void EndReplayIteration(bool drewFrame) {
    if (session.mode == kReplayOff || session.finished) {
        return;
    }
    BeginIteration();
    Uint16 digest = StateDigest();
    if (session.mode == kRecording) {
        RecordIterationEnd(digest, drewFrame);
    } else {
        CheckIteration(digest, drewFrame);
    }
    session.clockFrozen = false;
    session.iterationOpen = false;
    ++session.iterations;
    if (session.mode == kReplaying) {
        StopWhereRecorded();
    }
}

bool KeepRunInMemory(long maxBytes) {
    if (session.mode == kReplaying) {
        return false;
    }
    session.outputs[kKeptRun].KeepInMemory(maxBytes);
    if (session.mode == kReplayOff) {
        session.mode = kRecording; // the recorder runs for this output alone
        SetTicksSource(SessionTicks);
        SetDataFileListener(NoteDataFile);
    }
    return true;
}

bool RecordedRunSoFar(std::string &text) {
    ReplayWriter &kept = session.outputs[kKeptRun];
    if (session.mode != kRecording || session.finished || !kept.Open()) {
        return false;
    }
    if (session.iterationOpen) {
        EndReplayIteration(false); // the loop ended: no frame, no wait
    }
    kept.FlushHeld();
    if (kept.Failed() || kept.Kept().empty()) {
        return false;
    }
    char stop[96];
    snprintf(stop, sizeof stop, "stop %u %d %d %d\n", (unsigned)session.iterations, ship.score,
             level.levelNumber, difficulty);
    text = kept.Kept() + stop;
    return true;
}

int FinishReplays() {
    return FinishSession();
}

void SetRecordedLevelSet(const char *name) {
    session.levelSet = name != nullptr ? name : "";
}

const char *ReplayLevelSet() {
    return session.mode == kReplaying ? session.recording.levelSet.c_str() : nullptr;
}

const char *ReplayFirstLevel() {
    if (session.mode != kReplaying || !session.recording.hasPlay) {
        return nullptr;
    }
    return session.recording.startLevel.c_str();
}

bool ReplayWithoutWaiting() {
    return session.mode == kReplaying && session.headless;
}

void ResetReplays() {
    CloseRecorder();
    if (session.clipped && screen != nullptr) {
        SDL_SetClipRect(screen, nullptr);
    }
    session = ReplaySession();
    stopSignal = 0;
    SetTicksSource(nullptr);
    SetDataFileListener(nullptr);
}
