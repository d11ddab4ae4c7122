#pragma once
// Checks a sprite set folder: its frame-list file "info" line by line, the
// frame count it announces, every frame bitmap and the frames' sizes.
#include <string>

#include "check/report.h"

// What the game holds once SpriteSet::Load has read a set folder.
struct SetCheck {
    bool readable = false; // the frame-list file opens
    int frames = 0;        // frames with a picture, counted from frame 0
    int w = 0;             // size of frame 0, the set's hit box
    int h = 0;
};

// The frame-list path SpriteSet::Load opens for dir; empty when it does not
// fit the game's path buffer.
std::string FrameListPath(const std::string &dir);

// Reads the set folder the way the game does (SpriteSet::Load does the
// loading) and reports what in it the game misreads or cannot load. When the
// frame-list file cannot be opened it reports nothing and returns readable
// false: the caller knows what the set is for.
SetCheck CheckSpriteSet(const std::string &dir, Report &report);
