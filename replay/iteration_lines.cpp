// Reading iteration lines and repeats: the clock steps, the events and the
// state digests of a recorded game.
#include "replay/iteration_lines.h"

#include <algorithm>
#include <cstring>

namespace {

// "+274", "-32:64", "q", "h+273": one event of an iteration line.
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

} // namespace

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
