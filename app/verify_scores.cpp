#include "app/verify_scores.h"

#include <sys/wait.h>
#include <unistd.h>

#include "files/scores.h"
#include "levelsets/data_folder.h"
#include "replay/replay_file.h"
#include "strings/text.h"

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
