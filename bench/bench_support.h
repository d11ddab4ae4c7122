#pragma once
// Puts the benchmarks into the shipped data tree with a dummy-video screen.
#include <SDL.h>

// Opens the screen the way the game does and changes into the repository
// root, where data/ lies. Returns false when the shipped tree is missing.
bool OpenBenchScreen();

// Loads and sets up a shipped level and fills the play screen: level picture,
// boss, ten shots and ten enemies in play, none touching another.
void FillPlayScene(const char *levelDir);
