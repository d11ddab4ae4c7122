#pragma once
// The score table: the ten best games of each difficulty, each with the
// recording of the run that made it, kept in a folder of the player's own
// (by default $XDG_DATA_HOME/quarndel). The table is a plain-text file:
//
//   quarndel-scores 1
//   # difficulty rank score level time recording name
//   0 1 1240 2 2026-12-07T16:46:13Z game-20261207T164613Z-4242-1.qrp alice
//
// A table the game cannot read is moved aside, never overwritten; lines it
// cannot read in an otherwise good table are kept aside the same way. The
// table is replaced atomically under an advisory lock of the folder, so two
// games ending at once both keep their entries.
#include <cstdio>
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

// The folder the table lives in: dir when given, else $XDG_DATA_HOME/quarndel,
// else ~/.local/share/quarndel. Empty when none can be named.
std::string ScoresFolder(const char *dir);

// Makes the folder and its parents when missing.
void MakeScoresFolder(const std::string &folder);

// Reads a table from memory. Entries beyond ten per difficulty are dropped.
void ParseScores(const std::string &text, ScoreTable &table, ScoreReadResult &result);

// Reads the table in folder (a missing file is an empty table): a regular
// file of at most kMaxScoreFileBytes, else the result says it is unreadable.
void ReadScores(const std::string &folder, ScoreTable &table, ScoreReadResult &result);

// The table's text as it is written.
std::string FormatScores(const ScoreTable &table);

// Puts entry into its difficulty's table; returns its rank (1 to 10), or 0
// when it does not make the table. Entries pushed out go to dropped.
int InsertScore(ScoreTable &table, const ScoreEntry &entry, std::vector<ScoreEntry> &dropped);

// Enters a game that ended into the table in folder, under the folder's lock:
// reads the table (moving an unreadable one or its bad lines aside, with one
// warning each to err), and when the entry makes the table writes its
// recording (entry.recording names the file) and then the new table, both
// atomically. Recordings of entries pushed out are removed. Returns the rank
// taken, 0 when the entry does not make the table, -1 when the table could
// not be written (the warning went to err; the old table is untouched).
int EnterScore(const std::string &folder, const ScoreEntry &entry, const std::string &recording,
               FILE *err);

// --scores: prints the three tables to out, problems with the file to err.
// Returns 0.
int PrintScores(const std::string &folder, FILE *out, FILE *err);

// The difficulty's name as the title screen shows it.
const char *DifficultyName(int difficulty);

// The current time in UTC, "2026-12-07T16:46:13Z", or compact "20261207T164613Z".
std::string UtcTime(bool compact);
