#include "replay/replay_file.h"

#include <cerrno>
#include <cstring>

namespace {

// Room kept below the byte bound for the line being written and the end line.
constexpr long kTailRoom = (long)kMaxReplayLine + 128;

} // namespace

void AppendReplayEvent(std::string &line, const ReplayEvent &event) {
    switch (event.kind) {
    case kReplayQuit:
        line += 'q';
        return;
    case kReplayHeldDown:
        line += "h+" + std::to_string(event.sym);
        return;
    case kReplayHeldUp:
        line += "h-" + std::to_string(event.sym);
        return;
    case kReplayKeyDown:
    case kReplayKeyUp:
        line += event.kind == kReplayKeyDown ? '+' : '-';
        line += std::to_string(event.sym);
        if (event.mod != 0) {
            line += ':' + std::to_string(event.mod);
        }
        return;
    }
}

void ReplayWriter::KeepInMemory(long bound) {
    inMemory = true;
    maxBytes = bound;
}

void ReplayWriter::Write(const std::string &text) {
    if (!Open() || failed) {
        return;
    }
    if (inMemory) {
        kept += text;
    } else if (fputs(text.c_str(), file) == EOF || fflush(file) == EOF) {
        failed = true;
        error = strerror(errno);
        return;
    }
    bytes += (long)text.size();
}

void ReplayWriter::Put(const std::string &line) {
    Write(line + "\n");
}

// Whether the file may take what comes next and stay within the reader's
// bounds; when not, the recording stops here.
bool ReplayWriter::Room(size_t moreIterations, size_t moreEvents, size_t moreFiles) {
    if (failed) {
        return false;
    }
    const char *bound = nullptr;
    if (bytes > maxBytes - kTailRoom) {
        bound = inMemory ? "the most a run keeps in memory" : "the largest file a replay reads";
    } else if (iterations + moreIterations > kMaxReplayIterations) {
        bound = "the most iterations a replay reads";
    } else if (events + moreEvents > kMaxReplayEvents ||
               openEvents + moreEvents > kMaxEventsPerIteration) {
        bound = "the most events a replay reads";
    } else if (dataFiles + moreFiles > kMaxReplayDataFiles) {
        bound = "the most data files a replay reads";
    }
    if (bound == nullptr) {
        return true;
    }
    FlushRepeats(); // the iterations held back are within the bounds
    failed = true;
    error = std::string("the recording reached ") + bound;
    return false;
}

void ReplayWriter::FlushRepeats() {
    if (repeats > 0) {
        Put("*" + std::to_string(repeats));
        repeats = 0;
    }
}

void ReplayWriter::Header() {
    Put(std::string(kReplayMagic) + " " + std::to_string(kReplayVersion));
}

void ReplayWriter::Seed(Uint32 seed) {
    FlushRepeats();
    Put("seed " + std::to_string(seed));
}

void ReplayWriter::Sdl(const SdlLibrary &library) {
    FlushRepeats();
    Put("sdl " + SdlLibraryText(library));
}

void ReplayWriter::DataFile(const char *path, Uint32 hash) {
    if (!Room(0, 0, 1) || strlen(path) > kMaxReplayLine - 16) {
        return;
    }
    char text[16];
    snprintf(text, sizeof text, "%08x", (unsigned)hash);
    FlushRepeats();
    Put(std::string("f ") + text + " " + path);
    ++dataFiles;
}

void ReplayWriter::Play(int difficulty, const char *level) {
    FlushRepeats();
    Put("play " + std::to_string(difficulty) + " " + level);
}

void ReplayWriter::Levels(const std::string &name) {
    FlushRepeats();
    Put("levels " + name);
}

void ReplayWriter::IterationStart(Uint32 clockStep, const ReplayEvent *events, size_t count) {
    openEvents = 0;
    openWritten = false;
    if (!Room(1, count, 0)) {
        return;
    }
    openLine = std::to_string(clockStep);
    for (size_t i = 0; i < count; ++i) {
        openLine += ' ';
        AppendReplayEvent(openLine, events[i]);
    }
    openEvents = count;
    this->events += count;
    // An idle line like the one before may become a repeat: it waits for its
    // digest. Every other line goes to the file at once.
    if (count == 0 && !lastLine.empty() &&
        lastLine.compare(0, openLine.size() + 1, openLine + " ") == 0) {
        return;
    }
    FlushRepeats();
    Write(openLine);
    openWritten = true;
}

void ReplayWriter::IterationEvents(const ReplayEvent *events, size_t count) {
    if (count == 0 || !Room(0, count, 0)) {
        return;
    }
    std::string more;
    for (size_t i = 0; i < count; ++i) {
        more += ' ';
        AppendReplayEvent(more, events[i]);
    }
    if (!openWritten) {
        FlushRepeats();
        Write(openLine);
        openWritten = true;
    }
    Write(more);
    openLine += more;
    openEvents += count;
    this->events += count;
}

void ReplayWriter::IterationEnd(Uint16 digest, bool drew) {
    if (failed) {
        return;
    }
    char text[8];
    snprintf(text, sizeof text, " %c%04x", drew ? '=' : '~', (unsigned)digest);
    std::string line = openLine + text;
    ++iterations;
    if (openWritten) {
        Put(text);
    } else if (line == lastLine && repeats < kRepeatFlushEvery) {
        ++repeats; // idle iterations (paused, game over) repeat one line
    } else {
        FlushRepeats();
        Put(line);
    }
    if (repeats == kRepeatFlushEvery) {
        FlushRepeats();
    }
    lastLine = openEvents == 0 ? line : std::string();
    openWritten = false;
}

void ReplayWriter::Iteration(Uint32 clockStep, const ReplayEvent *events, size_t count,
                             Uint16 digest, bool drew) {
    IterationStart(clockStep, events, count);
    IterationEnd(digest, drew);
}

void ReplayWriter::End(const ReplayEnd &end) {
    char text[96];
    snprintf(text, sizeof text, "end %d %d %d %08x %u", end.score, end.lives, end.level,
             (unsigned)end.frame, (unsigned)end.iterations);
    FlushRepeats();
    Put(text);
}
