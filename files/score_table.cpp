#include "files/score_table.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

#include "files/player_files.h"
#include "replay/replay_file.h"
#include "strings/set_name.h"
#include "strings/text.h"

namespace {

// Scores and levels a game can reach: far beyond any real game, small
// enough that no sum overflows.
constexpr long kMaxScoreValue = 1000000000L;

constexpr const char *kColumnsLine = "# difficulty rank score level time recording name";

// text matches shape where 'd' stands for a digit and every other
// character for itself.
bool Shaped(const std::string &text, const char *shape) {
    if (text.size() != strlen(shape)) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        bool ok = shape[i] == 'd' ? (text[i] >= '0' && text[i] <= '9') : text[i] == shape[i];
        if (!ok) {
            return false;
        }
    }
    return true;
}

// "2026-12-07T16:46:13Z": digits where digits go, the rest exact.
bool ValidTime(const std::string &t) {
    return Shaped(t, "dddd-dd-ddTdd:dd:ddZ");
}

// Digits only, one to ten of them.
bool Digits(const std::string &text) {
    return !text.empty() && text.size() <= 10 &&
           text.find_first_not_of("0123456789") == std::string::npos;
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
    // "levels=NAME " before the name: the entry's level set.
    const std::string setKey = "levels=";
    size_t setEnd = e.name.find(' ');
    if (e.name.compare(0, setKey.size(), setKey) == 0 && setEnd != std::string::npos) {
        e.levels = e.name.substr(setKey.size(), setEnd - setKey.size());
        e.name = e.name.substr(setEnd + 1);
        if (!IsSetName(e.levels)) {
            why = "the level set is not a name of 1 to 64 letters, digits, '_', '-' or '.'";
            return false;
        }
    }
    long difficulty, rank, score, level;
    if (!ParseWholeNumber(word[0], kScoreDifficulties - 1, difficulty)) {
        why = "the difficulty is not 0, 1 or 2";
    } else if (!ParseWholeNumber(word[1], kScoresPerTable, rank) || rank == 0) {
        why = "the rank is not 1 to 10";
    } else if (!ParseWholeNumber(word[2], kMaxScoreValue, score) || score == 0) {
        why = "the score is not a number above 0";
    } else if (!ParseWholeNumber(word[3], kMaxScoreValue, level)) {
        why = "the level is not a number";
    } else if (!ValidTime(word[4])) {
        why = "the time is not a UTC time like 2026-12-07T16:46:13Z";
    } else if (!IsScoreRecordingName(word[5])) {
        why = "the recording is not named like the game's own, game-TIME-PROCESS-N.qrp";
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

} // namespace

std::string ScoreRecordingName(const std::string &compactTime, long pid, int entered) {
    return "game-" + compactTime + "-" + std::to_string(pid) + "-" + std::to_string(entered) +
           ".qrp";
}

bool IsScoreRecordingName(const std::string &name) {
    const std::string prefix = "game-";
    const std::string suffix = ".qrp";
    const size_t timeSize = strlen("ddddddddTddddddZ");
    if (name.size() < prefix.size() + timeSize + suffix.size() + 4 ||
        name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0 ||
        !Shaped(name.substr(prefix.size(), timeSize), "ddddddddTddddddZ") ||
        name[prefix.size() + timeSize] != '-') {
        return false;
    }
    size_t start = prefix.size() + timeSize + 1;
    std::string rest = name.substr(start, name.size() - suffix.size() - start);
    size_t dash = rest.find('-');
    return dash != std::string::npos && Digits(rest.substr(0, dash)) &&
           Digits(rest.substr(dash + 1));
}

bool NamesRecording(const ScoreTable &table, const std::string &recording) {
    for (const std::vector<ScoreEntry> &list : table.entries) {
        for (const ScoreEntry &e : list) {
            if (e.recording == recording) {
                return true;
            }
        }
    }
    return false;
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
    if (!ParseWholeNumber(first.substr(magic.size()), 1000000, version) ||
        version != kScoreTableVersion) {
        result.unreadable = true;
        result.why = "version " + Printable(first.substr(magic.size())) +
                     " is not the version this game reads (" + std::to_string(kScoreTableVersion) +
                     ")";
        return;
    }
    // Every recording named so far, kept or pushed out: an entry must not
    // share its recording, or removing one entry's would remove the other's.
    std::vector<std::string> named;
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
            if (std::find(named.begin(), named.end(), e.recording) == named.end()) {
                named.push_back(e.recording);
                std::vector<ScoreEntry> dropped;
                InsertScore(table, e, dropped);
                continue;
            }
            why = "the recording is named by an earlier entry too";
        }
        result.badLines.push_back({number, line, why});
    }
}

std::string FormatScores(const ScoreTable &table) {
    std::string text = std::string(kScoreTableMagic) + " " + std::to_string(kScoreTableVersion) +
                       "\n" + kColumnsLine + "\n";
    for (int d = 0; d < kScoreDifficulties; ++d) {
        std::map<std::string, int> rank; // per level set
        for (const ScoreEntry &e : table.entries[d]) {
            text += std::to_string(d) + " " + std::to_string(++rank[e.levels]) + " " +
                    std::to_string(e.score) + " " + std::to_string(e.level) + " " + e.when + " " +
                    e.recording + " " + (e.levels.empty() ? "" : "levels=" + e.levels + " ") +
                    Printable(e.name) + "\n";
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
    int rank = 1;
    for (auto e = list.begin(); e != at; ++e) {
        rank += e->levels == entry.levels ? 1 : 0;
    }
    list.insert(at, entry);
    // The set's eleventh entry, if any, leaves: the one furthest down.
    int kept = 0;
    for (auto e = list.begin(); e != list.end(); ++e) {
        if (e->levels == entry.levels && ++kept > kScoresPerTable) {
            dropped.push_back(*e);
            list.erase(e);
            break;
        }
    }
    return rank <= kScoresPerTable ? rank : 0;
}
