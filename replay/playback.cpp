// Playing a recording back: the recorded seed, clock and events take the
// place of the real ones, and every iteration's state is checked against
// the recording's digest.
#include <cstdlib>
#include <cstring>

#include "game/game.h"
#include "replay/exit_status.h"
#include "replay/playback.h"
#include "replay/session.h"
#include "strings/text.h"

namespace {

// A windowed replay waits for the recorded clock, but never longer than this
// at once: a long gap in the recording (the window held still by the desktop)
// plays shortened instead of looking like a hang.
constexpr Uint32 kMaxCatchUpMs = 250;

std::string Hex(Uint32 value, int digits) {
    char text[16];
    snprintf(text, sizeof text, "%0*x", digits, (unsigned)value);
    return text;
}

const ReplayIteration *CurrentIteration() {
    if (session.iterations < session.recording.iterations.size()) {
        return &session.recording.iterations[session.iterations];
    }
    return nullptr;
}

// Ends the replay where playing it back finds it over; the program ends
// right after, and its own end finds the replay finished.
int EndReplayHere() {
    if (session.finished) {
        return 0;
    }
    session.finished = true;
    return FinishReplay();
}

// The replayed game goes on where the recording stopped: the replay ends
// there, and so does the program.
[[noreturn]] void OutlivedRecording() {
    size_t count = session.recording.iterations.size();
    if (session.recording.hasEnd) {
        NoteDifference("the game goes on after the recording's last iteration " +
                       std::to_string(count));
    } else {
        fprintf(stderr,
                "quarndel: %s: the recording ends at iteration %zu without an end: the game did "
                "not finish\n",
                Printable(session.path).c_str(), count);
    }
    session.iterationOpen = false; // the iteration begun has nothing recorded
    int status = EndReplayHere();
    if (status == 0 && !session.recording.hasEnd && session.verify) {
        status = kExitReplayDiffers;
    }
    exit(status);
}

void PaceReplay(Uint32 recorded) {
    Uint32 now = SDL_GetTicks();
    if (!session.paceStarted) {
        session.paceStarted = true;
        session.paceRealStart = now;
        session.paceRecordedStart = recorded;
        return;
    }
    Uint32 due = recorded - session.paceRecordedStart;
    Uint32 real = now - session.paceRealStart;
    if ((Sint32)(due - real) <= 0) {
        return;
    }
    Uint32 wait = due - real;
    if (wait > kMaxCatchUpMs) {
        session.paceRealStart -= wait - kMaxCatchUpMs; // skip the rest of the gap
        wait = kMaxCatchUpMs;
    }
    SDL_Delay(wait);
}

// The held keys come from the recording alone: SDL's array, which the real
// keyboard writes into while it is polled, is overwritten after every round.
void ApplyHeldKeys() {
    int count = 0;
    Uint8 *keys = SDL_GetKeyState(&count);
    if (keys != nullptr) {
        memcpy(keys, session.held, (size_t)(count < kReplayKeyCount ? count : kReplayKeyCount));
    }
}

void PrintState(FILE *out, const ReplayEnd &end) {
    fprintf(out, "score %d lives %d level %d frame %08x iterations %u\n", end.score, end.lives,
            end.level, (unsigned)end.frame, (unsigned)end.iterations);
}

// Compares how the game ended with the recording's end line.
void CompareEnd(const ReplayEnd &end) {
    const Recording &r = session.recording;
    if (!r.hasEnd) {
        if (end.iterations < r.iterations.size()) {
            NoteDifference("the game ends after " + std::to_string(end.iterations) +
                           " iterations, recorded " + std::to_string(r.iterations.size()) +
                           " and more");
        }
        return;
    }
    const ReplayEnd &want = r.end;
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
        std::string frame = "the last frame's checksum is " + Hex(end.frame, 8) + ", recorded " +
                            Hex(want.frame, 8);
        // The two SDL 1.2 implementations round some blended pixels
        // differently, so when nothing but the last frame differs and
        // another implementation drew the recording, the game is the same.
        // A recording without an sdl line was drawn by the classic library.
        SdlLibrary running = RunningSdl();
        bool recordedCompat = r.hasSdl && r.sdl.compat;
        if (session.difference.empty() && recordedCompat != running.compat) {
            std::string recorded = r.hasSdl ? SdlLibraryText(r.sdl) : "classic (no sdl line)";
            session.otherSdl = "replay matches the recording but for the last frame's pixels, as "
                               "expected across SDL implementations: " +
                               frame + "; recorded on SDL " + recorded + ", replayed on SDL " +
                               SdlLibraryText(running);
        } else {
            NoteDifference(frame);
        }
    }
}

} // namespace

void NoteDifference(const std::string &what) {
    if (session.difference.empty()) {
        session.difference = what;
    }
}

bool LoadRecording(const char *path, std::string &error) {
    if (!ReadRecording(path, session.recording, error)) {
        return false;
    }
    for (size_t i = 0; i < session.recording.iterations.size(); ++i) {
        if (session.recording.iterations[i].drew) {
            session.lastDrawing = (Uint32)i;
        }
    }
    return true;
}

// A headless replay needs the pixels of the last frame only. Blits and fills
// clipped to nothing cost next to nothing and change no game state; the
// frame that counts is drawn in full.
void ClipHeadlessDrawing() {
    if (!session.headless || screen == nullptr) {
        return;
    }
    bool clip = session.iterations < session.lastDrawing;
    if (clip != session.clipped) {
        session.clipped = clip;
        SDL_Rect nothing = {0, 0, 0, 0};
        SDL_SetClipRect(screen, clip ? &nothing : nullptr);
    }
}

Uint32 ReplayTicks() {
    const ReplayIteration *it = CurrentIteration();
    if (it == nullptr) {
        OutlivedRecording();
    }
    if (!session.clockFrozen) {
        session.clockFrozen = true;
        session.frozenClock = it->clock;
        if (!session.headless) {
            PaceReplay(it->clock);
        }
    }
    return session.frozenClock;
}

int NextRecordedEvent(SDL_Event *event) {
    const ReplayIteration *it = CurrentIteration();
    if (it == nullptr) {
        OutlivedRecording();
    }
    while (session.nextEvent < it->eventCount) {
        const ReplayEvent &e = session.recording.events[it->firstEvent + session.nextEvent];
        ++session.nextEvent;
        switch (e.kind) {
        case kReplayHeldDown:
        case kReplayHeldUp:
            session.held[e.sym] = e.kind == kReplayHeldDown ? 1 : 0;
            continue;
        case kReplayQuit:
            memset(event, 0, sizeof *event);
            event->type = SDL_QUIT;
            return 1;
        case kReplayKeyDown:
        case kReplayKeyUp: {
            bool down = e.kind == kReplayKeyDown;
            session.held[e.sym] = down ? 1 : 0;
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

void CheckIteration(Uint16 digest, bool drewFrame) {
    const ReplayIteration *it = CurrentIteration();
    if (it != nullptr && it->hasDigest && !session.stopped &&
        (it->digest != digest || it->drew != drewFrame)) {
        NoteDifference("first at iteration " + std::to_string(session.iterations + 1) +
                       ": state digest " + Hex(digest, 4) + (drewFrame ? "" : " (no frame)") +
                       ", recorded " + Hex(it->digest, 4) + (it->drew ? "" : " (no frame)"));
    }
    session.nextEvent = 0;
}

void StopWhereRecorded() {
    const Recording &r = session.recording;
    if (!r.hasStop || session.stopped || session.iterations != r.stop.iterations) {
        return;
    }
    if (ship.score != r.stop.score || level.levelNumber != r.stop.level ||
        difficulty != r.stop.difficulty) {
        NoteDifference("after iteration " + std::to_string(r.stop.iterations) + " the score is " +
                       std::to_string(ship.score) + ", level " + std::to_string(level.levelNumber) +
                       ", difficulty " + std::to_string(difficulty) + "; recorded score " +
                       std::to_string(r.stop.score) + ", level " + std::to_string(r.stop.level) +
                       ", difficulty " + std::to_string(r.stop.difficulty));
    }
    exit(EndReplayHere());
}

void CheckPlay(int difficulty, const std::string &level) {
    const Recording &r = session.recording;
    if (session.stopped) {
        return; // the program loads the first level on its way out
    }
    if (r.hasPlay && r.playIteration == session.iterations && r.difficulty == difficulty &&
        r.startLevel == level) {
        return;
    }
    NoteDifference("play begins after iteration " + std::to_string(session.iterations) +
                   " at difficulty " + std::to_string(difficulty) + " in " + Printable(level) +
                   (r.hasPlay ? ", recorded after iteration " + std::to_string(r.playIteration) +
                                    " at difficulty " + std::to_string(r.difficulty) + " in " +
                                    Printable(r.startLevel)
                              : ", but the recording has no play"));
}

// The final state, the verdict and the exit status: 0 when the replay ran
// (and, verified, matched), kExitReplayDiffers when it differs, or when a
// verification was stopped before the recording's end.
int FinishReplay() {
    ReplayEnd end = CurrentEnd();
    if (session.headless) {
        PrintState(stdout, end);
    }
    const char *path = session.path.c_str();
    if (session.stopped) {
        fprintf(stderr, "quarndel: replay stopped by %s after iteration %u of %zu\n",
                session.stoppedBySignal || session.headless ? "a signal" : "the player",
                (unsigned)session.iterations, session.recording.iterations.size());
        if (!session.difference.empty()) {
            fprintf(stderr, "quarndel: %s: replay differs from the recording: %s\n",
                    Printable(path).c_str(), session.difference.c_str());
        }
        if (session.verify) {
            fprintf(stderr, "quarndel: %s: the verification did not finish\n",
                    Printable(path).c_str());
            return kExitReplayDiffers;
        }
        return 0;
    }
    CompareEnd(end);
    if (session.difference.empty()) {
        if (!session.otherSdl.empty()) {
            fprintf(stdout, "%s\n", session.otherSdl.c_str());
            return 0;
        }
        if (session.verify && (session.recording.hasEnd || session.recording.hasStop)) {
            fprintf(stdout, "replay matches the recording\n");
        }
        return 0;
    }
    fprintf(stderr, "quarndel: %s: replay differs from the recording: %s\n",
            Printable(path).c_str(), session.difference.c_str());
    return session.verify ? kExitReplayDiffers : 0;
}
