#pragma once
// Sprite sets (the frames of one sprite kind, read from a directory with a
// frame-list file "info") and sprites (a position and an animation state over
// a shared set).
#include <SDL.h>

#include "sprites/vector2.h"

// Most frames a frame-list file may announce. The count comes from a data
// file; bounding it bounds the frame array.
constexpr int kMaxFrames = 4096;

// Most pixels one load of a set may decode, over all its distinct pictures
// (a picture named again with the same colour key is decoded once): 2048 x
// 1024, 8 MiB in a 32-bit display format, eleven times the largest shipped
// set. A frame that would go beyond it fails like a missing frame picture, so
// neither a few huge frames nor one picture named with many colour keys can
// make a set outgrow it.
constexpr long kSetPixelBudget = 2048L * 1024L;

// Longest piece of a text line the loaders read at once (including its NUL):
// a longer line is read as several lines.
constexpr int kLineSize = 255;

// The frame-list file "info": its header line and the form of a frame line
// (file name, pause in ms, red, green and blue of the colour key).
constexpr const char *kFrameListHeader = "FILES: %d";
constexpr const char *kFrameLineFormat = "%254s %d %d %d %d";

// True for a frame-list line that is passed over and counts as no frame:
// empty, or starting with '#', a carriage return or a line feed.
bool IsFrameListSkippedLine(const char *line);

struct SpriteFrame {
    SDL_Surface *image = nullptr; // display format, with the frame's colour key
    int pause = 0;                // ms the frame stays up at speed 1.0
};

class SpriteSet {
  public:
    SpriteFrame *frames = nullptr; // frameCount entries; an image may be null if it failed
    int built = 0;                 // 1 once Load has opened the info file
    int frameCount = 0;            // the number the info file announced (bounded)
    int w = 0;                     // size of the first frame ever loaded
    int h = 0;

    // Reads dir/info and its frame bitmaps. 0 = loaded, -1 = failed.
    int Load(const char *dir);

    // The frame's picture, or null when the set has no such frame.
    SDL_Surface *Image(int frame) const;
    int Pause(int frame) const;
};

class Sprite {
  public:
    int frame = 0;
    int animating = 0;
    int drawn = 0;
    float speed = 0.0f; // factor on every frame pause; also the ship's protection flag
    int lastFrameTick = 0;
    Vector2 pos;
    Vector2 oldPos;
    SpriteSet *set = nullptr;        // shared, not owned
    SDL_Surface *backSave = nullptr; // made from frame 0 by the first SaveBackground
    SDL_Surface *target = nullptr;   // not owned

    void Init(SpriteSet *newSet, SDL_Surface *newTarget);
    void Draw();
    // Blits the frame shown without advancing the animation.
    void DrawStill();

    void SetPos(float x, float y) { pos.Set(x, y); }
    void SetY(float y) { pos.y = y; }
    float GetX() const { return pos.x; }
    float GetY() const { return pos.y; }
    void MoveX(float dx) { pos.x += dx; }
    void MoveY(float dy) { pos.y += dy; }
    void SetFrame(int n) { frame = n; }
    void StartAnim() { animating = 1; }
    void StopAnim() { animating = 0; }
    void SetSpeed(float s) { speed = s; }
    float GetSpeed() const { return speed; }
    double GetWidth() const { return set != nullptr ? (double)set->w : 0.0; }
    double GetHeight() const { return set != nullptr ? (double)set->h : 0.0; }

    void SaveBackground();
    void RestoreBackground();

    // True when the sprite is bound to a set that has loaded a size, the
    // condition for taking part in collisions.
    bool HasSize() const { return set != nullptr && set->w > 0 && set->h > 0; }
};
