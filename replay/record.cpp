// Recording a run of the game: the seed, the clock and the events, written
// as they happen so that a killed game leaves a recording that plays.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "game/game.h"
#include "replay/exit_status.h"
#include "replay/record.h"
#include "replay/session.h"
#include "strings/text.h"

namespace {

// Says once per output, when it happens, that it stopped being written.
void ReportWriteFailures() {
    for (int o = 0; o < kRecorderOutputs; ++o) {
        const ReplayWriter &w = session.outputs[o];
        if (session.failureSaid[o] || !w.Failed()) {
            continue;
        }
        session.failureSaid[o] = true;
        if (o == kKeptRun) {
            fprintf(stderr,
                    "quarndel: the run is no longer kept for the high scores: %s; no game from "
                    "here on is entered\n",
                    w.Error().c_str());
        } else if (!session.writeFailed) {
            session.writeFailed = true;
            fprintf(stderr,
                    "quarndel: %s: cannot write the recording: %s; the rest of the run is not "
                    "recorded\n",
                    Printable(session.path).c_str(), w.Error().c_str());
        }
    }
}

// Hands one write to every open output, then tells of any that stopped.
template <typename Write> void ToEachOutput(Write write) {
    for (ReplayWriter &w : session.outputs) {
        if (w.Open()) {
            write(w);
        }
    }
    ReportWriteFailures();
}

// A write past the size limit or into a pipe whose reader went away fails
// with an error the recording reports, instead of ending the game. Only
// while the record file is written: the rest of the run keeps the handlers
// it was started with.
void IgnoreWriteSignals() {
    struct sigaction ignore;
    memset(&ignore, 0, sizeof ignore);
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &session.oldPipeAction);
    sigaction(SIGXFSZ, &ignore, &session.oldFileSizeAction);
    session.writeSignalsIgnored = true;
}

void RestoreWriteSignals() {
    if (session.writeSignalsIgnored) {
        session.writeSignalsIgnored = false;
        sigaction(SIGPIPE, &session.oldPipeAction, nullptr);
        sigaction(SIGXFSZ, &session.oldFileSizeAction, nullptr);
    }
}

// Opens the file to record into without blocking: a regular file (new, or
// replaced when the player asked for it) or a pipe some program reads.
FILE *OpenTarget(std::string &error) {
    const char *path = session.file.c_str();
    struct stat info;
    bool exists = stat(path, &info) == 0;
    int flags = O_WRONLY | O_NONBLOCK | O_CLOEXEC;
    if (!exists) {
        flags |= O_CREAT | O_EXCL;
    } else if (S_ISREG(info.st_mode)) {
        if (!session.overwrite) {
            error = "the file exists; --overwrite replaces it";
            return nullptr;
        }
        flags |= O_TRUNC;
    }
    int fd = open(path, flags, 0644);
    if (fd < 0) {
        error = errno == ENXIO ? "no program reads the pipe" : strerror(errno);
        return nullptr;
    }
    struct stat opened;
    if (fstat(fd, &opened) != 0 || !(S_ISREG(opened.st_mode) || S_ISFIFO(opened.st_mode))) {
        close(fd);
        error = "not a regular file or a pipe";
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE *file = fdopen(fd, "w");
    if (file == nullptr) {
        error = strerror(errno);
        close(fd);
    }
    return file;
}

// The clock's change since the iteration before (modulo 2^32, like SDL's).
Uint32 ClockStep() {
    return session.frozenClock - session.lastClock;
}

// Begins this iteration's line with its clock step and the given events.
void StartLine(const ReplayEvent *events, size_t count) {
    if (!session.lineStarted) {
        session.lineStarted = true;
        Uint32 step = ClockStep();
        ToEachOutput([&](ReplayWriter &w) { w.IterationStart(step, events, count); });
    } else {
        ToEachOutput([&](ReplayWriter &w) { w.IterationEvents(events, count); });
    }
}

} // namespace

bool CheckRecordingTarget(const char *path, bool overwrite, std::string &error) {
    if (path[0] == '\0') {
        error = "no file named";
        return false;
    }
    struct stat info;
    if (stat(path, &info) == 0) {
        if (S_ISFIFO(info.st_mode)) {
            return true;
        }
        if (!S_ISREG(info.st_mode)) {
            error = "not a regular file or a pipe";
            return false;
        }
        if (!overwrite) {
            error = "the file exists; --overwrite replaces it";
            return false;
        }
        if (access(path, W_OK) != 0) {
            error = strerror(errno);
            return false;
        }
        return true;
    }
    if (errno != ENOENT) {
        error = strerror(errno);
        return false;
    }
    std::string folder = FolderOf(path);
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = "no folder " + folder;
        return false;
    }
    if (access(folder.c_str(), W_OK) != 0) {
        error = "cannot write in " + folder + ": " + strerror(errno);
        return false;
    }
    return true;
}

// Called when the game seeds rand(), once SDL and the window have started:
// a start-up that fails before leaves no file behind. Every output begins
// the same way.
void OpenRecording(Uint32 seed) {
    ReplayWriter &file = session.outputs[kRecordFile];
    if (!session.path.empty()) {
        std::string error;
        file.file = OpenTarget(error);
        if (file.file == nullptr) {
            session.writeFailed = true;
            fprintf(stderr,
                    "quarndel: %s: cannot write the recording: %s; the game is not recorded\n",
                    Printable(session.path).c_str(), error.c_str());
        } else {
            IgnoreWriteSignals();
        }
    }
    ToEachOutput([&](ReplayWriter &w) {
        w.Header();
        w.Seed(seed);
        w.Sdl(RunningSdl());
        // Files read before the recording was open (none today) still belong in it.
        for (const ReplayDataFile &f : session.filesSeen) {
            w.DataFile(f.path.c_str(), f.hash);
        }
    });
}

// The clock stands still within an iteration: its value is taken at the
// iteration's first hook, so the line can begin before the rules run.
Uint32 RecordingTicks() {
    if (!session.clockFrozen) {
        session.clockFrozen = true;
        session.frozenClock = SDL_GetTicks();
    }
    return session.frozenClock;
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
        session.recordedHeld[sym] = event.type == SDL_KEYDOWN ? 1 : 0;
    } else {
        return;
    }
    StartLine(&e, 1);
}

// At the end of a round of polling, SDL's key state should be what the
// events made it; where SDL changed it without an event (focus changes),
// the change is recorded too. The line is begun here at the latest.
void RecordHeldChanges() {
    std::vector<ReplayEvent> changes;
    int count = 0;
    const Uint8 *keys = SDL_GetKeyState(&count);
    if (keys != nullptr) {
        count = count < kReplayKeyCount ? count : kReplayKeyCount;
        for (int sym = 0; sym < count; ++sym) {
            Uint8 down = keys[sym] != 0 ? 1 : 0;
            if (down != session.recordedHeld[sym]) {
                ReplayEvent e;
                e.kind = down ? kReplayHeldDown : kReplayHeldUp;
                e.sym = (Uint16)sym;
                changes.push_back(e);
                session.recordedHeld[sym] = down;
            }
        }
    }
    if (!changes.empty() || !session.lineStarted) {
        StartLine(changes.data(), changes.size());
    }
}

void RecordIterationEnd(Uint16 digest, bool drewFrame) {
    if (!session.lineStarted) {
        StartLine(nullptr, 0);
    }
    ToEachOutput([&](ReplayWriter &w) { w.IterationEnd(digest, drewFrame); });
    session.lastClock = session.frozenClock;
    session.lineStarted = false;
}

void RecordDataFile(const char *path, Uint32 hash) {
    ToEachOutput([&](ReplayWriter &w) { w.DataFile(path, hash); });
}

void RecordPlay(int difficulty, const char *level) {
    if (!session.levelSet.empty()) {
        ToEachOutput([&](ReplayWriter &w) { w.Levels(session.levelSet); });
    }
    ToEachOutput([&](ReplayWriter &w) { w.Play(difficulty, level); });
}

// Writes the end line and closes the file; the exit status tells whether
// the whole run is in it.
int FinishRecording() {
    ReplayEnd end = CurrentEnd();
    ToEachOutput([&](ReplayWriter &w) { w.End(end); });
    FILE *&file = session.outputs[kRecordFile].file;
    if (file != nullptr) {
        if (fclose(file) != 0 && !session.writeFailed) {
            session.writeFailed = true;
            fprintf(stderr, "quarndel: %s: cannot write the recording: %s\n",
                    Printable(session.path).c_str(), strerror(errno));
        }
        file = nullptr;
    }
    RestoreWriteSignals();
    return session.writeFailed ? kExitRecordingFailed : 0;
}

void CloseRecorder() {
    FILE *&file = session.outputs[kRecordFile].file;
    if (file != nullptr) {
        fclose(file);
        file = nullptr;
    }
    RestoreWriteSignals();
}
