#pragma once
// The level file's keys in words, for the checker's messages, and where the
// game's scan of a line stops. Everything is derived from the game's own key
// table kLevelKeys, so the checker and the game share one list of keys.
#include <string>

#include "level/level_info.h"

// Index of the LEVEL IMAGE, NEXT LEVEL, ... keys in kLevelKeys.
enum LevelKeyIndex {
    kKeyLevelImage = 0,
    kKeyNextLevel = 1,
    kKeyDistance = 2,
    kKeyBoss = 3,
    kKeyBossHp = 4,
    kKeyScene = 5,
    kKeyShip = 6,
    kKeyBullet = 7,
    kKeyEnemy1 = 8,
};

// "LEVEL IMAGE", "ENEMY 1": the key as the author writes it, without colon.
std::string KeyName(int k);

// True for a key whose value is one word (a path), false for numbers.
bool IsWordKey(int k);

// The meaning of value `field` of key k: "hit points" for the second number
// of an ENEMY line, the key's name for one-value keys.
std::string FieldName(int k, int field);

// The record's text for a one-word key (a path), null for a number key.
const char *WordField(const LevelInfo &info, int k);

// The value the record holds for value `field` of key k, as messages show
// it: a quoted path, "empty", or a number.
std::string FieldValue(const LevelInfo &info, int k, int field);

// How far the literal text of a scan format (everything before its first
// conversion) matches the start of line, by the game's sscanf rules: the
// offset where the values would begin, or -1 when the line is not that key.
int LiteralEnd(const char *format, const char *line);

// The offset where the game's scan of key k stops after its last value, or
// -1 when the line does not give all of the key's values.
int ValuesEnd(int k, const char *line);
