#pragma once
// Checks the files the game loads at start-up, before any level: the title
// screen and its pictures, the paused and game-over pictures, the cursor and
// enemy sprite sets and the title tune.
#include "check/report.h"

void CheckStartupFiles(Report &report);
