#pragma once
// Follows the NEXT LEVEL chain from the first level as the game plays it:
// one level record read over by every level file, the pictures and sprite
// sets each level names, and the chain's end.
#include <string>

#include "tools/levelcheck/report.h"

// Where the game draws the level picture and where the boss stands.
constexpr int kLevelPictureX = 200;
constexpr int kLevelPictureY = 100;
constexpr int kBossX = 420;
constexpr int kBossY = 110;
// Top of the bottom text row (the credits), which a sprite drawn over it hides.
constexpr int kBottomTextY = 460;

// Checks every level from firstLevel on; counts them in report.levels.
void CheckLevelChain(const std::string &firstLevel, Report &report);
