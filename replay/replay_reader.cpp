// Reading a replay file: the version line, the lines around the game's
// iterations (seed, sdl, data files, play, end, stop), and the bounds on the
// whole file. Iteration lines are read in iteration_lines.cpp.
#include "replay/replay_file.h"
#include "strings/set_name.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "replay/iteration_lines.h"
#include "sprites/data_file.h"
#include "strings/text.h"

namespace {

// "seed 1765105211", before every iteration.
bool ParseSeed(ParseState &state, LineReader &line) {
    Recording &out = state.out;
    const char *word;
    size_t length;
    Uint32 seed = 0;
    if (out.hasSeed || !out.iterations.empty()) {
        return line.Fail("the seed line is not before every iteration, or comes twice");
    }
    if (!line.Word(word, length) || !ParseUnsigned(word, length, 0xffffffffu, seed) ||
        line.Word(word, length)) {
        return line.Fail("the seed is not a number from 0 to 4294967295");
    }
    out.seed = seed;
    out.hasSeed = true;
    return true;
}

// "sdl 1.2.15 classic" or "sdl 1.2.60 sdl12-compat": the SDL that drew the
// frames, before every iteration.
bool ParseSdl(ParseState &state, LineReader &line) {
    Recording &out = state.out;
    if (out.hasSdl || !out.iterations.empty()) {
        return line.Fail("the sdl line is not before every iteration, or comes twice");
    }
    const char *word;
    size_t length;
    Uint32 parts[3] = {};
    bool good = line.Word(word, length);
    const char *p = word;
    const char *stop = word + length;
    for (int i = 0; good && i < 3; ++i) {
        const char *dot = i < 2 ? (const char *)memchr(p, '.', (size_t)(stop - p)) : stop;
        good = dot != nullptr && ParseUnsigned(p, (size_t)(dot - p), 255, parts[i]);
        p = dot + 1;
    }
    if (!good) {
        return line.Fail("the sdl line's version is not three numbers from 0 to 255");
    }
    const char *name;
    size_t nameLength;
    bool named = line.Word(name, nameLength);
    std::string implementation = named ? std::string(name, nameLength) : "";
    if (implementation != SdlImplementationName(false) &&
        implementation != SdlImplementationName(true)) {
        return line.Fail("the sdl line names neither classic nor sdl12-compat");
    }
    if (line.Word(word, length)) {
        return line.Fail("something follows the sdl line's implementation");
    }
    out.hasSdl = true;
    out.sdl.major = (int)parts[0];
    out.sdl.minor = (int)parts[1];
    out.sdl.patch = (int)parts[2];
    out.sdl.compat = implementation == SdlImplementationName(true);
    return true;
}

// "f 9c1e02a7 data/cursor/info": a data file and the hash of its bytes.
bool ParseDataFile(ParseState &state, LineReader &line) {
    Recording &out = state.out;
    const char *word;
    size_t length;
    Uint32 hash = 0;
    if (!line.Word(word, length) || !ParseHex(word, length, 8, hash)) {
        return line.Fail("a data file line without an eight-digit hex hash");
    }
    std::string path = line.Rest();
    if (path.empty()) {
        return line.Fail("a data file line without a path");
    }
    if (out.files.size() >= kMaxReplayDataFiles) {
        return line.Fail("too many data file lines");
    }
    out.files.push_back({path, hash});
    return true;
}

// "play 1 data/level_1": play began at a difficulty in a level folder.
bool ParsePlay(ParseState &state, LineReader &line) {
    Recording &out = state.out;
    const char *word;
    size_t length;
    Uint32 difficulty = 0;
    if (out.hasPlay) {
        return line.Fail("a second play line");
    }
    if (!line.Word(word, length) || !ParseUnsigned(word, length, 2, difficulty)) {
        return line.Fail("the difficulty is not 0, 1 or 2");
    }
    std::string level = line.Rest();
    if (level.empty()) {
        return line.Fail("the play line names no level");
    }
    out.hasPlay = true;
    out.difficulty = (int)difficulty;
    out.startLevel = level;
    out.playIteration = (Uint32)out.iterations.size();
    return true;
}

// "levels my_set": the installed level set played, once, before the play
// line; a plain folder name, so replaying it reads only from the player's
// own levels folder.
bool ParseLevels(ParseState &state, LineReader &line) {
    Recording &out = state.out;
    const char *word;
    size_t length;
    if (!out.levelSet.empty() || out.hasPlay) {
        return line.Fail("the levels line is not before the play line, or comes twice");
    }
    bool good = line.Word(word, length) && IsSetName(word, length);
    const char *extra;
    size_t extraLength;
    if (!good || line.Word(extra, extraLength)) {
        return line.Fail("the levels line does not name a set by 1 to 64 letters, digits, "
                         "'_', '-' or '.'");
    }
    out.levelSet.assign(word, length);
    return true;
}

// "end 1240 2 2 8a7b6c5d 6012": score, lives, level, frame checksum, iterations.
bool ParseEnd(ParseState &state, LineReader &line) {
    Recording &out = state.out;
    const char *word[5];
    size_t length[5];
    for (int i = 0; i < 5; ++i) {
        if (!line.Word(word[i], length[i])) {
            return line.Fail("the end line needs score, lives, level, frame checksum "
                             "and iterations");
        }
    }
    ReplayEnd &end = out.end;
    if (!ParseSigned(word[0], length[0], end.score) ||
        !ParseSigned(word[1], length[1], end.lives) ||
        !ParseSigned(word[2], length[2], end.level) ||
        !ParseHex(word[3], length[3], 8, end.frame) ||
        !ParseUnsigned(word[4], length[4], 0xffffffffu, end.iterations)) {
        return line.Fail("a number on the end line is out of range");
    }
    const char *extra;
    size_t extraLength;
    if (line.Word(extra, extraLength)) {
        return line.Fail("something follows the end line's numbers");
    }
    if (end.iterations != out.iterations.size()) {
        return line.Fail("the end line counts " + std::to_string(end.iterations) +
                         " iterations but the file holds " + std::to_string(out.iterations.size()));
    }
    if (!out.hasSeed) {
        return line.Fail("the recording has no seed line");
    }
    out.hasEnd = true;
    return true;
}

// "stop 5120 1240 2 1": iterations, score, level, difficulty.
bool ParseStop(ParseState &state, LineReader &line) {
    Recording &out = state.out;
    const char *word[4];
    size_t length[4];
    for (int i = 0; i < 4; ++i) {
        if (!line.Word(word[i], length[i])) {
            return line.Fail("the stop line needs iterations, score, level and difficulty");
        }
    }
    ReplayStop &stop = out.stop;
    Uint32 difficulty = 0;
    if (!ParseUnsigned(word[0], length[0], 0xffffffffu, stop.iterations) ||
        !ParseSigned(word[1], length[1], stop.score) ||
        !ParseSigned(word[2], length[2], stop.level) ||
        !ParseUnsigned(word[3], length[3], 2, difficulty)) {
        return line.Fail("a number on the stop line is out of range");
    }
    stop.difficulty = (int)difficulty;
    const char *extra;
    size_t extraLength;
    if (line.Word(extra, extraLength)) {
        return line.Fail("something follows the stop line's numbers");
    }
    if (stop.iterations != out.iterations.size()) {
        return line.Fail("the stop line counts " + std::to_string(stop.iterations) +
                         " iterations but the file holds " + std::to_string(out.iterations.size()));
    }
    if (!out.hasSeed) {
        return line.Fail("the recording has no seed line");
    }
    out.hasStop = true;
    return true;
}

// Any line after the version line, by its first word.
bool ParseLine(ParseState &state, LineReader &line) {
    const char *word;
    size_t length;
    if (!line.Word(word, length)) {
        return line.Fail("an empty line");
    }
    if (state.out.hasEnd || state.out.hasStop) {
        return line.Fail(state.out.hasEnd ? "a line after the end line"
                                          : "a line after the stop line");
    }
    // Most lines are iterations, which start with a number: no key starts
    // with a digit.
    if (word[0] >= '0' && word[0] <= '9') {
        return ParseIteration(state, line, word, length);
    }
    std::string key(word, length);
    if (key == "seed") {
        return ParseSeed(state, line);
    }
    if (key == "sdl") {
        return ParseSdl(state, line);
    }
    if (key == "f") {
        return ParseDataFile(state, line);
    }
    if (key == "levels") {
        return ParseLevels(state, line);
    }
    if (key == "play") {
        return ParsePlay(state, line);
    }
    if (key == "end") {
        return ParseEnd(state, line);
    }
    if (key == "stop") {
        return ParseStop(state, line);
    }
    if (word[0] == '*') {
        return ParseRepeat(state, line, word, length);
    }
    return ParseIteration(state, line, word, length);
}

// "quarndel-replay 1", always the first line.
bool ParseVersionLine(const char *p, const char *end, std::string &error) {
    std::string expected = std::string(kReplayMagic) + " ";
    size_t length = (size_t)(end - p);
    if (length < expected.size() || memcmp(p, expected.data(), expected.size()) != 0) {
        error = "line 1: not a replay file (no \"" + std::string(kReplayMagic) + "\" version line)";
        return false;
    }
    Uint32 version = 0;
    const char *v = p + expected.size();
    if (!ParseUnsigned(v, (size_t)(end - v), 0xffffffffu, version) ||
        version != (Uint32)kReplayVersion) {
        error = "line 1: replay version " + Printable(std::string(v, end)) +
                " is not the version this game reads (" + std::to_string(kReplayVersion) + ")";
        return false;
    }
    return true;
}

// A line's characters must all be printable or blanks.
bool CheckLineText(const char *p, size_t length, size_t number, std::string &error) {
    if (length > kMaxReplayLine) {
        error = "line " + std::to_string(number) + ": longer than " +
                std::to_string(kMaxReplayLine) + " characters";
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        if (p[i] == '\0' || p[i] == '\r' || p[i] == '\t') {
            error = "line " + std::to_string(number) + ": holds a control character";
            return false;
        }
    }
    return true;
}

} // namespace

bool ParseRecording(const char *text, size_t size, Recording &out, std::string &error) {
    out = Recording();
    ParseState state(out);
    // Room for every line and every blank-separated word up front, within
    // the bounds: the records grow without copies, so a file at the bounds
    // stays within the game's memory budget.
    size_t lines = (size_t)std::count(text, text + size, '\n') + 1;
    size_t words = (size_t)std::count(text, text + size, ' ');
    out.iterations.reserve(std::min(lines, kMaxReplayIterations));
    out.events.reserve(std::min(words, kMaxReplayEvents));
    const char *p = text;
    const char *end = text + size;
    size_t number = 0;
    while (p < end) {
        ++number;
        const char *newline = (const char *)memchr(p, '\n', (size_t)(end - p));
        state.lastLine = newline == nullptr;
        const char *stop = state.lastLine ? end : newline;
        if (!CheckLineText(p, (size_t)(stop - p), number, error)) {
            return false;
        }
        LineReader line{p, stop, number, &error};
        bool good = number == 1 ? ParseVersionLine(p, stop, error) : ParseLine(state, line);
        if (!good) {
            if (!state.lastLine || number == 1) {
                return false;
            }
            // The last line of a killed game's recording, cut where it tells
            // nothing that can be played: left out.
            error.clear();
        }
        p = stop + (state.lastLine ? 0 : 1);
    }
    out.lines = number;
    if (number == 0) {
        error = "the file is empty";
        return false;
    }
    if (!out.hasSeed) {
        error = "line " + std::to_string(number) + ": the recording has no seed line";
        return false;
    }
    return true;
}

bool ReadRecording(const char *path, Recording &out, std::string &error) {
    if (path[0] == '\0') {
        error = "no file named";
        return false;
    }
    // Only a regular file: opening a FIFO or a device must not block or
    // read for ever.
    std::string text;
    switch (ReadRegularFile(path, kMaxReplayBytes, text)) {
    case FileRead::kRead:
        return ParseRecording(text.data(), text.size(), out, error);
    case FileRead::kCannotOpen:
        error = std::string("cannot open the file: ") + strerror(errno);
        return false;
    case FileRead::kNotRegular:
        error = "not a regular file";
        return false;
    case FileRead::kTooLarge:
        error = "larger than " + std::to_string(kMaxReplayBytes / (1024 * 1024)) + " MiB";
        return false;
    case FileRead::kFailed:
        break;
    }
    error = "cannot read the file";
    return false;
}
