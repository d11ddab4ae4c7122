#pragma once
// Checks the game's data tree the way the game reads it from the working
// folder: the start-up files, the font and the chain of levels from
// firstLevel. The video mode must be set first, since the game's loaders
// convert every picture to the display format.
#include <string>

#include "check/report.h"

void CheckGameData(const std::string &firstLevel, Report &report);
