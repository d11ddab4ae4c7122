#pragma once
// --verify-scores: every score entry proven by replaying its recording.
#include <cstdio>
#include <string>

// --verify-scores: replays every entry's recording headless (as a child
// process of exe) and prints per entry whether it ends with the entry's
// score, level and difficulty. dataDir is passed on as --data-dir; with no
// data folder to replay in, says so and how to name one, and replays
// nothing. Returns 0 when all do, 1 when any differs or its recording is
// missing, or no data folder was found.
int VerifyScores(const std::string &folder, const char *exe, const char *dataDir, FILE *out,
                 FILE *err);
