#include "check/level_keys.h"

#include <cstdio>
#include <cstring>

#include "check/report.h"

namespace {

// The conversion letter of a format's first conversion: 's' or 'd'.
char FirstConversion(const char *format) {
    const char *c = strchr(format, '%');
    if (c == nullptr) {
        return '\0';
    }
    ++c;
    while (*c >= '0' && *c <= '9') {
        ++c;
    }
    return *c;
}

} // namespace

std::string KeyName(int k) {
    const char *format = kLevelKeys[k].format;
    return std::string(format, strcspn(format, ":"));
}

bool IsWordKey(int k) {
    return FirstConversion(kLevelKeys[k].format) == 's';
}

std::string FieldName(int k, int field) {
    if (kLevelKeys[k].values == 1) {
        return KeyName(k);
    }
    static const char *const kEnemyFields[3] = {"first (unused) number", "hit points",
                                                "speed class"};
    return kEnemyFields[field];
}

const char *WordField(const LevelInfo &info, int k) {
    switch (k) {
    case kKeyLevelImage:
        return info.levelImage;
    case kKeyNextLevel:
        return info.nextLevel;
    case kKeyBoss:
        return info.boss;
    case kKeyScene:
        return info.scene;
    case kKeyShip:
        return info.ship;
    case kKeyBullet:
        return info.bullet;
    default:
        return nullptr;
    }
}

std::string FieldValue(const LevelInfo &info, int k, int field) {
    const char *word = WordField(info, k);
    if (word != nullptr) {
        return word[0] == '\0' ? std::string("empty") : Quoted(word);
    }
    if (k == kKeyDistance) {
        return std::to_string(info.distance);
    }
    if (k == kKeyBossHp) {
        return std::to_string(info.bossHp);
    }
    const int *fields[3] = {info.enemyParam, info.enemyHp, info.enemySpeed};
    return std::to_string(fields[field][k - kKeyEnemy1]);
}

int LiteralEnd(const char *format, const char *line) {
    std::string literal(format, strcspn(format, "%"));
    literal += "%n";
    int end = -1;
    sscanf(line, literal.c_str(), &end);
    return end;
}

int ValuesEnd(int k, const char *line) {
    std::string format = std::string(kLevelKeys[k].format) + "%n";
    char word[kLevelFieldSize];
    int numbers[3] = {};
    int end = -1;
    if (IsWordKey(k)) {
        sscanf(line, format.c_str(), word, &end);
    } else if (kLevelKeys[k].values == 1) {
        sscanf(line, format.c_str(), &numbers[0], &end);
    } else {
        sscanf(line, format.c_str(), &numbers[0], &numbers[1], &numbers[2], &end);
    }
    return end;
}
