#pragma once
// The command line. Every option is an addition for players, level authors
// and testers: started without options the game plays exactly as it always
// has. The record of the choices is launch/options.h.
#include <cstdio>

#include "launch/options.h"

struct ReplayChoices; // replay/replay.h

// Exit statuses of a command line that does not start the game.
constexpr int kExitHelp = 0;  // --help or --version printed
constexpr int kExitUsage = 2; // a bad command line: usage went to err

// Reads argv into result. Returns -1 when the game should start; otherwise
// the status to exit with, after printing help or the version to out, or the
// problem and a usage hint to err. The strings stored point into argv.
int ParseOptions(int argc, char **argv, Options &result, FILE *out, FILE *err);

// The command line's choices for recording and replaying, which the
// recording room takes (StartReplays).
ReplayChoices ReplayChoicesOf(const Options &options);

// The game's version, from the build.
const char *GameVersion();
