#pragma once
// The score table in its folder (by default $XDG_DATA_HOME/quarndel), each
// entry with the recording of the run that made it. A table the game cannot
// read is moved aside, never overwritten; lines it cannot read in an
// otherwise good table are kept aside the same way. The table is replaced
// atomically under the folder's lock, so two games ending at once both keep
// their entries. The file's format is files/score_table.h.
#include <cstdio>
#include <string>

#include "files/player_files.h"
#include "files/score_table.h"

// The folder the table lives in: dir when given, else $XDG_DATA_HOME/quarndel,
// else ~/.local/share/quarndel. Empty when none can be named.
std::string ScoresFolder(const char *dir);

// Reads the table in folder (a missing file is an empty table): a regular
// file of at most kMaxScoreFileBytes, else the result says it is unreadable.
void ReadScores(const std::string &folder, ScoreTable &table, ScoreReadResult &result);

// What TryEnterScore returns while another game holds the folder's lock.
constexpr int kScoreTryAgain = -2;

// Enters a game that ended into the table in folder, under the folder's lock:
// reads the table (moving an unreadable one or its bad lines aside, with one
// warning each to err), and when the entry makes the table writes its
// recording (entry.recording names the file, named as IsScoreRecordingName
// says) and then the new table, both atomically. Recordings of entries pushed
// out are removed unless a kept entry still names them. Returns the rank
// taken, 0 when the entry does not make the table, -1 when the table could
// not be written (the warning went to err; the old table is untouched).
// Waits for another game holding the lock: for tools and tests.
int EnterScore(const std::string &folder, const ScoreEntry &entry, const std::string &recording,
               FILE *err);

// EnterScore without waiting, for the game's loop: kScoreTryAgain, with
// nothing read, written or said, when another game holds the lock.
int TryEnterScore(const std::string &folder, const ScoreEntry &entry, const std::string &recording,
                  FILE *err);

// Reads the recording an entry names, only when it is a regular file of the
// folder itself: a symbolic link, a FIFO or a name not the game's own is
// refused with why, so a replay never reads from outside the folder.
PlayerRead ReadScoreRecording(const std::string &folder, const std::string &recording,
                              std::string &text, std::string &why);

// --scores: prints the three tables to out, problems with the file to err.
// Returns 0.
int PrintScores(const std::string &folder, FILE *out, FILE *err);

// The difficulty's name as the title screen shows it.
const char *DifficultyName(int difficulty);

// The current time in UTC, "2026-12-07T16:46:13Z", or compact "20261207T164613Z".
std::string UtcTime(bool compact);
