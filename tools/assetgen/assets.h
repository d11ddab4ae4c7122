// The parts of the data tree, one function per kind of asset. Each writes
// its files below `out`, the folder that the game knows as "data".
#pragma once

#include <string>

// The levels, in play order; level n lives in out/level_n.
constexpr int kLevelCount = 3;
// The name each level's title picture shows under "Level n".
extern const char *const kLevelNames[kLevelCount];

// The player's ship as it flies (frame 0 of the ship set); the title
// screen shows it too.
struct Picture;
Picture ShipPicture();

void WriteBackgrounds(const std::string &out); // level_n/scene.bmp
void WriteTitle(const std::string &out);       // titlescreen.bmp, difficulty/, cursor/
void WriteOverlays(const std::string &out);    // paused.bmp, gameover.bmp, level_n/title.bmp
void WriteShip(const std::string &out);        // ship/, bullet/
void WriteEnemies(const std::string &out);     // enemy/
void WriteBosses(const std::string &out);      // level_n/boss/
void WriteFont(const std::string &out);        // font/
void WriteMusic(const std::string &out);       // music/title_screen.mid
void WriteSounds(const std::string &out);      // sounds/*.wav, the effects
void WriteLevels(const std::string &out);      // level_n/leveldata
void WriteLicense(const std::string &out);     // LICENSE
// The application icon, outside the data tree: out/NxN/quarndel.png for the
// icon theme's sizes.
void WriteIcons(const std::string &out);
