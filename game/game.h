#pragma once
// The game object with the run's flags, timers and title-screen assets, and
// every global object the rules work on.
#include <SDL.h>

#include "game/records.h"
#include "level/level_info.h"
#include "sprites/sprite.h"
#include "text/font.h"

struct FMUSIC_MODULE; // a loaded song, opened by the sound plugged into the seams
class FramePacer;

// Menu positions: the cursor's y on Start, Difficulty and Quit; its x stays.
constexpr float kCursorX = 70.0f;
constexpr float kMenuStartY = 318.0f;
constexpr float kMenuDifficultyY = 356.0f;
constexpr float kMenuQuitY = 390.0f;

class Game {
  public:
    unsigned char paused = 0;
    unsigned char quit = 0;
    unsigned char gameOver = 0;
    unsigned char showLevelImage = 0;
    unsigned char titleRunning = 0;
    float fps = 0.0f;          // frames counted in the last measuring window
    float scrollOffset = 0.0f; // 0 <= offset < 640
    float lastTicks = 0.0f;
    float nowTicks = 0.0f;
    float dt = 0.0f;    // elapsed ms * 0.1
    float clock = 0.0f; // game time in ms, frozen while paused
    float lastSpawnTime = 0.0f;
    float hitTime = 0.0f;
    float levelImageTime = 0.0f;
    Uint8 *keys = nullptr; // SDL's held-key array
    Sprite cursor;
    SpriteSet cursorSet;
    SDL_Surface *titleImage = nullptr;
    SDL_Surface *difficultyImage[3] = {};
    SDL_Event event = {};
    FMUSIC_MODULE *titleSong = nullptr;

    // Start-up: window, sound, start-up pictures, font, cursor. Ends the
    // process with status 1 when SDL or the video mode cannot start.
    void Init();
    void Blit(SDL_Surface *surface, int x, int y);
    void BlitPart(SDL_Surface *surface, int x, int y, int w, int h, int srcX, int srcY);

    // Title screen.
    void RunTitle();  // the whole title loop, tune included, paced
    void TitleStep(); // one iteration: all pending events, then one frame
    // RunTitle in parts, for a program whose loop is the browser's: the tune
    // starts, paced iterations while titleRunning is 1, the tune stops.
    void BeginTitle();
    void TitleIteration(FramePacer &pacer);
    void EndTitle();
    void HandleTitleEvent();
    void DrawTitle();

    // Play phase.
    void EnterPlay(); // loads and sets up the first level
    void RunPlay();   // the whole play loop, paced
    bool PlayStep();  // one iteration; true when it presented a frame
    // One iteration of RunPlay, with its wait or nap; RunPlay runs it while
    // quit is 0.
    void PlayIteration(FramePacer &pacer);
    void HandlePlayEvent();
    void RunningFrame(); // the rules of a running frame, then its drawing
    void RunRules();     // the rules of a running frame in their fixed order
    void UpdateFps();
    void NewGame();

    // Play screen.
    void DrawPlay();
    void ScrollBackground();
    // One frame of the current scene with the paused picture, drawn on
    // entering a pause: nothing scrolls, counts or animates.
    void DrawPausedFrame();

  private:
    void DrawScene(bool live);
    void DrawBackground(int offset);
};

// The frame-rate counter's own state, kept between frames.
extern float lastFpsTime;  // seconds
extern float frameCounter; // frames in the current window

extern SDL_Surface *screen;
extern BitmapFont *font;
extern LevelInfo level;
extern SDL_Surface *background;
extern SDL_Surface *levelImage;
extern SDL_Surface *pausedImage;
extern SDL_Surface *gameOverImage;
extern int difficulty; // 0..2, chosen on the title screen
extern PlayerShip ship;
extern ProjectilePool shots;
extern EnemyGroup enemies;
extern Boss boss;
extern Game game;
