#include "replay/replay_file.h"

#include "sprites/data_file.h"

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
        *error = "line " + std::to_string(number) + ": " + what;
        return false;
    }
    bool AtEnd() const { return p == end; }
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

// Parses the state that follows the iteration lines read so far: which keys
// the events leave held, so that a held-key change can be checked.
struct Parser {
    Recording &out;
    bool held[kReplayKeyCount] = {};
    Uint32 clock = 0;

    explicit Parser(Recording &recording) : out(recording) {}

    bool Iteration(LineReader &line, const char *first, size_t firstLength) {
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
        clock += step; // the clock wraps like SDL's millisecond counter
        it.clock = clock;
        it.firstEvent = (Uint32)out.events.size();
        const char *word;
        size_t length;
        bool hasDigest = false;
        while (line.Word(word, length)) {
            if (hasDigest) {
                return line.Fail("something follows the state digest");
            }
            if (word[0] == '=' || word[0] == '~') {
                it.drew = word[0] == '=';
                Uint32 digest = 0;
                if (!ParseHex(word + 1, length - 1, 4, digest)) {
                    return line.Fail("the state digest is not four hex digits");
                }
                it.digest = (Uint16)digest;
                hasDigest = true;
                continue;
            }
            ReplayEvent event;
            if (!ParseEvent(word, length, event)) {
                return line.Fail("not an event: " + std::string(word, length));
            }
            if (!Hold(line, event)) {
                return false;
            }
            if (it.eventCount >= kMaxEventsPerIteration || out.events.size() >= kMaxReplayEvents) {
                return line.Fail("too many events");
            }
            out.events.push_back(event);
            ++it.eventCount;
        }
        if (!hasDigest) {
            return line.Fail("the iteration has no state digest");
        }
        out.iterations.push_back(it);
        return true;
    }

    // Held-key changes are recorded as differences from the keys held, so a
    // change to the state a key is already in means the lines are out of order.
    bool Hold(LineReader &line, const ReplayEvent &event) {
        switch (event.kind) {
        case kReplayHeldDown:
        case kReplayHeldUp: {
            bool down = event.kind == kReplayHeldDown;
            if (held[event.sym] == down) {
                return line.Fail("a held-key change to the state the key is already in");
            }
            held[event.sym] = down;
            return true;
        }
        case kReplayKeyDown:
            held[event.sym] = true;
            return true;
        case kReplayKeyUp:
            held[event.sym] = false;
            return true;
        default:
            return true;
        }
    }

    bool Repeat(LineReader &line, const char *word, size_t length) {
        if (out.iterations.empty()) {
            return line.Fail("a repeat with no iteration before it");
        }
        Uint32 count = 0;
        if (!ParseUnsigned(word + 1, length - 1, kMaxRepeat, count) || count == 0) {
            return line.Fail("the repeat count is not a number from 1 to 1000000");
        }
        ReplayIteration last = out.iterations.back();
        if (last.eventCount > 0) {
            return line.Fail("only iterations without events repeat");
        }
        Uint32 step = out.iterations.size() >= 2
                          ? last.clock - out.iterations[out.iterations.size() - 2].clock
                          : last.clock;
        if (out.iterations.size() + count > kMaxReplayIterations) {
            return line.Fail("too many iterations");
        }
        for (Uint32 i = 0; i < count; ++i) {
            clock += step;
            last.clock = clock;
            out.iterations.push_back(last);
        }
        return !line.Word(word, length) || line.Fail("something follows the repeat count");
    }

    bool Line(LineReader &line) {
        const char *word;
        size_t length;
        if (!line.Word(word, length)) {
            return line.Fail("an empty line");
        }
        if (out.hasEnd) {
            return line.Fail("a line after the end line");
        }
        std::string key(word, length);
        if (key == "seed") {
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
        if (key == "f") {
            Uint32 hash = 0;
            if (!line.Word(word, length) || !ParseHex(word, length, 8, hash)) {
                return line.Fail("a data file line without an eight-digit hex hash");
            }
            while (line.p < line.end && *line.p == ' ') {
                ++line.p;
            }
            if (line.p == line.end) {
                return line.Fail("a data file line without a path");
            }
            if (out.files.size() >= kMaxReplayDataFiles) {
                return line.Fail("too many data file lines");
            }
            out.files.push_back({std::string(line.p, line.end), hash});
            return true;
        }
        if (key == "play") {
            Uint32 difficulty = 0;
            if (out.hasPlay) {
                return line.Fail("a second play line");
            }
            if (!line.Word(word, length) || !ParseUnsigned(word, length, 2, difficulty)) {
                return line.Fail("the difficulty is not 0, 1 or 2");
            }
            while (line.p < line.end && *line.p == ' ') {
                ++line.p;
            }
            if (line.p == line.end) {
                return line.Fail("the play line names no level");
            }
            out.hasPlay = true;
            out.difficulty = (int)difficulty;
            out.startLevel.assign(line.p, line.end);
            out.playIteration = (Uint32)out.iterations.size();
            return true;
        }
        if (key == "end") {
            return End(line);
        }
        if (word[0] == '*') {
            return Repeat(line, word, length);
        }
        return Iteration(line, word, length);
    }

    bool End(LineReader &line) {
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
            return line.Fail(("the end line counts " + std::to_string(end.iterations) +
                              " iterations but the file holds " +
                              std::to_string(out.iterations.size())));
        }
        if (!out.hasSeed) {
            return line.Fail("the recording has no seed line");
        }
        out.hasEnd = true;
        return true;
    }
};

} // namespace

bool ParseRecording(const char *text, size_t size, Recording &out, std::string &error) {
    out = Recording();
    Parser parser(out);
    const char *p = text;
    const char *end = text + size;
    size_t number = 0;
    while (p < end) {
        ++number;
        const char *newline = (const char *)memchr(p, '\n', (size_t)(end - p));
        if (newline == nullptr) {
            error = "line " + std::to_string(number) +
                    ": the file is cut off in the middle of "
                    "a line";
            return false;
        }
        size_t length = (size_t)(newline - p);
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
        LineReader line{p, newline, number, &error};
        if (number == 1) {
            std::string expected = std::string(kReplayMagic) + " ";
            if (length < expected.size() || memcmp(p, expected.data(), expected.size()) != 0) {
                error = "line 1: not a replay file (no \"" + std::string(kReplayMagic) +
                        "\" version line)";
                return false;
            }
            Uint32 version = 0;
            const char *v = p + expected.size();
            if (!ParseUnsigned(v, (size_t)(newline - v), 0xffffffffu, version) ||
                version != (Uint32)kReplayVersion) {
                error = "line 1: replay version " + std::string(v, newline) +
                        " is not the version this game reads (" + std::to_string(kReplayVersion) +
                        ")";
                return false;
            }
        } else if (!parser.Line(line)) {
            return false;
        }
        p = newline + 1;
    }
    if (number == 0) {
        error = "the file is empty";
        return false;
    }
    if (!out.hasEnd) {
        error = "line " + std::to_string(number) +
                ": the file stops before its end line (cut off, or the recorded game was "
                "killed) after " +
                std::to_string(out.iterations.size()) + " iterations";
        return false;
    }
    return true;
}

bool ReadRecording(const char *path, Recording &out, std::string &error) {
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
