// Writing the data tree: pictures as bitmaps the game loads, sprite sets
// with their frame-list files, plain files and folders.
#pragma once

#include "draw.h"
#include "fail.h"

#include <string>
#include <vector>

// How a picture's transparency becomes a bitmap.
enum class Backdrop {
    Opaque,   // composed over black, every pixel drawn
    BlackKey, // pixels under half coverage become pure black (the game's
              // transparent colour); edges are blended toward a dark rim so
              // that no covered pixel is ever pure black
};

void SaveBmp(const Picture &pic, const std::string &path, Backdrop how);

// Writes "info" and the frame bitmaps (black transparent) into dir.
// pictures are written as name_0.bmp, name_1.bmp, ...; order lists which
// picture each animation frame shows, so a frame may repeat a picture.
void WriteSpriteSet(const std::string &dir, const std::string &name,
                    const std::vector<Picture> &pictures, const std::vector<int> &order,
                    int pauseMs, const std::string &comment);

void MakeDirs(const std::string &path);
void WriteFile(const std::string &path, const std::string &bytes);
