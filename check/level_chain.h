#pragma once
// Follows the NEXT LEVEL chain from the first level as the game plays it:
// one level record read over by every level file, the pictures and sprite
// sets each level names, and the chain's end.
#include <string>

#include "check/report.h"
#include "level/level_info.h"

// Where the game draws the level picture and where the boss stands.
constexpr int kLevelPictureX = 200;
constexpr int kLevelPictureY = 100;
constexpr int kBossX = 420;
constexpr int kBossY = 110;
// Top of the bottom text row (the credits), which a sprite drawn over it hides.
constexpr int kBottomTextY = 460;

// Checks every level from firstLevel on; counts them in report.levels.
void CheckLevelChain(const std::string &firstLevel, Report &report);

// Checks the one level dir as the game reads it over the record before (the
// values earlier levels left; first: the game's starting record), and
// whether its NEXT LEVEL leads to a level, without checking that level.
void CheckOneLevel(const std::string &dir, const LevelInfo &before, bool first, Report &report);
