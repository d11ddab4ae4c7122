#pragma once
// Recording a run of the game and playing it back. The rules are a function
// of the seed given to rand(), the clock and the events, so a recording holds
// those (and a digest of the state after every iteration, to check a replay
// against): the game itself never knows it is recorded or replayed. It is
// reached through the seams the game already has: the seeding at start-up,
// GetTicks(), PollEvent(), the data-file loaders and the end of every loop
// iteration (FramePacer::Wait and IdleNap).
//
// The clock is frozen per iteration while recording and replaying: every
// read within one iteration returns the value its first read took, so the
// recording holds one clock value per iteration however often the game (or
// code added later) reads the clock.
#include <SDL.h>

#include <cstdio>
#include <string>

#include "replay/exit_status.h"

// What the player chose for recording and replaying (the program fills it
// from its command line).
struct ReplayChoices {
    const char *record = nullptr; // the file the game is recorded into; null: none
    bool overwrite = false;       // record may replace an existing file
    const char *replay = nullptr; // the recording played back; null: none
    bool headless = false;        // replay without window or pacing
    bool verify = false;          // the replay must end as recorded
    const char *level = nullptr;  // the level the player asked to start in; null: none
};

// Called by main before Game::Init. With --record opens the recording; with
// --replay reads the whole recording (a bad one ends the process with status
// 2 and one line on standard error) and with --headless chooses SDL's dummy video driver and no
// sound. A headless replay draws the pixels of the last frame drawn only: every frame redraws the
// whole screen, so the frames before leave nothing behind, and everything else the game does runs
// as in any game. Without either it does nothing.
void StartReplays(const ReplayChoices &choices);

// The first level folder of the recording being replayed, relative to the
// data folder like every path the game reads; null when no replay with play
// is running.
const char *ReplayFirstLevel();

// The installed level set the game plays ("" for the shipped levels), which
// a recording names; set before play begins.
void SetRecordedLevelSet(const char *name);

// The level set the recording being replayed names ("" for the shipped
// levels); null when no replay is running.
const char *ReplayLevelSet();

// The seed for srand: records the given one, or returns the recorded one.
Uint32 ReplaySeed(Uint32 seed);

// PollEvent's replay hook. poll is the live source (the window and keyboard).
// Recording: passes the live events on and records them. Replaying: returns
// the recorded events, and from the live ones only takes Escape or the
// window's closing, which end the replay.
int ReplayPollEvent(SDL_Event *event, int (*poll)(SDL_Event *));

// One iteration of the title or play loop is over (the pacer's wait or the
// idle nap follows); drewFrame tells which.
void EndReplayIteration(bool drewFrame);

// True in a headless replay: the pacer and the idle nap do not sleep.
bool ReplayWithoutWaiting();

// Ends the recording or the replay when the game ends: writes the end line,
// or prints the final state and the verdict. Returns the exit status the
// program should end with: 0, kExitReplayDiffers (a verified replay that
// differs, or a verification stopped before its end), or 3 when the
// recording could not be written whole.
int FinishReplays();

// The most of a run the score keeper's copy holds in memory: about eight
// hours of play (a minute of play takes about 32 KiB).
constexpr long kMaxKeptRunBytes = 16L * 1024 * 1024;

// Gives the recorder its second output: a copy of the whole run kept in
// memory for the score table, beside --record's file or alone (the recorder
// then runs for it alone). The copy holds at most maxBytes; past them it
// stops, and says so once on standard error. Called before the game starts;
// false, and nothing kept, in a replay.
bool KeepRunInMemory(long maxBytes);

// The run kept by KeepRunInMemory from start-up to now, ending with a stop
// line: a replay of it stops after the last iteration ended and checks the
// score, level and difficulty there. An iteration begun is ended first (the
// loop left it: no frame). False when the copy stopped at its bound (said
// when it happened) or nothing was kept.
bool RecordedRunSoFar(std::string &text);

// Stops recording or replaying and forgets everything, for tests.
void ResetReplays();
