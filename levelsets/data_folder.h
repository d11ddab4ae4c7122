#pragma once
// Where the game reads its data from. The game reads every file by a path
// relative to its working directory ("data/..."), so finding the data means
// changing into the folder that holds data/ before start-up.
#include <cstdio>
#include <string>

#include "launch/options.h"

// The folder the build installs the data tree into (holding data/).
const char *InstalledDataFolder();

// The outcome of choosing a data folder.
struct DataFolderChoice {
    std::string folder; // the folder to change into; empty: stay where started
    std::string error;  // set when the named folder cannot be used: one line
    bool found = false; // a folder holding data/ was found, or named
};

// Chooses the folder that holds data/, in this order:
// - named (--data-dir) when given: it must exist and hold data/;
// - the current folder when it holds data/level_1: nothing changes;
// - installed when it holds data/level_1;
// - otherwise the current folder, where the game runs as it always has and
//   reports every file it cannot open.
DataFolderChoice ChooseDataFolder(const char *named, const char *installed);

// The line that says no data folder was found (installed is the installed
// one) and how to name one, for a replay that needs the recorded levels.
std::string NoDataFolderMessage(const char *installed);

// Chooses the data folder for the command line and changes into it. A
// replay with no data folder found ends at once with NoDataFolderMessage:
// its recording would only be blamed for the missing files. A
// relative --level folder or --settings file is first made absolute against
// the folder the game started in, so it still names the same place;
// options.level and options.settings then point to storage of this file. Returns -1 when the game
// should start, else the exit status after one line on err.
int EnterDataFolder(Options &options, FILE *err);
