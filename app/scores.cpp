#include "app/scores.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "app/atomic_file.h"
#include "replay/replay_file.h"

namespace {

constexpr const char *kTableFile = "scores";
constexpr const char *kColumnsLine = "# difficulty rank score level time recording name";

// Scores and levels a game can reach: far beyond any real game, small
// enough that no sum overflows.
constexpr long kMaxScoreValue = 1000000000L;

// A whole number from 0 to max, digits only.
bool ParseNumber(const std::string &word, long max, long &value) {
    if (word.empty() || word.size() > 10) {
        return false;
    }
    value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return value <= max;
}

// "2026-12-07T16:46:13Z": digits where digits go, the rest exact.
bool ValidTime(const std::string &t) {
    const char *shape = "dddd-dd-ddTdd:dd:ddZ";
    if (t.size() != strlen(shape)) {
        return false;
    }
    for (size_t i = 0; i < t.size(); ++i) {
        bool ok = shape[i] == 'd' ? (t[i] >= '0' && t[i] <= '9') : t[i] == shape[i];
        if (!ok) {
            return false;
        }
    }
    return true;
}

// A recording the table names lies in its folder: a plain file name.
bool ValidRecordingName(const std::string &name) {
    if (name.empty() || name.size() > 128 || name[0] == '.') {
        return false;
    }
    for (char c : name) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '-' || c == '_' || c == '.';
        if (!ok) {
            return false;
        }
    }
    return true;
}

bool Better(const ScoreEntry &a, const ScoreEntry &b) {
    if (a.score != b.score) {
        return a.score > b.score;
    }
    if (a.level != b.level) {
        return a.level > b.level;
    }
    return a.when < b.when; // the earlier game keeps its place
}

// One entry line; false with why set when it is not one.
bool ParseEntry(const std::string &line, ScoreEntry &e, std::string &why) {
    std::string word[6];
    size_t p = 0;
    for (int i = 0; i < 6; ++i) {
        size_t space = line.find(' ', p);
        if (space == std::string::npos) {
            why = "an entry needs difficulty, rank, score, level, time, recording and name";
            return false;
        }
        word[i] = line.substr(p, space - p);
        p = space + 1;
    }
    e.name = line.substr(p);
    long difficulty, rank, score, level;
    if (!ParseNumber(word[0], kScoreDifficulties - 1, difficulty)) {
        why = "the difficulty is not 0, 1 or 2";
    } else if (!ParseNumber(word[1], kScoresPerTable, rank) || rank == 0) {
        why = "the rank is not 1 to 10";
    } else if (!ParseNumber(word[2], kMaxScoreValue, score) || score == 0) {
        why = "the score is not a number above 0";
    } else if (!ParseNumber(word[3], kMaxScoreValue, level)) {
        why = "the level is not a number";
    } else if (!ValidTime(word[4])) {
        why = "the time is not a UTC time like 2026-12-07T16:46:13Z";
    } else if (!ValidRecordingName(word[5])) {
        why = "the recording is not a file name in the table's folder";
    } else if (e.name.empty() || Printable(e.name).size() > kMaxScoreName) {
        why = "the name is empty or, escaped, longer than " + std::to_string(kMaxScoreName) +
              " characters";
    } else {
        e.difficulty = (int)difficulty;
        e.score = (int)score;
        e.level = (int)level;
        e.when = word[4];
        e.recording = word[5];
        return true;
    }
    return false;
}

// Reads at most max bytes of a regular file; false with why set otherwise.
bool ReadBounded(const std::string &path, long max, std::string &text, bool &missing,
                 std::string &why) {
    missing = false;
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        missing = errno == ENOENT;
        why = strerror(errno);
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        why = "not a regular file";
        return false;
    }
    if (st.st_size > max) {
        close(fd);
        why = "larger than " + std::to_string(max) + " bytes";
        return false;
    }
    text.assign((size_t)st.st_size, '\0');
    size_t got = 0;
    while (got < text.size()) {
        ssize_t n = read(fd, &text[got], text.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += (size_t)n;
    }
    close(fd);
    text.resize(got);
    return true;
}

} // namespace

void MakeScoresFolder(const std::string &folder) {
    for (size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        mkdir(folder.substr(0, slash).c_str(), 0777);
    }
    mkdir(folder.c_str(), 0777);
}

namespace {

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
        if (rename(table.c_str(), aside.c_str()) != 0) {
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

void ParseScores(const std::string &text, ScoreTable &table, ScoreReadResult &result) {
    table = ScoreTable();
    result = ScoreReadResult();
    std::string magic = std::string(kScoreTableMagic) + " ";
    size_t firstEnd = text.find('\n');
    if (text.empty() || text.back() != '\n' || firstEnd == std::string::npos) {
        result.unreadable = true;
        result.why = "it stops in the middle of a line";
        if (text.compare(0, magic.size(), magic) != 0) {
            result.why = "no \"" + std::string(kScoreTableMagic) + "\" version line";
        }
        return;
    }
    std::string first = text.substr(0, firstEnd);
    long version = 0;
    if (first.compare(0, magic.size(), magic) != 0) {
        result.unreadable = true;
        result.why = "no \"" + std::string(kScoreTableMagic) + "\" version line";
        return;
    }
    if (!ParseNumber(first.substr(magic.size()), 1000000, version) ||
        version != kScoreTableVersion) {
        result.unreadable = true;
        result.why = "version " + Printable(first.substr(magic.size())) +
                     " is not the version this game reads (" + std::to_string(kScoreTableVersion) +
                     ")";
        return;
    }
    size_t number = 1;
    for (size_t p = firstEnd + 1; p < text.size();) {
        size_t end = text.find('\n', p);
        std::string line = text.substr(p, end - p);
        p = end + 1;
        if (++number > kMaxScoreLines) {
            result.unreadable = true;
            result.why = "more than " + std::to_string(kMaxScoreLines) + " lines";
            return;
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        ScoreEntry e;
        std::string why;
        if (line.size() > kMaxScoreLine) {
            why = "the line is longer than " + std::to_string(kMaxScoreLine) + " characters";
        } else if (ParseEntry(line, e, why)) {
            std::vector<ScoreEntry> dropped;
            InsertScore(table, e, dropped);
            continue;
        }
        result.badLines.push_back({number, line, why});
    }
}

void ReadScores(const std::string &folder, ScoreTable &table, ScoreReadResult &result) {
    table = ScoreTable();
    result = ScoreReadResult();
    std::string text;
    bool missing = false;
    if (!ReadBounded(Join(folder, kTableFile), kMaxScoreFileBytes, text, missing, result.why)) {
        result.unreadable = !missing;
        return;
    }
    ParseScores(text, table, result);
}

std::string FormatScores(const ScoreTable &table) {
    std::string text = std::string(kScoreTableMagic) + " " + std::to_string(kScoreTableVersion) +
                       "\n" + kColumnsLine + "\n";
    for (int d = 0; d < kScoreDifficulties; ++d) {
        int rank = 0;
        for (const ScoreEntry &e : table.entries[d]) {
            text += std::to_string(d) + " " + std::to_string(++rank) + " " +
                    std::to_string(e.score) + " " + std::to_string(e.level) + " " + e.when + " " +
                    e.recording + " " + Printable(e.name) + "\n";
        }
    }
    return text;
}

int InsertScore(ScoreTable &table, const ScoreEntry &entry, std::vector<ScoreEntry> &dropped) {
    if (entry.difficulty < 0 || entry.difficulty >= kScoreDifficulties || entry.score <= 0) {
        return 0;
    }
    std::vector<ScoreEntry> &list = table.entries[entry.difficulty];
    auto at = std::upper_bound(list.begin(), list.end(), entry, Better);
    int rank = (int)(at - list.begin()) + 1;
    list.insert(at, entry);
    while (list.size() > (size_t)kScoresPerTable) {
        dropped.push_back(list.back());
        list.pop_back();
    }
    return rank <= kScoresPerTable ? rank : 0;
}

int EnterScore(const std::string &folder, const ScoreEntry &entry, const std::string &recording,
               FILE *err) {
    std::string table = Join(folder, kTableFile);
    MakeScoresFolder(folder);
    int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0 || flock(dirFd, LOCK_EX) != 0) {
        fprintf(err, "quarndel: %s: cannot lock the score folder: %s; the score is not saved\n",
                Printable(folder).c_str(), strerror(errno));
        if (dirFd >= 0) {
            close(dirFd);
        }
        return -1;
    }
    ScoreTable scores;
    ScoreReadResult read;
    ReadScores(folder, scores, read);
    int rank = 0;
    if (!SetAside(folder, read, err)) {
        rank = -1;
    } else {
        std::vector<ScoreEntry> dropped;
        rank = InsertScore(scores, entry, dropped);
        // The recording is whole on the disk before the table names it. A
        // table whose bad lines went aside is rewritten without them even
        // when the game does not make it, so they go aside only once.
        std::string recordingPath = Join(folder, entry.recording);
        bool saved = rank <= 0 || WriteFileAtomically(recordingPath, recording, err);
        if (saved && (rank > 0 || !read.badLines.empty())) {
            saved = WriteFileAtomically(table, FormatScores(scores), err);
        }
        if (!saved) {
            if (rank > 0) {
                unlink(recordingPath.c_str());
            }
            rank = -1;
        } else if (rank > 0) {
            for (const ScoreEntry &gone : dropped) {
                if (gone.recording != entry.recording) {
                    unlink(Join(folder, gone.recording).c_str());
                }
            }
        }
    }
    flock(dirFd, LOCK_UN);
    close(dirFd);
    return rank;
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
        int rank = 0;
        for (const ScoreEntry &e : scores.entries[d]) {
            fprintf(out, "%3d %9d  level %-3d %-16s %s  %s\n", ++rank, e.score, e.level,
                    Printable(e.name).c_str(), e.when.c_str(),
                    Printable(Join(folder, e.recording)).c_str());
        }
    }
    return 0;
}
