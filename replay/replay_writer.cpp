#include "replay/replay_file.h"

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

void ReplayWriter::Put(const std::string &line) {
    if (file != nullptr) {
        fputs(line.c_str(), file);
        fputc('\n', file);
        fflush(file);
    }
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

void ReplayWriter::DataFile(const char *path, Uint32 hash) {
    char text[16];
    snprintf(text, sizeof text, "%08x", (unsigned)hash);
    FlushRepeats();
    Put(std::string("f ") + text + " " + path);
}

void ReplayWriter::Play(int difficulty, const char *level) {
    FlushRepeats();
    Put("play " + std::to_string(difficulty) + " " + level);
}

void ReplayWriter::Iteration(Uint32 clockStep, const ReplayEvent *events, size_t count,
                             Uint16 digest, bool drew) {
    std::string line = std::to_string(clockStep);
    for (size_t i = 0; i < count; ++i) {
        line += ' ';
        AppendReplayEvent(line, events[i]);
    }
    char text[8];
    snprintf(text, sizeof text, " %c%04x", drew ? '=' : '~', (unsigned)digest);
    line += text;
    // Idle iterations (paused, game over) repeat one line; a run is one line.
    if (count == 0 && line == lastLine && repeats < kMaxRepeat) {
        ++repeats;
        return;
    }
    FlushRepeats();
    Put(line);
    lastLine = count == 0 ? line : std::string();
}

void ReplayWriter::End(const ReplayEnd &end) {
    char text[96];
    snprintf(text, sizeof text, "end %d %d %d %08x %u", end.score, end.lives, end.level,
             (unsigned)end.frame, (unsigned)end.iterations);
    FlushRepeats();
    Put(text);
}
