#pragma once
// The score table's file format: the ten best games of each difficulty as
// plain-text lines, each naming the recording of the run that made it:
//
//   quarndel-scores 1
//   # difficulty rank score level time recording name
//   0 1 1240 2 2026-12-07T16:46:13Z game-20261207T164613Z-4242-1.qrp alice
//   0 1 900 1 2026-12-08T10:02:55Z game-20261208T100255Z-77-1.qrp levels=my_set bob
//
// An entry of an installed level set names the set before the name; each
// set has ten places per difficulty of its own, ranked among its entries.
//
// Reading it, writing it and putting a new entry in its place; where the
// table lives and how it is replaced is files/scores.h.
#include <string>
#include <vector>

constexpr int kScoreTableVersion = 1;
constexpr const char *kScoreTableMagic = "quarndel-scores";
constexpr int kScoreDifficulties = 3;
constexpr int kScoresPerTable = 10;
// Bounds on what is read: a full table is about 3 KiB.
constexpr long kMaxScoreFileBytes = 64 * 1024;
constexpr size_t kMaxScoreLine = 512;
constexpr size_t kMaxScoreLines = 1000;
// The longest name, with its control characters escaped (4 characters each),
// so that every entry line written reads back within kMaxScoreLine.
constexpr size_t kMaxScoreName = 256;

struct ScoreEntry {
    int difficulty = 0;
    int score = 0;
    int level = 0;
    std::string when;      // UTC, "2026-12-07T16:46:13Z"
    std::string recording; // a file name in the table's folder
    std::string name;      // the login name, control characters escaped
    std::string levels;    // the installed level set played; empty: the shipped levels
};

struct ScoreTable {
    std::vector<ScoreEntry> entries[kScoreDifficulties]; // best first
};

// A line of a readable table that was left out, with why.
struct ScoreBadLine {
    size_t number = 0;
    std::string text;
    std::string why;
};

struct ScoreReadResult {
    bool unreadable = false; // the whole file: moved aside when the table is written
    std::string why;
    std::vector<ScoreBadLine> badLines;
};

// The name of a recording the table keeps, as the game makes them:
// game-<compact UTC time>-<process id>-<the run's count of entries>.qrp.
std::string ScoreRecordingName(const std::string &compactTime, long pid, int entered);

// Whether name has that shape: nothing else (the table file itself, a path,
// another program's file) can be named by an entry, removed or replayed.
bool IsScoreRecordingName(const std::string &name);

// Whether an entry of the table names recording.
bool NamesRecording(const ScoreTable &table, const std::string &recording);

// Reads a table from memory. Entries beyond ten per difficulty are dropped;
// a line naming a recording an earlier line names is a bad line.
void ParseScores(const std::string &text, ScoreTable &table, ScoreReadResult &result);

// The table's text as it is written.
std::string FormatScores(const ScoreTable &table);

// Puts entry into its difficulty's table among its level set's entries; returns its rank (1 to 10),
// or 0 when it does not make the table. Entries pushed out go to dropped.
int InsertScore(ScoreTable &table, const ScoreEntry &entry, std::vector<ScoreEntry> &dropped);
