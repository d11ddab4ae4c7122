#pragma once
// Keeping the score table during a run: every game is recorded into a
// temporary file in the table's folder, and when a game ends (a game over,
// or the player leaving play) with a score that makes its difficulty's
// table, the run up to that game's end is kept with the entry. A replay or
// a headless run keeps nothing, and nor does --watch (the levels change
// under the game, so its recording would not replay).
#include <cstdio>
#include <string>

#include "app/options.h"

// Chooses the table's folder and opens the temporary recording, after
// StartReplays. Without a writable folder the game plays on unrecorded and
// says so once, when a game with a score ends.
void StartScoreKeeping(const Options &options);

// After every loop iteration: a game over that has just begun enters the
// game into the table.
void NoteScoreIteration();

// When the play loop has ended: a game left during play enters the table.
void EndScoreKeeping();

// True when H on the title shows the table: not in a replay.
bool ScoresOnTitleAllowed();

// The folder StartScoreKeeping chose.
const std::string &ScoreKeepingFolder();

// --verify-scores: replays every entry's recording headless (as a child
// process of exe) and prints per entry whether it ends with the entry's
// score, level and difficulty. dataDir is passed on as --data-dir. Returns
// 0 when all do, 1 when any differs or its recording is missing.
int VerifyScores(const std::string &folder, const char *exe, const char *dataDir, FILE *out,
                 FILE *err);

// Forgets the run's state, for tests.
void ResetScoreKeeping();
