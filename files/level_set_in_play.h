#pragma once
// The level set this run plays: its name ("" for the shipped levels) and its
// first level. Kept apart from installing and listing sets, so that the
// browser's build, which installs none, shares the score table and the high
// scores screen with the desktop.
#include <string>

// The set in play ("" for the shipped levels) and its first level (null for
// the shipped levels).
const std::string &LevelSetInPlay();
const char *LevelSetFirstLevel();

// From now on the run plays name, starting at firstLevel; "" for the shipped
// levels.
void SetLevelSetInPlay(const std::string &name, const std::string &firstLevel);
