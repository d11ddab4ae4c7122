#include "replay/replay_file.h"

#include "sprites/data_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// A cursor over one line's words, with the line number for messages.
struct LineReader {
    const char *p;
    const char *end;
    size_t number;
    std::string *error;

    bool Fail(const std::string &what) {
        *error = "line " + std::to_string(number) + ": " + Printable(what);
        return false;
    }
    bool AtEnd() const { return p == end; }
    // The rest of the line after the blanks that follow the last word.
    std::string Rest() {
        while (p < end && *p == ' ') {
            ++p;
        }
        std::string rest(p, end);
        p = end;
        return rest;
    }
    // The next blank-separated word; false at the end of the line.
    bool Word(const char *&start, size_t &length) {
        while (p < end && *p == ' ') {
            ++p;
        }
        start = p;
        while (p < end && *p != ' ') {
            ++p;
        }
        length = (size_t)(p - start);
        return length > 0;
    }
};

// Decimal digits only, no sign, at most max. Ten digits are enough for any
// 32-bit value; more is a number no recording holds.
bool ParseUnsigned(const char *s, size_t n, Uint32 max, Uint32 &value) {
    if (n == 0 || n > 10) {
        return false;
    }
    unsigned long long v = 0;
    for (size_t i = 0; i < n; ++i) {
        if (s[i] < '0' || s[i] > '9') {
            return false;
        }
        v = v * 10 + (unsigned)(s[i] - '0');
    }
    if (v > max) {
        return false;
    }
    value = (Uint32)v;
    return true;
}

bool ParseSigned(const char *s, size_t n, int &value) {
    bool negative = n > 0 && s[0] == '-';
    Uint32 magnitude = 0;
    if (!ParseUnsigned(s + (negative ? 1 : 0), n - (negative ? 1 : 0),
                       negative ? 2147483648u : 2147483647u, magnitude)) {
        return false;
    }
    value = negative ? (int)(0 - (long long)magnitude) : (int)magnitude;
    return true;
}

bool ParseHex(const char *s, size_t n, size_t digits, Uint32 &value) {
    if (n != digits) {
        return false;
    }
    Uint32 v = 0;
    for (size_t i = 0; i < n; ++i) {
        char c = s[i];
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (d < 0) {
            return false;
        }
        v = v * 16 + (Uint32)d;
    }
    value = v;
    return true;
}

bool ParseEvent(const char *s, size_t n, ReplayEvent &event) {
    if (n == 1 && s[0] == 'q') {
        event = ReplayEvent();
        event.kind = kReplayQuit;
        return true;
    }
    bool held = n > 0 && s[0] == 'h';
    if (held) {
        ++s;
        --n;
    }
    if (n < 2 || (s[0] != '+' && s[0] != '-')) {
        return false;
    }
    bool down = s[0] == '+';
    const char *colon = (const char *)memchr(s, ':', n);
    size_t symLength = colon != nullptr ? (size_t)(colon - s) - 1 : n - 1;
    Uint32 sym = 0;
    Uint32 mod = 0;
    if (!ParseUnsigned(s + 1, symLength, kReplayKeyCount - 1, sym)) {
        return false;
    }
    if (colon != nullptr && (held || !ParseUnsigned(colon + 1, n - symLength - 2, 0xffff, mod))) {
        return false;
    }
    event.kind =
        held ? (down ? kReplayHeldDown : kReplayHeldUp) : (down ? kReplayKeyDown : kReplayKeyUp);
    event.sym = (Uint16)sym;
    event.mod = (Uint16)mod;
    return true;
}

// What the lines read so far leave behind, for the lines that follow.
struct ParseState {
    Recording &out;
    bool held[kReplayKeyCount] = {}; // the keys the events so far leave held
    Uint32 clock = 0;                // the clock of the last iteration
    bool lastLine = false;           // the line is the file's last, cut before its end

    explicit ParseState(Recording &recording) : out(recording) {}
};

// Held-key changes are recorded as differences from the keys held, so a
// change to the state a key is already in means the lines are out of order.
bool TrackHeldKeys(ParseState &state, LineReader &line, const ReplayEvent &event) {
    switch (event.kind) {
    case kReplayHeldDown:
    case kReplayHeldUp: {
        bool down = event.kind == kReplayHeldDown;
        if (state.held[event.sym] == down) {
            return line.Fail("a held-key change to the state the key is already in");
        }
        state.held[event.sym] = down;
        return true;
    }
    case kReplayKeyDown:
    case kReplayKeyUp:
        state.held[event.sym] = event.kind == kReplayKeyDown;
        return true;
    default:
        return true;
    }
}

// "16 +274 =5b0e": the clock step, the events, the state digest. The last
// line of a killed game's recording may stop before its digest.
bool ParseIteration(ParseState &state, LineReader &line, const char *first, size_t firstLength) {
    Recording &out = state.out;
    if (!out.hasSeed) {
        return line.Fail("an iteration comes before the seed line");
    }
    if (out.iterations.size() >= kMaxReplayIterations) {
        return line.Fail("too many iterations");
    }
    Uint32 step = 0;
    if (!ParseUnsigned(first, firstLength, 0xffffffffu, step)) {
        return line.Fail("the clock step is not a number from 0 to 4294967295");
    }
    ReplayIteration it;
    it.clock = state.clock + step; // the clock wraps like SDL's millisecond counter
    it.firstEvent = (Uint32)out.events.size();
    it.hasDigest = false;
    const char *word;
    size_t length;
    while (line.Word(word, length)) {
        if (it.hasDigest) {
            return line.Fail("something follows the state digest");
        }
        if (word[0] == '=' || word[0] == '~') {
            Uint32 digest = 0;
            if (!ParseHex(word + 1, length - 1, 4, digest)) {
                if (state.lastLine) {
                    break; // cut inside the digest: as if it were not there
                }
                return line.Fail("the state digest is not four hex digits");
            }
            it.drew = word[0] == '=';
            it.digest = (Uint16)digest;
            it.hasDigest = true;
            continue;
        }
        ReplayEvent event;
        if (!ParseEvent(word, length, event)) {
            return line.Fail("not an event: " + std::string(word, length));
        }
        if (!TrackHeldKeys(state, line, event)) {
            return false;
        }
        if (it.eventCount >= kMaxEventsPerIteration || out.events.size() >= kMaxReplayEvents) {
            return line.Fail("too many events");
        }
        out.events.push_back(event);
        ++it.eventCount;
    }
    if (!it.hasDigest && !state.lastLine) {
        return line.Fail("the iteration has no state digest");
    }
    state.clock = it.clock;
    out.iterations.push_back(it);
    return true;
}

// "*12": the iteration line before, 12 more times, each a clock step later.
bool ParseRepeat(ParseState &state, LineReader &line, const char *word, size_t length) {
    Recording &out = state.out;
    if (out.iterations.empty()) {
        return line.Fail("a repeat with no iteration before it");
    }
    Uint32 count = 0;
    if (!ParseUnsigned(word + 1, length - 1, kMaxRepeat, count) || count == 0) {
        return line.Fail("the repeat count is not a number from 1 to 1000000");
    }
    ReplayIteration last = out.iterations.back();
    if (last.eventCount > 0 || !last.hasDigest) {
        return line.Fail("only iterations without events repeat");
    }
    Uint32 step = out.iterations.size() >= 2
                      ? last.clock - out.iterations[out.iterations.size() - 2].clock
                      : last.clock;
    size_t needed = out.iterations.size() + count;
    if (needed > kMaxReplayIterations) {
        return line.Fail("too many iterations");
    }
    if (needed > out.iterations.capacity()) {
        // Grown by doubling, but never past the bound: a day of iterations
        // takes 144 MB, and doubling beyond would take twice that.
        out.iterations.reserve(
            std::min(std::max(needed, 2 * out.iterations.capacity()), kMaxReplayIterations));
    }
    for (Uint32 i = 0; i < count; ++i) {
        state.clock += step;
        last.clock = state.clock;
        out.iterations.push_back(last);
    }
    return !line.Word(word, length) || line.Fail("something follows the repeat count");
}

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
    if (memchr(p, '\0', length) != nullptr || memchr(p, '\r', length) != nullptr ||
        memchr(p, '\t', length) != nullptr) {
        error = "line " + std::to_string(number) + ": holds a control character";
        return false;
    }
    return true;
}

} // namespace

std::string Printable(const std::string &text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7f) {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += (char)c;
        }
    }
    return out;
}

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
