#include "check/level_file.h"

#include <cctype>
#include <cstring>

#include "check/level_keys.h"
#include "check/piece_reader.h"
#include "sprites/data_file.h"
#include "sprites/sprite.h"

namespace {

// Stands for the LEVEL key, which the game only reads on line 1.
constexpr int kLevelNumberKey = kLevelKeyCount;

struct LevelFileReading {
    std::string path;
    LevelInfo &record;
    bool firstLevel;
    Report &report;
    LevelFileCheck &check;
};

// Where a value that a line leaves alone comes from.
std::string Origin(const LevelFileReading &r, int k, int field) {
    int line = r.check.valueLine[k][field];
    if (line > 0) {
        return "set on line " + std::to_string(line);
    }
    return r.firstLevel ? "the game's starting value" : "the previous level's value";
}

// The key whose text starts line by the game's scan rules, kLevelNumberKey for
// LEVEL, or -1 for none.
int KeyAtStart(const std::string &line) {
    for (int k = 0; k < kLevelKeyCount; ++k) {
        if (LiteralEnd(kLevelKeys[k].format, line.c_str()) >= 0) {
            return k;
        }
    }
    return LiteralEnd(kLevelNumberFormat, line.c_str()) >= 0 ? kLevelNumberKey : -1;
}

std::string InCapitals(std::string s) {
    for (char &c : s) {
        c = (char)toupper((unsigned char)c);
    }
    return s;
}

std::string WithoutBlankBeforeColon(std::string s) {
    size_t colon = s.find(':');
    if (colon == std::string::npos) {
        return s;
    }
    size_t start = colon;
    while (start > 0 && (s[start - 1] == ' ' || s[start - 1] == '\t')) {
        --start;
    }
    return s.erase(start, colon - start);
}

// The key's name as the author writes it, without colon; LEVEL for the level
// number.
std::string NameOfKey(int k) {
    return k < kLevelKeyCount ? KeyName(k)
                              : std::string(kLevelNumberFormat, strcspn(kLevelNumberFormat, ":"));
}

// The line with the colon put back after the key it starts with, where a
// blank follows the key instead: "DISTANCE 3" as "DISTANCE: 3". The longest
// key wins, so "BOSS_HP 3" is not read as a BOSS line.
std::string WithColonAfterKey(std::string s) {
    size_t longest = 0;
    for (int k = 0; k <= kLevelNumberKey; ++k) {
        std::string name = NameOfKey(k);
        if (name.size() > longest && s.size() > name.size() &&
            s.compare(0, name.size(), name) == 0 &&
            (s[name.size()] == ' ' || s[name.size()] == '\t')) {
            longest = name.size();
        }
    }
    return longest > 0 ? s.insert(longest, ":") : s;
}

// Text after position `end` of line, without the blanks around it: every
// blank the level reader's scanning skips, not only spaces and tabs.
std::string Trimmed(const char *line, int end) {
    std::string rest = line + end;
    size_t first = rest.find_first_not_of(" \t\v\f\r\n");
    if (first == std::string::npos) {
        return "";
    }
    size_t last = rest.find_last_not_of(" \t\v\f\r\n");
    return rest.substr(first, last - first + 1);
}

// The first word of a line the game does not know, up to its colon.
std::string LeadingWord(const std::string &text) {
    size_t end = text.find_first_of(" \t\r\n:");
    if (end != std::string::npos && text[end] == ':') {
        ++end;
    }
    return text.substr(0, end == std::string::npos ? text.size() : end).substr(0, 40);
}

void CheckFirstLine(LevelFileReading &r, const LinePiece &piece) {
    int before = r.record.levelNumber;
    if (sscanf(piece.text, kLevelNumberFormat, &r.record.levelNumber) == 1) {
        std::string format = std::string(kLevelNumberFormat) + "%n";
        int number = 0;
        int end = -1;
        sscanf(piece.text, format.c_str(), &number, &end);
        std::string rest = end >= 0 ? Trimmed(piece.text, end) : "";
        if (!rest.empty()) {
            r.report.Warning(r.path, piece.line,
                             "the game reads the level number as " + std::to_string(number) +
                                 " and ignores " + Quoted(rest) + " after it");
        }
        return;
    }
    std::string message = "the first line must be \"LEVEL: n\": the game reads the level number "
                          "from line 1 only, so it stays " +
                          std::to_string(before);
    int k = KeyAtStart(piece.text);
    if (k >= 0 && k < kLevelKeyCount) {
        message += ", and it never reads this " + KeyName(k) + " line";
    }
    r.report.Warning(r.path, piece.line, message);
}

// A line that set nothing: says what the author probably meant and why the
// game passes it over. Lines of blanks only mean nothing and pass silently.
void ReportIgnoredLine(LevelFileReading &r, const LinePiece &piece) {
    std::string line = piece.text;
    int k = KeyAtStart(line);
    if (k == kLevelNumberKey) {
        r.report.Warning(r.path, piece.line,
                         "the game reads the level number from line 1 only and ignores LEVEL "
                         "lines after it");
        return;
    }
    if (k >= 0) {
        r.report.Warning(r.path, piece.line,
                         KeyName(k) + " has no " + (IsWordKey(k) ? "value" : "number") +
                             " the game can read, so this line does not set it");
        return;
    }
    size_t start = line.find_first_not_of(" \t\v\f\r\n");
    if (start == std::string::npos) {
        return;
    }
    std::string rest = line.substr(start);
    std::string reasons = start > 0 ? "it starts with a blank or tab" : "";
    // The fewest changes that would make the line a key line name its faults:
    // a blank taken from before the colon, the key in capitals, a colon put
    // after the key.
    const bool kChanges[6][3] = {{false, false, false}, {true, false, false}, {false, true, false},
                                 {false, false, true},  {true, true, false},  {false, true, true}};
    for (const auto &change : kChanges) {
        std::string attempt = change[1] ? InCapitals(rest) : rest;
        attempt = change[0] ? WithoutBlankBeforeColon(attempt) : attempt;
        attempt = change[2] ? WithColonAfterKey(attempt) : attempt;
        k = KeyAtStart(attempt);
        if (k < 0) {
            continue;
        }
        const std::string faults[3] = {"a blank stands before the colon",
                                       "its key is not in capitals",
                                       "the colon after " + NameOfKey(k) + " is missing"};
        for (int i = 0; i < 3; ++i) {
            if (change[i]) {
                reasons += reasons.empty() ? "" : ", ";
                reasons += faults[i];
            }
        }
        break;
    }
    if (k < 0) {
        r.report.Warning(r.path, piece.line,
                         "the game knows no key " + Quoted(LeadingWord(rest)) +
                             " and ignores this line");
        return;
    }
    std::string effect = k == kLevelNumberKey ? " (and it reads LEVEL on line 1 only)"
                                              : ", so it does not set " + KeyName(k);
    r.report.Warning(r.path, piece.line, "the game ignores this line: " + reasons + effect);
}

void ReportKeyLine(LevelFileReading &r, const LinePiece &piece, int k, int stored) {
    int previous = r.check.valueLine[k][0];
    if (previous > 0) {
        r.report.Warning(r.path, piece.line,
                         KeyName(k) + " is set again: the value from line " +
                             std::to_string(previous) + " is replaced");
    }
    int values = kLevelKeys[k].values;
    if (stored < values) {
        std::string kept;
        for (int f = stored; f < values; ++f) {
            kept += kept.empty() ? "" : "; ";
            kept += "the " + FieldName(k, f) + " keeps " + FieldValue(r.record, k, f) + " (" +
                    Origin(r, k, f) + ")";
        }
        r.report.Warning(r.path, piece.line,
                         KeyName(k) + " gives " + std::to_string(stored) + " of its " +
                             std::to_string(values) + " numbers: " + kept);
    } else {
        int end = ValuesEnd(k, piece.text);
        std::string rest = end >= 0 ? Trimmed(piece.text, end) : "";
        if (!rest.empty()) {
            std::string read;
            for (int f = 0; f < values; ++f) {
                read += (f > 0 ? " " : "") + FieldValue(r.record, k, f);
            }
            std::string cut = IsWordKey(k) ? "the value stops at the first blank: " : "";
            r.report.Warning(r.path, piece.line,
                             cut + "the game reads " + KeyName(k) + " as " + read +
                                 " and ignores " + Quoted(rest));
        }
    }
    for (int f = 0; f < stored; ++f) {
        r.check.valueLine[k][f] = piece.line;
    }
}

// A piece from column 255 on of a long line, which the game reads as a
// line of its own.
void ReportTail(LevelFileReading &r, const LinePiece &piece, int k, int stored) {
    std::string effect = ", which it ignores";
    if (IsLevelCommentOrBlank(piece.text)) {
        effect = ", which it skips";
    } else if (k >= 0) {
        effect = ", which sets " + KeyName(k);
        for (int f = 0; f < stored; ++f) {
            r.check.valueLine[k][f] = piece.line;
        }
    }
    r.report.Warning(r.path, piece.line, TailPieceMessage(piece) + effect);
}

bool SameRecord(const LevelInfo &a, const LevelInfo &b) {
    bool same = a.levelNumber == b.levelNumber && a.distance == b.distance &&
                a.bossHp == b.bossHp && strcmp(a.scene, b.scene) == 0 &&
                strcmp(a.nextLevel, b.nextLevel) == 0 && strcmp(a.levelImage, b.levelImage) == 0 &&
                strcmp(a.boss, b.boss) == 0 && strcmp(a.ship, b.ship) == 0 &&
                strcmp(a.bullet, b.bullet) == 0;
    for (int i = 0; i < 3; ++i) {
        same = same && a.enemyParam[i] == b.enemyParam[i] && a.enemyHp[i] == b.enemyHp[i] &&
               a.enemySpeed[i] == b.enemySpeed[i];
    }
    return same;
}

} // namespace

std::string LevelFilePath(const std::string &dir) {
    std::string path = dir + "/leveldata";
    return path.size() < (size_t)kPathSize ? path : std::string();
}

LevelFileCheck CheckLevelFile(const std::string &dir, LevelInfo &record, bool firstLevel,
                              Report &report) {
    LevelFileCheck check;
    std::string path = LevelFilePath(dir);
    PieceReader reader;
    if (path.empty() || !reader.Open(path, "rb")) {
        return check;
    }
    check.opened = true;
    const LevelInfo before = record;
    LevelFileReading r{path, record, firstLevel, report, check};

    LinePiece piece;
    if (!reader.Next(piece)) {
        report.Warning(path, 0, "the file is empty: the game changes nothing");
    } else {
        // Line 1 is always the level-number line, whatever it holds.
        CheckFirstLine(r, piece);
    }
    while (reader.Next(piece)) {
        bool tail = piece.column > 1;
        if (tail && IsOnlyLineEnd(piece.text)) {
            continue;
        }
        if (IsLevelCommentOrBlank(piece.text)) {
            if (tail) {
                ReportTail(r, piece, -1, 0);
            }
            continue;
        }
        int matched = -1;
        int stored = 0;
        for (int k = 0; k < kLevelKeyCount; ++k) {
            int n = ScanLevelKey(record, k, piece.text);
            if (n > 0) {
                matched = k;
                stored = n;
            }
        }
        if (tail) {
            ReportTail(r, piece, matched, stored);
        } else if (matched < 0) {
            ReportIgnoredLine(r, piece);
        } else {
            ReportKeyLine(r, piece, matched, stored);
        }
    }

    // The game's own reader must end with the same record; if it does not,
    // the game's values win and the author hears about the disagreement.
    LevelInfo game = before;
    game.Load(dir.c_str());
    if (!SameRecord(game, record)) {
        report.Error(path, 0,
                     "quarndel-check read this file differently from the game; the "
                     "messages about it may be wrong");
        record = game;
    }
    return check;
}
