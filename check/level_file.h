#pragma once
// Checks one level file ("leveldata") line by line, reading it exactly as
// LevelInfo::Load does.
#include <string>

#include "check/report.h"
#include "level/level_info.h"

// What reading one level file did to the game's level record.
struct LevelFileCheck {
    bool opened = false;
    // For each key and each of its values: the line that last set it, or 0
    // where this file left the value as it was.
    int valueLine[kLevelKeyCount][3] = {};
};

// The path LevelInfo::Load opens for dir; empty when it does not fit the
// game's path buffer (the game then fails as for a missing file).
std::string LevelFilePath(const std::string &dir);

// Reads dir/leveldata over record the way the game does and reports every
// line the game ignores or reads otherwise than it seems to say. firstLevel:
// the record holds the game's starting values (zero and empty), not the
// values a previous level left.
LevelFileCheck CheckLevelFile(const std::string &dir, LevelInfo &record, bool firstLevel,
                              Report &report);
