#include <cstdio>

#include "level/level_info.h"
#include "sprites/data_file.h"
#include "sprites/sprite.h"

// String values are read with a width of 254 so that no value, whatever the
// line holds, can run past its 255-byte field.
const LevelKey kLevelKeys[kLevelKeyCount] = {
    {"LEVEL IMAGE: %254s", 1}, {"NEXT LEVEL: %254s", 1}, {"DISTANCE: %d", 1},
    {"BOSS: %254s", 1},        {"BOSS_HP: %d", 1},       {"SCENE: %254s", 1},
    {"SHIP: %254s", 1},        {"BULLET: %254s", 1},     {"ENEMY 1: %d %d %d", 3},
    {"ENEMY 2: %d %d %d", 3},  {"ENEMY 3: %d %d %d", 3},
};

int BoundedLevelValue(int value) {
    if (value > kMaxLevelValue) {
        return kMaxLevelValue;
    }
    return value < -kMaxLevelValue ? -kMaxLevelValue : value;
}

bool IsLevelCommentOrBlank(const char *line) {
    return line[0] == '\0' || line[0] == '#' || line[0] == '\r' || line[0] == '\n';
}

int ScanLevelKey(LevelInfo &info, int k, const char *line) {
    const char *format = kLevelKeys[k].format;
    int n = 0;
    switch (k) {
    case 0:
        n = sscanf(line, format, info.levelImage);
        break;
    case 1:
        n = sscanf(line, format, info.nextLevel);
        break;
    case 2:
        n = sscanf(line, format, &info.distance);
        break;
    case 3:
        n = sscanf(line, format, info.boss);
        break;
    case 4:
        n = sscanf(line, format, &info.bossHp);
        break;
    case 5:
        n = sscanf(line, format, info.scene);
        break;
    case 6:
        n = sscanf(line, format, info.ship);
        break;
    case 7:
        n = sscanf(line, format, info.bullet);
        break;
    default: {
        int type = k - 8; // ENEMY 1 .. ENEMY 3
        n = sscanf(line, format, &info.enemyParam[type], &info.enemyHp[type],
                   &info.enemySpeed[type]);
        break;
    }
    }
    return n < 0 ? 0 : n; // a line that ends before the first value stores nothing
}

void LevelInfo::Load(const char *dir) {
    // The file is opened before any field is written, so dir may be nextLevel.
    FILE *file = OpenDataFile(dir, "leveldata", "rb");
    if (file == nullptr) {
        return;
    }
    char line[kLineSize];
    // Line 1 is always the level-number line, whatever it holds.
    if (ReadTextLine(line, sizeof line, file) != nullptr) {
        sscanf(line, kLevelNumberFormat, &levelNumber);
        while (ReadTextLine(line, sizeof line, file) != nullptr) {
            if (IsLevelCommentOrBlank(line)) {
                continue;
            }
            for (int k = 0; k < kLevelKeyCount; ++k) {
                ScanLevelKey(*this, k, line);
            }
        }
    }
    fclose(file);
}
