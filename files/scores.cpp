#include "files/scores.h"

#include <map>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <map>

#include "replay/replay_file.h"
#include "strings/text.h"

namespace {

constexpr const char *kTableFile = "scores";

std::string Join(const std::string &folder, const std::string &name) {
    return folder + "/" + name;
}

// A name beside the table no other file has: scores.unreadable-<UTC time>,
// with a number after it when that is taken.
std::string AsideName(const std::string &folder) {
    std::string base = Join(folder, std::string(kTableFile) + ".unreadable-" + UtcTime(true));
    std::string name = base;
    struct stat st;
    for (int n = 2; lstat(name.c_str(), &st) == 0 && n < 100; ++n) {
        name = base + "." + std::to_string(n);
    }
    return name;
}

// Moves an unreadable table aside and keeps the bad lines of a readable one
// aside, each with one warning. False when the unreadable table could not be
// moved: it must not be replaced then.
bool SetAside(const std::string &folder, const ScoreReadResult &result, FILE *err) {
    std::string table = Join(folder, kTableFile);
    if (result.unreadable) {
        std::string aside = AsideName(folder);
        if (renameForAtomicWrite(table.c_str(), aside.c_str()) != 0) {
            fprintf(err, "quarndel: %s: cannot read the score table (%s) nor move it aside: %s\n",
                    Printable(table).c_str(), result.why.c_str(), strerror(errno));
            return false;
        }
        fprintf(err, "quarndel: %s: cannot read the score table (%s); moved aside to %s\n",
                Printable(table).c_str(), result.why.c_str(), Printable(aside).c_str());
        return true;
    }
    if (result.badLines.empty()) {
        return true;
    }
    std::string aside = AsideName(folder);
    std::string kept;
    for (const ScoreBadLine &bad : result.badLines) {
        fprintf(err, "quarndel: %s:%zu: %s; the line is kept in %s\n", Printable(table).c_str(),
                bad.number, bad.why.c_str(), Printable(aside).c_str());
        kept += bad.text + "\n";
    }
    return WriteFileAtomically(aside, kept, err);
}

void Warn(FILE *err, const std::string &folder, const ScoreReadResult &result) {
    std::string table = Join(folder, kTableFile);
    if (result.unreadable) {
        fprintf(err, "quarndel: %s: cannot read the score table: %s\n", Printable(table).c_str(),
                result.why.c_str());
    }
    for (const ScoreBadLine &bad : result.badLines) {
        fprintf(err, "quarndel: %s:%zu: %s\n", Printable(table).c_str(), bad.number,
                bad.why.c_str());
    }
}

// Reads, merges and writes under the lock already held.
int EnterLocked(const std::string &folder, const ScoreEntry &entry, const std::string &recording,
                FILE *err) {
    std::string table = Join(folder, kTableFile);
    ScoreTable scores;
    ScoreReadResult read;
    ReadScores(folder, scores, read);
    if (!SetAside(folder, read, err)) {
        return -1;
    }
    if (!IsScoreRecordingName(entry.recording) || NamesRecording(scores, entry.recording)) {
        fprintf(err, "quarndel: %s: the recording name %s is not free; the score is not saved\n",
                Printable(folder).c_str(), Printable(entry.recording).c_str());
        return -1;
    }
    std::vector<ScoreEntry> dropped;
    int rank = InsertScore(scores, entry, dropped);
    // The recording is whole on the disk before the table names it. A table
    // whose bad lines went aside is rewritten without them even when the game
    // does not make it, so they go aside only once.
    std::string recordingPath = Join(folder, entry.recording);
    bool saved = rank <= 0 || WriteFileAtomically(recordingPath, recording, err, Links::kRefuse);
    if (saved && (rank > 0 || !read.badLines.empty())) {
        saved = WriteFileAtomically(table, FormatScores(scores), err);
    }
    if (!saved) {
        if (rank > 0) {
            unlink(recordingPath.c_str());
        }
        return -1;
    }
    // A recording pushed out goes only when no entry kept still names it.
    for (const ScoreEntry &gone : dropped) {
        if (rank > 0 && IsScoreRecordingName(gone.recording) &&
            !NamesRecording(scores, gone.recording)) {
            unlink(Join(folder, gone.recording).c_str());
        }
    }
    return rank;
}

int Enter(const std::string &folder, const ScoreEntry &entry, const std::string &recording,
          FILE *err, bool wait) {
    MakeFolders(folder);
    FolderLock lock;
    LockTaken taken = wait ? LockFolder(folder, lock) : TryLockFolder(folder, lock);
    if (taken == LockTaken::kBusy) {
        return kScoreTryAgain;
    }
    if (taken != LockTaken::kLocked) {
        fprintf(err, "quarndel: %s: cannot lock the score folder: %s; the score is not saved\n",
                Printable(folder).c_str(), strerror(errno));
        return -1;
    }
    int rank = EnterLocked(folder, entry, recording, err);
    UnlockFolder(lock);
    return rank;
}

} // namespace

std::string ScoresFolder(const char *dir) {
    if (dir != nullptr) {
        return dir;
    }
    return PlayerFolder("XDG_DATA_HOME", ".local/share");
}

const char *DifficultyName(int difficulty) {
    static const char *const names[kScoreDifficulties] = {"Easy", "Normal", "Hard"};
    return difficulty >= 0 && difficulty < kScoreDifficulties ? names[difficulty] : "?";
}

std::string UtcTime(bool compact) {
    time_t now = time(nullptr);
    struct tm utc;
    gmtime_r(&now, &utc);
    char text[32];
    strftime(text, sizeof text, compact ? "%Y%m%dT%H%M%SZ" : "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

void ReadScores(const std::string &folder, ScoreTable &table, ScoreReadResult &result) {
    table = ScoreTable();
    result = ScoreReadResult();
    std::string text;
    PlayerRead read = ReadPlayerFile(Join(folder, kTableFile), kMaxScoreFileBytes, Links::kFollow,
                                     text, result.why);
    if (read != PlayerRead::kRead) {
        result.unreadable = read == PlayerRead::kFailed;
        return;
    }
    ParseScores(text, table, result);
}

int EnterScore(const std::string &folder, const ScoreEntry &entry, const std::string &recording,
               FILE *err) {
    return Enter(folder, entry, recording, err, true);
}

int TryEnterScore(const std::string &folder, const ScoreEntry &entry, const std::string &recording,
                  FILE *err) {
    return Enter(folder, entry, recording, err, false);
}

PlayerRead ReadScoreRecording(const std::string &folder, const std::string &recording,
                              std::string &text, std::string &why) {
    if (!IsScoreRecordingName(recording)) {
        text.clear();
        why = "not a name the game gives its recordings";
        return PlayerRead::kFailed;
    }
    return ReadPlayerFile(Join(folder, recording), kMaxReplayBytes, Links::kRefuse, text, why);
}

int PrintScores(const std::string &folder, FILE *out, FILE *err) {
    ScoreTable scores;
    ScoreReadResult read;
    ReadScores(folder, scores, read);
    Warn(err, folder, read);
    for (int d = 0; d < kScoreDifficulties; ++d) {
        fprintf(out, "%s%s\n", d > 0 ? "\n" : "", DifficultyName(d));
        if (scores.entries[d].empty()) {
            fprintf(out, "  no scores yet\n");
        }
        std::map<std::string, int> rank; // each level set ranks its own entries
        for (const ScoreEntry &e : scores.entries[d]) {
            fprintf(out, "%3d %9d  level %-3d %-16s %s  %s%s%s\n", ++rank[e.levels], e.score,
                    e.level, Printable(e.name).c_str(), e.when.c_str(),
                    Printable(Join(folder, e.recording)).c_str(),
                    e.levels.empty() ? "" : "  levels ", e.levels.c_str());
        }
    }
    return 0;
}
