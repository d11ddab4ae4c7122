#pragma once
// Helpers shared by the tests: a dummy-video screen, temporary data trees
// written by the test itself, pixel read-back, and a clean slate of globals.
#include <SDL.h>

#include <cstdio>
#include <string>

// Opens SDL with the dummy video driver and a 640x480x32 software screen, and
// stores it in the global `screen`.
void OpenTestScreen();

// A fresh temporary folder, removed with everything in it when destroyed.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &Path() const { return path; }
    std::string operator/(const std::string &name) const { return path + "/" + name; }

  private:
    std::string path;
};

// Makes the folder and its parents.
void MakeDirs(const std::string &path);
void WriteFile(const std::string &path, const std::string &contents);

// Writes a w x h 24-bit BMP filled with one colour.
void WriteBmp(const std::string &path, int w, int h, Uint8 r, Uint8 g, Uint8 b);

// Writes a 16-bit mono WAV at 22050 Hz: a square wave of `ms` milliseconds.
void WriteWav(const std::string &path, int ms);

// Writes a 640x480 BMP whose every column has its own colour (ColumnColour).
void WriteStripedBackground(const std::string &path);
Uint32 ColumnColour(int column); // 0xRRGGBB

// Writes a sprite set folder: an "info" file listing `frames` frames of w x h,
// frame i filled with colour (40 + i, 80, 120), black keyed.
void WriteSpriteSet(const std::string &dir, int frames, int w, int h, int pause = 100);

// Reads a pixel of a surface as 0xRRGGBB.
Uint32 PixelAt(SDL_Surface *surface, int x, int y);

// Everything in an open file, from its start.
std::string ReadBack(FILE *file);

// Runs a shell command, returns its exit status and captures its output.
int RunCommand(const std::string &command, std::string *output);

// Writes a level file whose lines are given.
void WriteLevel(const std::string &dir, const std::string &contents);

// Resets every game global to its state before start-up, keeping `screen`.
void ResetGlobals();

// Releases every key in SDL's held-key array and drops queued events, so keys
// held or events pushed by one test never reach the next in the same process.
void ResetSdlInput();

// Changes the working directory for the lifetime of the object.
class WorkingDir {
  public:
    explicit WorkingDir(const std::string &dir);
    ~WorkingDir();

  private:
    std::string previous;
};

// Writes a small complete data tree under root/data: two levels (level_1 with
// DISTANCE 1, BOSS_HP 2, next level_2; level_2 the last), ship 72x52 (2
// frames), bullet 16x6 (2 frames), enemy 48x48 (2 frames), boss 200x200
// (2 frames), cursor 32x32 (2 frames), a striped background per level, the
// start-up pictures, a font and every sound effect (short square waves).
void WriteTestDataTree(const std::string &root);

// Writes a font folder: sheet side 256, coverage full everywhere, widths 8.
void WriteTestFont(const std::string &dir);

// Queues a key press (SDL_KEYDOWN) or a window close (SDL_QUIT).
void PushKey(SDLKey key);
void PushQuit();
// Queues a key press with modifiers held, as the keyboard reports it.
void PushKeyWith(SDLKey key, SDLMod mod);

// Queue events of joystick 0: a stick axis moved to value, the hat moved to
// a combination of SDL_HAT_* bits, a button pressed or released.
void PushAxis(Uint8 axis, Sint16 value);
void PushHat(Uint8 value);
void PushButton(Uint8 button, bool pressed);
