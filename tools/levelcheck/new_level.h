#pragma once
// quarndel-check --new-level: writes a starter level for an author to edit,
// a level that passes the checker and plays as it is.
#include <cstdio>

// Exit statuses of --new-level.
constexpr int kNewLevelWritten = 0;
constexpr int kNewLevelRefused = 1; // the folder exists, or cannot be written

// Writes a new level folder dir: a leveldata naming every key under a comment
// that says what it does, its own copies of the first shipped level's
// background, title picture and boss set, the shipped ship and shots, and
// NEXT LEVEL none. The shipped files are read from the data folder
// dataFolder (holding data/). Never writes into a folder that exists: the
// level is built in a folder beside dir and renamed to dir when whole, and a
// failure on the way (a full disk) leaves nothing. Says what it did on out,
// problems on err.
int WriteNewLevel(const char *dir, const char *dataFolder, FILE *out, FILE *err);
