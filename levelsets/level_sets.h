#pragma once
// The player's installed level sets, each in its own folder under
// $XDG_DATA_HOME/quarndel/levels/: installing one from a pack
// (--install-levels), listing them (L on the title), and choosing the set in
// play (--levels, the settings' pick, a recording's set).
#include <cstdio>
#include <string>
#include <vector>

#include "files/level_set_in_play.h"
#include "launch/options.h"
#include "levelsets/level_set.h"

// An installed set as L lists it, with the checker's verdict.
struct InstalledSet {
    LevelSet set;
    int levels = 0;
    int errors = 0;
    int warnings = 0;
};

// The folder the sets are installed in; empty when no folder can be named.
std::string LevelSetsFolder();

// Exit statuses of --install-levels.
constexpr int kExitInstalled = 0;
constexpr int kExitNotInstalled = 1;

// --install-levels: reads the pack into a scratch folder beside the sets
// (refusing a hostile pack with one line), checks the set from the data
// folder options name (the game's own choice), and puts it in place with one
// rename: a set of that name is kept unless overwrite. Everything but the
// outcome's last line goes to err as well.
int InstallLevelPack(const char *pack, const Options &options, FILE *err);

// The sets installed in folder, by name, each checked (the video mode must
// be set, and the game must be in its data folder).
std::vector<InstalledSet> ListInstalledSets(const std::string &folder);

// The shipped levels as L lists them: counted and checked from their first
// level as an installed set's are (the video mode must be set).
InstalledSet ShippedLevels();

// Makes the installed set name the one in play: its files are read from its
// folder from now on. An empty name goes back to the shipped levels. False,
// with why, when no such set is installed or its description is broken.
bool PlayLevelSet(const std::string &name, std::string &why);

// After the data folder is chosen: a set --levels or the recording being
// replayed names must be installed; returns -1 to go on, else the exit
// status after one line on err.
int PrepareLevelSet(const Options &options, FILE *err);

// With the settings read: the settings' pick when nothing else chose a set
// (a pick no longer installed is said on err and the shipped levels play),
// the first level when --level and a recording name none, and the set a
// recording names.
void ChooseLaunchLevelSet(const Options &options, FILE *err);

// Back to the shipped levels, for tests.
void ForgetLevelSet();
