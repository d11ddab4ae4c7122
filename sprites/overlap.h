#pragma once
#include "sprites/sprite.h"

// The game's collision test: do the middle 80 % boxes of the two sprites
// overlap or touch? Pass the moving object first. A sprite whose set never
// loaded a frame has no size and collides with nothing.
bool Overlaps(const Sprite &a, const Sprite &b);
