#pragma once
// The description of the current level, read from the "leveldata" file of a
// level directory, and the set-up that loads what it names.
#include <cstdio>

// Size of each path field: 254 characters and the NUL.
constexpr int kLevelFieldSize = 255;

class LevelInfo {
  public:
    int levelNumber = 0;
    int distance = 0; // length in 640-pixel background screens
    char scene[kLevelFieldSize] = {};
    char nextLevel[kLevelFieldSize] = {}; // "none" for the last level
    char levelImage[kLevelFieldSize] = {};
    char boss[kLevelFieldSize] = {};
    int bossHp = 0;
    char ship[kLevelFieldSize] = {};
    char bullet[kLevelFieldSize] = {};
    int enemyParam[3] = {};
    int enemyHp[3] = {};
    int enemySpeed[3] = {};

    // Reads dir/leveldata over the record: only the keys found change their
    // fields. A file that cannot be opened prints the load-failure message and
    // leaves the record as it was. dir may be this record's own nextLevel.
    void Load(const char *dir);

    // Loads the pictures and sprite sets the record names and puts the ship,
    // shots, enemies and boss into their start-of-level state. Those objects
    // are the game's, so the set-up lives with them (game/level_setup.cpp).
    void Setup();
};

// The level values the rules add to (BOSS_HP, and the hit points and speed
// classes of the ENEMY lines) count within -kMaxLevelValue..kMaxLevelValue:
// a value beyond counts as the nearest bound. A million hit points already
// take hours of firing, and a speed class of a million crosses the screen in
// one frame; the bound keeps every sum the rules make (a random 0 or 1, the
// difficulty 0 to 2, the boss's 8) far inside an int and exact for every
// value an author writes.
constexpr int kMaxLevelValue = 1000000;
int BoundedLevelValue(int value);

// The level-number line, always line 1 of the file.
constexpr const char *kLevelNumberFormat = "LEVEL: %d";

// One key of the level file, in the order lines are tried against them.
struct LevelKey {
    const char *format; // the scan format: key text, then %s or %d values
    int values;         // how many values the key stores
};
constexpr int kLevelKeyCount = 11;
extern const LevelKey kLevelKeys[kLevelKeyCount];

// True for a line the level reader passes over: empty, or starting with '#',
// a carriage return or a line feed.
bool IsLevelCommentOrBlank(const char *line);

// Scans a line (after the first) against key k and stores what it yields into
// info. Returns the number of values stored: 0 when the line is not this key
// or its first value is missing.
int ScanLevelKey(LevelInfo &info, int k, const char *line);
