#pragma once
// Keeping the score table during a run: the recorder keeps a copy of the
// run in memory, and when a game ends (a game over, or the player leaving
// play) with a score that makes its difficulty's table, the run up to that
// game's end is kept with the entry. A run that enters no game writes and
// makes nothing. A replay or a headless run keeps nothing, and nor does
// --watch (the levels change under the game, so its recording would not
// replay).
#include <cstdio>
#include <string>

#include "launch/options.h"

// Chooses the table's folder and has the recorder keep the run, after
// StartReplays. Without a folder that can be made and written in the game
// plays on and says so once, when a game with a score ends.
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

// Forgets the run's state, for tests.
void ResetScoreKeeping();
