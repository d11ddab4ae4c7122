#include "app/game_scores.h"

#include "app/level_set_in_play.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/data_folder.h"
#include "app/scores.h"
#include "game/game.h"
#include "replay/replay.h"
#include "replay/replay_file.h"

namespace {

struct ScoreKeeping {
    bool active = false;    // a run that may enter the table
    std::string folder;     // the table's folder, made when a game first enters it
    bool recording = false; // the recorder keeps a copy of the run
    std::string problem;    // why the folder cannot take the table
    bool warned = false;    // the problem was told once
    bool wasOver = false;   // the game was over after the last iteration
    int entered = 0;        // entries made in this run, for their file names
    bool pending = false;   // a game waits to enter while another game holds the lock
    ScoreEntry pendingEntry;
    std::string pendingRun; // its recording
};

ScoreKeeping keeping;

std::string LoginName() {
    struct passwd *pw = getpwuid(getuid());
    if (pw != nullptr && pw->pw_name != nullptr && pw->pw_name[0] != '\0') {
        return pw->pw_name;
    }
    const char *user = getenv("USER");
    return user != nullptr && user[0] != '\0' ? user : "player";
}

// Why folder cannot be made or written in, judged from the nearest part of
// its path that exists (nothing is made here); empty when it can.
std::string FolderCannotBeMade(const std::string &folder) {
    std::string path = folder;
    struct stat info;
    while (stat(path.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            return Printable(path) + ": " + strerror(errno);
        }
        size_t slash = path.find_last_of('/');
        if (slash == std::string::npos || slash == 0) {
            return ""; // up to the root: left to the write to tell
        }
        path.erase(slash);
    }
    if (!S_ISDIR(info.st_mode)) {
        return Printable(path) + " is not a folder";
    }
    if (access(path.c_str(), W_OK | X_OK) != 0) {
        return "cannot write in " + Printable(path) + ": " + strerror(errno);
    }
    return "";
}

void TryPendingEntry(bool wait);

void WarnOnce(const std::string &why) {
    if (!keeping.warned) {
        keeping.warned = true;
        fprintf(stderr, "quarndel: %s: cannot keep the score: %s; the score is not saved\n",
                Printable(keeping.folder).c_str(), why.c_str());
    }
}

// The game that has just ended enters the table when its score makes it.
void EnterEndedGame() {
    if (!keeping.active || ship.score <= 0) {
        return;
    }
    std::string run;
    if (!keeping.problem.empty()) {
        WarnOnce(keeping.problem);
        return;
    }
    if (!keeping.recording || !RecordedRunSoFar(run)) {
        keeping.warned = true; // the recorder said when its copy stopped
        return;
    }
    ScoreEntry entry;
    entry.difficulty = difficulty;
    entry.score = ship.score;
    entry.level = level.levelNumber;
    entry.when = UtcTime(false);
    entry.name = LoginName().substr(0, kMaxScoreName / 4);
    entry.levels = LevelSetInPlay();
    entry.recording = ScoreRecordingName(UtcTime(true), getpid(), ++keeping.entered);
    keeping.pendingEntry = entry;
    keeping.pendingRun.swap(run);
    keeping.pending = true;
    TryPendingEntry(false);
}

// Enters the pending game. Inside the loop (wait false) another game holding
// the table's lock never stalls a frame: the entry waits for a later
// iteration; at the end of the run it waits for the lock.
void TryPendingEntry(bool wait) {
    if (!keeping.pending) {
        return;
    }
    const ScoreEntry &entry = keeping.pendingEntry;
    // The one call that writes the table (and makes its folder).
    int rank = wait ? EnterScore(keeping.folder, entry, keeping.pendingRun, stderr)
                    : TryEnterScore(keeping.folder, entry, keeping.pendingRun, stderr);
    if (rank == kScoreTryAgain) {
        return;
    }
    keeping.pending = false;
    keeping.pendingRun.clear();
    if (rank > 0) {
        // Standard output carries the documented messages only.
        fprintf(stderr, "Score %d takes rank %d of %d in the %s high scores\n", entry.score, rank,
                kScoresPerTable, DifficultyName(entry.difficulty));
    } else if (rank < 0) {
        keeping.warned = true; // EnterScore said why
    }
}

} // namespace

void StartScoreKeeping(const Options &options) {
    keeping = ScoreKeeping();
    // --watch changes the levels under a game: its recording would not
    // replay, so such a game cannot claim a place.
    if (options.replay != nullptr || options.headless || options.watch) {
        return;
    }
    keeping.active = true;
    // Every such run is recorded the same way, whatever the environment: the
    // clock stands still within an iteration in each one.
    keeping.recording = KeepRunInMemory(kMaxKeptRunBytes);
    keeping.folder = ScoresFolder(options.scoresDir);
    if (keeping.folder.empty()) {
        keeping.problem = "no folder for it (HOME is not set)";
        return;
    }
    // The game then changes into its data folder: a relative name keeps
    // meaning the folder it was given in. Nothing is made before a game
    // enters the table.
    if (keeping.folder[0] != '/') {
        if (char *start = getcwd(nullptr, 0)) {
            keeping.folder = std::string(start) + "/" + keeping.folder;
            free(start);
        }
    }
    keeping.problem = FolderCannotBeMade(keeping.folder);
}

void NoteScoreIteration() {
    if (!keeping.active) {
        return;
    }
    TryPendingEntry(false);
    bool over = game.gameOver != 0 && game.titleRunning == 0;
    if (over && !keeping.wasOver) {
        EnterEndedGame();
    }
    keeping.wasOver = over;
}

void EndScoreKeeping() {
    if (keeping.active && !keeping.wasOver) {
        EnterEndedGame();
    }
    TryPendingEntry(true);
    keeping.active = false;
}

bool ScoresOnTitleAllowed() {
    return keeping.active;
}

const std::string &ScoreKeepingFolder() {
    return keeping.folder;
}

void ResetScoreKeeping() {
    keeping = ScoreKeeping();
}

namespace {

// Replays path headless and verified; the replay's own verdict goes to err,
// its final state nowhere. The child's exit status, or -1.
int ReplayChild(const char *exe, const std::string &path, const char *dataDir, FILE *err) {
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        FILE *devNull = freopen("/dev/null", "w", stdout);
        (void)devNull;
        dup2(fileno(err), 2);
        if (dataDir != nullptr) {
            execl(exe, exe, "--replay", path.c_str(), "--headless", "--verify", "--data-dir",
                  dataDir, (char *)nullptr);
        } else {
            execl(exe, exe, "--replay", path.c_str(), "--headless", "--verify", (char *)nullptr);
        }
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

} // namespace

int VerifyScores(const std::string &folder, const char *exe, const char *dataDir, FILE *out,
                 FILE *err) {
    ScoreTable table;
    ScoreReadResult read;
    ReadScores(folder, table, read);
    int result = read.unreadable || !read.badLines.empty() ? 1 : 0;
    if (result != 0) {
        fprintf(err, "quarndel: %s/scores: %s\n", Printable(folder).c_str(),
                read.unreadable ? read.why.c_str() : "has lines the game cannot read");
    }
    // Without the levels every replay would differ: said once, before any.
    bool entries = false;
    for (const std::vector<ScoreEntry> &list : table.entries) {
        entries = entries || !list.empty();
    }
    DataFolderChoice data = ChooseDataFolder(dataDir, InstalledDataFolder());
    if (entries && !data.found) {
        fprintf(err, "%s\n",
                data.error.empty() ? NoDataFolderMessage(InstalledDataFolder()).c_str()
                                   : data.error.c_str());
        return 1;
    }
    for (int d = 0; d < kScoreDifficulties; ++d) {
        int rank = 0;
        for (const ScoreEntry &e : table.entries[d]) {
            std::string path = folder + "/" + e.recording;
            fprintf(out, "%s %d: %d level %d %s: ", DifficultyName(d), ++rank, e.score, e.level,
                    Printable(e.name).c_str());
            Recording r;
            std::string text, error;
            std::string verdict;
            // Only a regular file of the folder itself: a link never takes
            // the replay out of it.
            PlayerRead got = ReadScoreRecording(folder, e.recording, text, error);
            if (got == PlayerRead::kMissing) {
                verdict = "the recording " + Printable(path) + " is missing";
            } else if (got == PlayerRead::kFailed ||
                       !ParseRecording(text.data(), text.size(), r, error)) {
                verdict = "the recording cannot be read: " + error;
            } else if (!r.hasStop || r.stop.score != e.score || r.stop.level != e.level ||
                       r.stop.difficulty != d) {
                verdict = "differs: the recording ends with score " + std::to_string(r.stop.score) +
                          ", level " + std::to_string(r.stop.level) + ", difficulty " +
                          std::to_string(r.stop.difficulty);
            } else if (r.levelSet != e.levels) {
                // An entry counts only in the table of the set it was played with.
                verdict = "differs: the recording was played with " +
                          (r.levelSet.empty() ? std::string("the shipped levels")
                                              : "the level set " + Printable(r.levelSet));
            } else {
                fflush(out);
                int status = ReplayChild(exe, path, dataDir, err);
                if (status != 0) {
                    verdict = "differs: the replay does not end as recorded";
                }
            }
            fprintf(out, "%s\n", verdict.empty() ? "verified" : verdict.c_str());
            result = verdict.empty() ? result : 1;
        }
    }
    return result;
}
