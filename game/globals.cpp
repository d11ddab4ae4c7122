#include "game/game.h"

SDL_Surface *screen = nullptr;
BitmapFont *font = nullptr;
LevelInfo level;
SDL_Surface *background = nullptr;
SDL_Surface *levelImage = nullptr;
SDL_Surface *pausedImage = nullptr;
SDL_Surface *gameOverImage = nullptr;
int difficulty = 0;
PlayerShip ship;
ProjectilePool shots;
EnemyGroup enemies;
Boss boss;
Game game;

float lastFpsTime = 0.0f;
float frameCounter = 0.0f;
