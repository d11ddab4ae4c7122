#include "files/score_keeping.h"

#include "files/level_set_in_play.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "files/scores.h"
#include "game/game.h"
#include "replay/replay.h"
#include "replay/replay_file.h"
#include "strings/text.h"

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
