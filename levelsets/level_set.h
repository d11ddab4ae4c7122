#pragma once
// A level set: a folder of levels with a small description file ("levelset":
// its name, author and first level) that is shared as one pack and installed
// under the player's levels folder. Its levels name their own files
// "data/NAME/..." (NAME the set's folder), as they did in the author's data
// folder, and the shipped ship, shots, bosses and font by their usual paths.
#include <string>

#include "check/report.h"
#include "strings/set_name.h"

// The description file in a set's folder. A folder without one is a set
// all the same: named after the folder, starting at the folder's own level.
constexpr const char *kLevelSetFile = "levelset";
// Bounds on the description: a few lines of text.
constexpr long kMaxLevelSetFileBytes = 16 * 1024;
constexpr size_t kMaxSetAuthorLength = 64;

struct LevelSet {
    std::string name;       // the folder's name, the set's name everywhere
    std::string author;     // empty when not told
    std::string firstLevel; // "data/NAME" or a folder below it
    std::string folder;     // where the set's files are read from
    bool described = false; // the folder holds a description file
};

// Reads the description of the set in folder (its last path component is the
// set's name): NAME, AUTHOR and FIRST LEVEL lines, "#" comments. Problems
// are findings of report against the description (or the folder).
void ReadLevelSet(const std::string &folder, LevelSet &set, Report &report);

// Reads the description, then checks the levels from the set's first level
// along the NEXT LEVEL chain the way the game reads them, with the set's
// files read from its folder (SetLevelSetPlace) and everything else from the
// data folder the checker runs in. The video mode must be set.
void CheckLevelSet(const std::string &folder, LevelSet &set, Report &report);

// The data path prefix of a set's files: "data/NAME".
std::string SetDataPrefix(const std::string &name);
