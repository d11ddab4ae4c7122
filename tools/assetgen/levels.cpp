// The level description files, level_n/leveldata.
//
// Pace: the game draws 60 frames a second and the background scrolls one
// pixel a frame, so a DISTANCE of n screens brings the boss after at most
// n * 640 frames, about n * 10.7 seconds. An enemy of speed class s flies
// (s + 1) * 50 pixels a second, where s and its hit points are the level's
// base plus 0 or 1 at random plus the difficulty (0 Easy .. 2 Hard); one
// spawns every 750 ms of play, ten at most at once. A boss has BOSS_HP + 8 +
// difficulty hit points.
//
// Level 1 is gentle enough for a first game on Easy: one-shot wave flyers,
// slow darts, an 18-hit boss after about a minute. Each later level is
// longer and its enemies and boss are tougher and faster.
#include "assets.h"
#include "draw.h"
#include "output.h"

const char *const kLevelNames[kLevelCount] = {"Azure Drift", "Ember Reach", "Violet Deep"};

namespace {

struct EnemyLine {
    int unused, hp, speed;
};

struct Tuning {
    int distance;
    int bossHp;
    EnemyLine wave, straight, spare;
};

const Tuning kTuning[kLevelCount] = {
    {6, 10, {0, 0, 0}, {0, 1, 0}, {0, 1, 1}},
    {7, 20, {0, 1, 0}, {0, 1, 1}, {0, 2, 1}},
    {8, 30, {0, 1, 1}, {0, 2, 1}, {0, 2, 2}},
};

std::string Enemy(int n, const EnemyLine &e) {
    return "ENEMY " + std::to_string(n) + ": " + std::to_string(e.unused) + " " +
           std::to_string(e.hp) + " " + std::to_string(e.speed) + "\n";
}

std::string LevelFile(int number) {
    const Tuning &t = kTuning[number - 1];
    std::string dir = "data/level_" + std::to_string(number);
    std::string next = number < kLevelCount ? "data/level_" + std::to_string(number + 1) : "none";
    std::string s = "LEVEL: " + std::to_string(number) + "\n";
    s += "# Level " + std::to_string(number) + ", \"" + kLevelNames[number - 1] + "\".\n";
    s += "# The first line must stay \"LEVEL: n\": the number the play screen shows.\n"
         "# Lines that begin with # are comments. Keys start at the beginning of a line.\n"
         "# Paths are relative to the folder the game runs in; they cannot hold blanks.\n"
         "\n"
         "# LEVEL IMAGE: picture shown at (200, 100) when the level begins; black is clear.\n";
    s += "LEVEL IMAGE: " + dir + "/title.bmp\n";
    s += "# NEXT LEVEL: folder of the level that follows this one's boss; none after the last.\n";
    s += "NEXT LEVEL: " + next + "\n";
    s += "# DISTANCE: screens of 640 pixels to fly before the boss comes; one screen takes\n"
         "# about 10.7 seconds.\n";
    s += "DISTANCE: " + std::to_string(t.distance) + "\n";
    s += "# BOSS: folder of the boss's sprite set; the boss stands at (420, 110).\n";
    s += "BOSS: " + dir + "/boss\n";
    s += "# BOSS_HP: the boss's hit points; the game adds 8 and the difficulty (0 to 2).\n";
    s += "BOSS_HP: " + std::to_string(t.bossHp) + "\n";
    s += "# SCENE: the 640x480 background; it scrolls left and wraps around.\n";
    s += "SCENE: " + dir + "/scene.bmp\n";
    s += "# SHIP: folder of the player's ship; frame 0 in play, all frames blink after a hit.\n";
    s += "SHIP: data/ship\n";
    s += "# BULLET: folder of the shots; frame 0 the player's, frame 1 the hostile one.\n";
    s += "BULLET: data/bullet\n";
    s += "# ENEMY n: three numbers: unused (0), hit points, speed class. Each enemy adds 0 or 1\n"
         "# at random and the difficulty to both; speed class s flies (s + 1) * 50 pixels a\n"
         "# second. ENEMY 1 flies a wave, ENEMY 2 flies straight; ENEMY 3 is not sent in.\n";
    s += Enemy(1, t.wave) + Enemy(2, t.straight) + Enemy(3, t.spare);
    return s;
}

} // namespace

void WriteLevels(const std::string &out) {
    for (int n = 1; n <= kLevelCount; n++) {
        std::string dir = out + "/level_" + std::to_string(n);
        MakeDirs(dir);
        WriteFile(dir + "/leveldata", LevelFile(n));
    }
}
