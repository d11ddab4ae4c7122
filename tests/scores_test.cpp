#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/atomic_file.h"
#include "app/game_scores.h"
#include "app/scores.h"
#include "game/game.h"
#include "replay/replay.h"
#include "tests/support.h"

namespace {

std::string Slurp(const std::string &path) {
    FILE *f = fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return "(none)";
    }
    std::string text = ReadBack(f);
    fclose(f);
    return text;
}

std::vector<std::string> FilesStartingWith(const std::string &dir, const std::string &prefix) {
    std::vector<std::string> names;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d)) {
            std::string name = e->d_name;
            if (name.compare(0, prefix.size(), prefix) == 0) {
                names.push_back(name);
            }
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

const char kHeader[] = "quarndel-scores 1\n";
const char kAlice[] = "0 1 500 2 2026-01-01T10:00:00Z a.qrp alice\n";
const char kBob[] = "0 2 300 1 2026-01-02T10:00:00Z b.qrp bob\n";

ScoreEntry Entry(int difficulty, int score, const std::string &recording) {
    ScoreEntry e;
    e.difficulty = difficulty;
    e.score = score;
    e.level = 1;
    e.when = "2026-02-01T10:00:00Z";
    e.recording = recording;
    e.name = "carol";
    return e;
}

int FailRename(const char *, const char *) {
    errno = EIO;
    return -1;
}

} // namespace

// Every kind of table file: what entering a new score keeps, what it moves
// aside (the whole file, or the bad lines), and what --scores prints.
TEST(ScoreTable, EachKindOfFileIsKeptMovedAsideOrPrintedAsItShouldBe) {
    struct Case {
        const char *what;
        std::string text;
        bool wholeAside;      // the file is moved aside whole
        std::string badLines; // the lines kept aside, "" for none
        std::string warning;  // in the warnings of the entering
        int kept;             // entries of difficulty 0 after entering one more
        std::string printed;  // in --scores' output before entering
        std::string notPrinted = "";
    };
    std::string longLine = "0 3 200 1 2026-01-03T10:00:00Z c.qrp " + std::string(600, 'x');
    const Case cases[] = {
        {"good", std::string(kHeader) + kAlice + kBob, false, "", "", 3,
         "  1       500  level 2   alice"},
        {"no file at all", "", false, "", "", 1, "no scores yet"},
        {"truncated in a line", std::string(kHeader) + "0 1 500 2 2026-01", true, "",
         "stops in the middle of a line", 1, "no scores yet"},
        {"empty", "\n", true, "", "version line", 1, "no scores yet"},
        {"garbage",
         std::string("\x7f"
                     "ELF\x02\x01\x01\0\0\n",
                     10),
         true, "", "version line", 1, "no scores yet"},
        {"a newer version", std::string("quarndel-scores 2\n") + kAlice, true, "",
         "version 2 is not the version this game reads", 1, "no scores yet"},
        {"huge", std::string(kHeader) + kAlice + "#" + std::string(70000, 'x') + "\n", true, "",
         "larger than 65536 bytes", 1, "no scores yet"},
        {"a line too long", std::string(kHeader) + kAlice + longLine + "\n" + kBob, false,
         longLine + "\n", ":3: the line is longer than 512", 3, "bob"},
        {"a bad score among good lines", std::string(kHeader) + kAlice + "0 2 lots 1 x y z\n",
         false, "0 2 lots 1 x y z\n", ":3: the score is not a number above 0", 2, "alice"},
        {"a name too long to escape",
         std::string(kHeader) + kAlice + "0 2 300 1 2026-01-02T10:00:00Z b.qrp " +
             std::string(65, '\a') + "\n",
         false, "0 2 300 1 2026-01-02T10:00:00Z b.qrp " + std::string(65, '\a') + "\n",
         ":3: the name is empty or, escaped, longer than 256", 2, "alice"},
        {"a recording outside the folder",
         std::string(kHeader) + "0 1 500 2 2026-01-01T10:00:00Z ../x.qrp alice\n", false,
         "0 1 500 2 2026-01-01T10:00:00Z ../x.qrp alice\n", ":2: the recording is not", 1,
         "no scores yet"},
        {"a name with escapes",
         std::string(kHeader) + "0 1 500 2 2026-01-01T10:00:00Z a.qrp ev\x1b[2Jil\n", false, "", "",
         2, "ev\\x1b[2Jil", "\x1b"},
        {"duplicated ranks",
         std::string(kHeader) + "0 1 300 1 2026-01-02T10:00:00Z b.qrp bob\n" + kAlice, false, "",
         "", 3, "  1       500  level 2   alice"},
    };
    for (const Case &c : cases) {
        TempDir tmp;
        std::string table = tmp / "scores";
        if (!c.text.empty()) {
            WriteFile(table, c.text);
        }
        FILE *out = tmpfile();
        FILE *err = tmpfile();
        PrintScores(tmp.Path(), out, err);
        std::string printed = ReadBack(out);
        EXPECT_NE(printed.find(c.printed), std::string::npos) << c.what << ":\n" << printed;
        if (!c.notPrinted.empty()) {
            EXPECT_EQ(printed.find(c.notPrinted), std::string::npos) << c.what;
        }
        fclose(out);
        fclose(err);

        err = tmpfile();
        EXPECT_EQ(EnterScore(tmp.Path(), Entry(0, 100, "new.qrp"), "recorded\n", err), c.kept)
            << c.what;
        std::string warnings = ReadBack(err);
        fclose(err);
        std::vector<std::string> aside = FilesStartingWith(tmp.Path(), "scores.unreadable-");
        bool anyAside = c.wholeAside || !c.badLines.empty();
        ASSERT_EQ(aside.size(), anyAside ? 1u : 0u) << c.what << ": " << warnings;
        if (c.wholeAside) {
            EXPECT_EQ(Slurp(tmp / aside[0]), c.text) << c.what;
        } else if (!c.badLines.empty()) {
            EXPECT_EQ(Slurp(tmp / aside[0]), c.badLines) << c.what;
        }
        if (c.warning.empty()) {
            EXPECT_EQ(warnings, "") << c.what;
        } else {
            EXPECT_NE(warnings.find(c.warning), std::string::npos) << c.what << ": " << warnings;
            EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1) << c.what;
        }
        ScoreTable read;
        ScoreReadResult result;
        ReadScores(tmp.Path(), read, result);
        EXPECT_FALSE(result.unreadable) << c.what;
        EXPECT_TRUE(result.badLines.empty()) << c.what;
        EXPECT_EQ(read.entries[0].size(), (size_t)c.kept) << c.what;
        EXPECT_EQ(Slurp(tmp / "new.qrp"), "recorded\n") << c.what;
    }
}

TEST(ScoreTable, OnlyTheTenBestStayAndThosePushedOutLoseTheirRecordings) {
    TempDir tmp;
    for (int i = 1; i <= 10; ++i) {
        std::string name = "r" + std::to_string(i) + ".qrp";
        EXPECT_EQ(EnterScore(tmp.Path(), Entry(1, i * 10, name), "x\n", stderr), 1);
    }
    EXPECT_EQ(EnterScore(tmp.Path(), Entry(1, 5, "low.qrp"), "x\n", stderr), 0);
    EXPECT_EQ(Slurp(tmp / "low.qrp"), "(none)");
    EXPECT_EQ(EnterScore(tmp.Path(), Entry(1, 55, "mid.qrp"), "x\n", stderr), 6);
    EXPECT_EQ(Slurp(tmp / "r1.qrp"), "(none)"); // the lowest, pushed out
    EXPECT_EQ(Slurp(tmp / "r2.qrp"), "x\n");
    EXPECT_EQ(EnterScore(tmp.Path(), Entry(2, 1, "other.qrp"), "x\n", stderr), 1);

    // A bad line goes aside once, even when the games that follow make no
    // place: the table is rewritten without it.
    WriteFile(tmp / "scores", Slurp(tmp / "scores") + "1 1 bad\n");
    FILE *err = tmpfile();
    EXPECT_EQ(EnterScore(tmp.Path(), Entry(1, 4, "low2.qrp"), "x\n", err), 0);
    EXPECT_EQ(EnterScore(tmp.Path(), Entry(1, 3, "low3.qrp"), "x\n", err), 0);
    std::string warnings = ReadBack(err);
    fclose(err);
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1) << warnings;
    EXPECT_EQ(FilesStartingWith(tmp.Path(), "scores.unreadable-").size(), 1u);
    EXPECT_EQ(Slurp(tmp / "scores").find("bad"), std::string::npos);
}

// A write cut between the temporary file and the rename, or refused by a
// full disk, leaves the old table whole and says so once.
TEST(ScoreTable, AnInterruptedOrFailedWriteLeavesTheOldTableWhole) {
    TempDir tmp;
    ASSERT_EQ(EnterScore(tmp.Path(), Entry(0, 100, "old.qrp"), "x\n", stderr), 1);
    std::string before = Slurp(tmp / "scores");

    pid_t child = fork();
    if (child == 0) {
        // Killed when the new table is whole in its temporary file, before
        // the rename would put it in place.
        renameForAtomicWrite = [](const char *from, const char *to) {
            std::string target = to;
            if (target.size() >= 7 && target.compare(target.size() - 7, 7, "/scores") == 0) {
                kill(getpid(), SIGKILL);
            }
            return rename(from, to);
        };
        EnterScore(tmp.Path(), Entry(0, 200, "killed.qrp"), "x\n", stderr);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(Slurp(tmp / "scores"), before);
    EXPECT_EQ(Slurp(tmp / "killed.qrp"), "x\n"); // whole, but named by no table
    std::vector<std::string> temporary = FilesStartingWith(tmp.Path(), "scores.new-");
    ASSERT_EQ(temporary.size(), 1u);
    EXPECT_NE(Slurp(tmp / temporary[0]).find(" killed.qrp "), std::string::npos);
    unlink((tmp / temporary[0]).c_str());

    struct Fault {
        const char *what;
        void (*arrange)();
    };
    const Fault faults[] = {
        {"a full disk",
         [] {
             signal(SIGXFSZ, SIG_IGN);
             struct rlimit limit = {1, 1};
             setrlimit(RLIMIT_FSIZE, &limit);
         }},
        {"a failed rename", [] { renameForAtomicWrite = FailRename; }},
    };
    for (const Fault &f : faults) {
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        child = fork();
        if (child == 0) {
            f.arrange();
            FILE *err = fdopen(pipeFds[1], "w");
            int rank = EnterScore(tmp.Path(), Entry(0, 300, "full.qrp"), "x\n", err);
            fclose(err);
            _exit(rank == -1 ? 0 : 1);
        }
        close(pipeFds[1]);
        std::string warnings;
        char buffer[256];
        ssize_t n;
        while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
            warnings.append(buffer, (size_t)n);
        }
        close(pipeFds[0]);
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << f.what;
        EXPECT_EQ(Slurp(tmp / "scores"), before) << f.what;
        EXPECT_EQ(Slurp(tmp / "full.qrp"), "(none)") << f.what;
        EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1) << f.what << warnings;
        EXPECT_NE(warnings.find("cannot write"), std::string::npos) << f.what << warnings;
    }
    EXPECT_EQ(FilesStartingWith(tmp.Path(), "scores.new").size(), 0u);
}

// Two games entering scores into one table at the same moment lose nothing:
// the table ends as the ten best of all of them.
TEST(ScoreTable, TwoProcessesEnteringFiftyGamesEachKeepTheTenBestOfAll) {
    TempDir tmp;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        if (children[c] == 0) {
            for (int i = 0; i < 50; ++i) {
                int score = 1 + i * 2 + c; // 1 .. 100, each once
                std::string name = "g" + std::to_string(score) + ".qrp";
                if (EnterScore(tmp.Path(), Entry(0, score, name), "x\n", stderr) < 0) {
                    _exit(1);
                }
            }
            _exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ScoreTable table;
    ScoreReadResult result;
    ReadScores(tmp.Path(), table, result);
    ASSERT_EQ(table.entries[0].size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(table.entries[0][i].score, 100 - i);
        EXPECT_EQ(Slurp(tmp / table.entries[0][i].recording), "x\n");
    }
    EXPECT_EQ(FilesStartingWith(tmp.Path(), "g").size(), 10u);
}

// The game's side: a game over enters the run recorded so far once (Escape
// afterwards adds nothing), a second game enters the run to its own end, and
// a folder the game cannot write in is told once and claims nothing.
class ScoreKeepingRun : public ::testing::Test {
  protected:
    void SetUp() override {
        OpenTestScreen();
        ResetGlobals();
    }
    void TearDown() override {
        ResetScoreKeeping();
        ResetReplays();
        ResetGlobals();
    }
    void Start(const std::string &folder) {
        options = Options();
        options.scoresDir = folder.c_str();
        StartReplays(ReplayChoicesOf(options));
        StartScoreKeeping(options);
        ReplaySeed(7);
    }
    // Iterations of play, then the game ends with score and lives as given.
    void Play(int iterations, int score, bool over) {
        game.titleRunning = 0;
        game.gameOver = 0;
        NoteScoreIteration();
        for (int i = 0; i < iterations; ++i) {
            EndReplayIteration(true);
            NoteScoreIteration();
        }
        ship.score = score;
        game.gameOver = over ? 1 : 0;
        EndReplayIteration(true);
        NoteScoreIteration();
        EndReplayIteration(false); // the game-over frame stays
        NoteScoreIteration();
    }
    Options options;
    TempDir tmp;
};

TEST_F(ScoreKeepingRun, EachGameEndEntersTheRunSoFarOnceAndAnUnwritableFolderWarnsOnce) {
    std::string folder = tmp / "scores";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Start(folder);
    Play(3, 40, true);
    Play(5, 60, true);
    Play(1, 70, false); // left with Escape during play
    EndScoreKeeping();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Score 40 takes rank 1 of 10 in the Easy high scores\n"
              "Score 60 takes rank 1 of 10 in the Easy high scores\n"
              "Score 70 takes rank 1 of 10 in the Easy high scores\n");
    ScoreTable table;
    ScoreReadResult result;
    ReadScores(folder, table, result);
    ASSERT_EQ(table.entries[0].size(), 3u);
    // A game over is entered at the end of its iteration: the first after
    // 3 + 1, the second after its still frame + 5 + 1; the third, left
    // during play, when the run ends (+ 1 + 1 + its last frame).
    const char *stops[] = {"stop 15 70 0 0\n", "stop 11 60 0 0\n", "stop 4 40 0 0\n"};
    for (int i = 0; i < 3; ++i) {
        std::string recording = Slurp(folder + "/" + table.entries[0][i].recording);
        EXPECT_EQ(recording.compare(0, 25, "quarndel-replay 1\nseed 7\n"), 0) << recording;
        size_t stop = recording.rfind("stop ");
        ASSERT_NE(stop, std::string::npos) << recording;
        EXPECT_EQ(recording.substr(stop), stops[i]);
    }
    ResetScoreKeeping();
    ResetReplays();

    WriteFile(tmp / "file", "");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Start(tmp / "file/scores");
    Play(1, 40, true);
    Play(1, 60, true);
    EndScoreKeeping();
    std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1) << warnings;
    EXPECT_NE(warnings.find("cannot keep the score"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("the score is not saved"), std::string::npos) << warnings;
}
