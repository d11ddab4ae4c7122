#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/options.h"
#include "app/verify_scores.h"
#include "files/player_files.h"
#include "files/score_keeping.h"
#include "files/scores.h"
#include "game/game.h"
#include "levelsets/data_folder.h"
#include "replay/replay.h"
#include "replay/replay_file.h"
#include "sprites/ticks.h"
#include "tests/support.h"
#include "window/sdl_library.h"

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
const char kAlice[] = "0 1 500 2 2026-01-01T10:00:00Z game-20260101T100000Z-1-1.qrp alice\n";
// A recording's lines up to its last, one iteration long.
const std::string kHeaderOfRun = "quarndel-replay 1\nseed 7\n16 =0000\n";
const char kBob[] = "0 2 300 1 2026-01-02T10:00:00Z game-20260102T100000Z-1-2.qrp bob\n";

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

// A recording name as the game makes them, told apart by n.
std::string Rec(int n) {
    return "game-20260201T100000Z-42-" + std::to_string(n) + ".qrp";
}

int FailRename(const char *, const char *) {
    errno = EIO;
    return -1;
}

// A folder where the table cannot be moved aside, but can be replaced.
int AsideRefused(const char *from, const char *to) {
    if (strstr(to, ".unreadable") != nullptr) {
        errno = EACCES;
        return -1;
    }
    return rename(from, to);
}

// The writer's fsync and rename calls in order: "fsync file", "fsync
// folder", "rename NAME".
std::vector<std::string> diskCalls;
int LoggedFsync(int fd) {
    struct stat st;
    diskCalls.push_back(fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) ? "fsync folder" : "fsync file");
    return fsync(fd);
}
int LoggedRename(const char *from, const char *to) {
    diskCalls.push_back("rename " + std::string(strrchr(to, '/') + 1));
    return rename(from, to);
}

// The name a table moved aside at time t takes first.
std::string AsideAt(time_t t) {
    struct tm utc;
    gmtime_r(&t, &utc);
    char text[64];
    strftime(text, sizeof text, "scores.unreadable-%Y%m%dT%H%M%SZ", &utc);
    return text;
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
        bool linked = false;  // the table is a link to a file of mode 0600 elsewhere
        bool earlier = false; // copies moved aside before hold the names it would take
    };
    std::string longLine =
        "0 3 200 1 2026-01-03T10:00:00Z game-20260103T100000Z-1-3.qrp " + std::string(600, 'x');
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
         std::string(kHeader) + kAlice +
             "0 2 300 1 2026-01-02T10:00:00Z game-20260102T100000Z-1-2.qrp " +
             std::string(65, '\a') + "\n",
         false,
         "0 2 300 1 2026-01-02T10:00:00Z game-20260102T100000Z-1-2.qrp " + std::string(65, '\a') +
             "\n",
         ":3: the name is empty or, escaped, longer than 256", 2, "alice"},
        {"a recording outside the folder",
         std::string(kHeader) + "0 1 500 2 2026-01-01T10:00:00Z ../x.qrp alice\n", false,
         "0 1 500 2 2026-01-01T10:00:00Z ../x.qrp alice\n", ":2: the recording is not", 1,
         "no scores yet"},
        {"a name with escapes",
         std::string(kHeader) +
             "0 1 500 2 2026-01-01T10:00:00Z game-20260101T100000Z-1-1.qrp ev\x1b[2Jil\n",
         false, "", "", 2, "ev\\x1b[2Jil", "\x1b"},
        {"a recording named like the table",
         std::string(kHeader) + kAlice + "0 2 300 1 2026-01-02T10:00:00Z scores bob\n", false,
         "0 2 300 1 2026-01-02T10:00:00Z scores bob\n",
         ":3: the recording is not named like the game's own", 2, "alice"},
        {"two entries naming one recording",
         std::string(kHeader) + kAlice +
             "1 1 300 1 2026-01-02T10:00:00Z game-20260101T100000Z-1-1.qrp bob\n",
         false, "1 1 300 1 2026-01-02T10:00:00Z game-20260101T100000Z-1-1.qrp bob\n",
         ":3: the recording is named by an earlier entry too", 2, "alice"},
        {"a link to a table kept elsewhere", std::string(kHeader) + kAlice + kBob, false, "", "", 3,
         "  1       500  level 2   alice", "", true},
        {"duplicated ranks",
         std::string(kHeader) +
             "0 1 300 1 2026-01-02T10:00:00Z game-20260102T100000Z-1-2.qrp bob\n" + kAlice,
         false, "", "", 3, "  1       500  level 2   alice"},
        {"a name escaped to exactly 256 characters",
         std::string(kHeader) + kAlice +
             "0 2 300 1 2026-01-02T10:00:00Z game-20260102T100000Z-1-2.qrp " +
             std::string(64, '\a') + "\n",
         false, "", "", 3, "alice"},
        {"a newer version, with earlier copies aside", std::string("quarndel-scores 2\n") + kAlice,
         true, "", "version 2 is not the version this game reads", 1, "no scores yet", "", false,
         true},
    };
    for (const Case &c : cases) {
        TempDir tmp;
        std::vector<std::string> earlier;
        for (int second = 0; c.earlier && second < 5; ++second) {
            earlier.push_back(AsideAt(time(nullptr) + second));
            WriteFile(tmp / earlier.back(), "an earlier copy\n");
        }
        std::string table = tmp / "scores";
        if (c.linked) {
            MakeDirs(tmp / "kept");
            table = tmp / "kept/scores";
            ASSERT_EQ(symlink("kept/scores", (tmp / "scores").c_str()), 0);
        }
        if (!c.text.empty()) {
            WriteFile(table, c.text);
            chmod(table.c_str(), 0600);
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
        EXPECT_EQ(EnterScore(tmp.Path(), Entry(0, 100, Rec(100)), "recorded\n", err), c.kept)
            << c.what;
        std::string warnings = ReadBack(err);
        fclose(err);
        for (const std::string &name : earlier) {
            EXPECT_EQ(Slurp(tmp / name), "an earlier copy\n") << c.what << ": " << name;
        }
        std::vector<std::string> aside = FilesStartingWith(tmp.Path(), "scores.unreadable-");
        aside.erase(std::remove_if(aside.begin(), aside.end(),
                                   [&](const std::string &name) {
                                       return std::find(earlier.begin(), earlier.end(), name) !=
                                              earlier.end();
                                   }),
                    aside.end());
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
        EXPECT_EQ(Slurp(tmp / Rec(100)), "recorded\n") << c.what;
        struct stat st; // a table rewritten keeps its mode
        EXPECT_TRUE(c.wholeAside || c.text.empty() ||
                    (stat(table.c_str(), &st) == 0 && (st.st_mode & 0777) == 0600))
            << c.what;
        if (c.linked) {
            EXPECT_TRUE(lstat((tmp / "scores").c_str(), &st) == 0 && S_ISLNK(st.st_mode));
            EXPECT_NE(Slurp(table).find(" " + Rec(100) + " "), std::string::npos);
        }
    }
}

TEST(ScoreTable, OnlyTheTenBestStayAndThosePushedOutLoseTheirRecordings) {
    TempDir tmp;
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(EnterScore(tmp.Path(), Entry(1, i * 10, Rec(i)), "x\n", stderr), 1);
    }
    EXPECT_EQ(EnterScore(tmp.Path(), Entry(1, 5, Rec(20)), "x\n", stderr), 0);
    EXPECT_EQ(Slurp(tmp / Rec(20)), "(none)");
    EXPECT_EQ(EnterScore(tmp.Path(), Entry(1, 55, Rec(21)), "x\n", stderr), 6);
    EXPECT_EQ(Slurp(tmp / Rec(1)), "(none)"); // the lowest, pushed out
    EXPECT_EQ(Slurp(tmp / Rec(2)), "x\n");
    EXPECT_EQ(EnterScore(tmp.Path(), Entry(2, 1, Rec(22)), "x\n", stderr), 1);
    // A name another entry keeps is never written over.
    FILE *taken = tmpfile();
    EXPECT_EQ(EnterScore(tmp.Path(), Entry(1, 1000, Rec(2)), "y\n", taken), -1);
    EXPECT_NE(ReadBack(taken).find("is not free"), std::string::npos);
    fclose(taken);
    EXPECT_EQ(Slurp(tmp / Rec(2)), "x\n");
    // The tenth place: a tie with it goes to the earlier game; one point
    // more takes it, and the entry it pushes out loses its recording.
    EXPECT_EQ(EnterScore(tmp.Path(), Entry(1, 20, Rec(25)), "x\n", stderr), 0);
    EXPECT_EQ(Slurp(tmp / Rec(25)), "(none)");
    EXPECT_EQ(EnterScore(tmp.Path(), Entry(1, 21, Rec(26)), "x\n", stderr), 10);
    EXPECT_EQ(Slurp(tmp / Rec(26)), "x\n");
    EXPECT_EQ(Slurp(tmp / Rec(2)), "(none)");

    // A bad line goes aside once, even when the games that follow make no
    // place: the table is rewritten without it.
    WriteFile(tmp / "scores", Slurp(tmp / "scores") + "1 1 bad\n");
    FILE *err = tmpfile();
    EXPECT_EQ(EnterScore(tmp.Path(), Entry(1, 4, Rec(23)), "x\n", err), 0);
    EXPECT_EQ(EnterScore(tmp.Path(), Entry(1, 3, Rec(24)), "x\n", err), 0);
    std::string warnings = ReadBack(err);
    fclose(err);
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1) << warnings;
    EXPECT_EQ(FilesStartingWith(tmp.Path(), "scores.unreadable-").size(), 1u);
    EXPECT_EQ(Slurp(tmp / "scores").find("bad"), std::string::npos);

    // An installed level set ranks its own games: a full shipped table
    // leaves it ten places, its entries name the set, and the shipped
    // entries keep their ranks.
    ScoreEntry set = Entry(1, 2, Rec(30));
    set.levels = "my_set";
    EXPECT_EQ(EnterScore(tmp.Path(), set, "x\n", stderr), 1);
    std::string table = Slurp(tmp / "scores");
    EXPECT_NE(table.find("1 1 2 1 2026-02-01T10:00:00Z " + Rec(30) + " levels=my_set carol\n"),
              std::string::npos)
        << table;
    EXPECT_NE(table.find("1 1 100 1 "), std::string::npos) << table;
    ScoreTable read;
    ScoreReadResult result;
    ReadScores(tmp.Path(), read, result);
    EXPECT_TRUE(result.badLines.empty());
    EXPECT_EQ(read.entries[1].back().levels, "my_set");
    WriteFile(tmp / "scores",
              table + "1 1 9 1 2026-02-01T10:00:00Z " + Rec(31) + " levels=../x carol\n");
    ReadScores(tmp.Path(), read, result);
    ASSERT_EQ(result.badLines.size(), 1u);
    EXPECT_NE(result.badLines[0].why.find("level set"), std::string::npos);
}

// A write cut between the temporary file and the rename, or refused by a
// full disk, leaves the old table whole and says so once.
TEST(ScoreTable, AnInterruptedOrFailedWriteLeavesTheOldTableWhole) {
    TempDir tmp;
    // Each file's data is on the disk before its name is, and the recording
    // before the table names it.
    diskCalls.clear();
    fsyncForAtomicWrite = LoggedFsync;
    renameForAtomicWrite = LoggedRename;
    ASSERT_EQ(EnterScore(tmp.Path(), Entry(0, 100, Rec(1)), "x\n", stderr), 1);
    fsyncForAtomicWrite = fsync;
    renameForAtomicWrite = rename;
    EXPECT_EQ(diskCalls, (std::vector<std::string>{"fsync file", "rename " + Rec(1), "fsync folder",
                                                   "fsync file", "rename scores", "fsync folder"}));
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
        EnterScore(tmp.Path(), Entry(0, 200, Rec(2)), "x\n", stderr);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(Slurp(tmp / "scores"), before);
    EXPECT_EQ(Slurp(tmp / Rec(2)), "x\n"); // whole, but named by no table
    std::vector<std::string> temporary = FilesStartingWith(tmp.Path(), "scores.new-");
    ASSERT_EQ(temporary.size(), 1u);
    EXPECT_NE(Slurp(tmp / temporary[0]).find(" " + Rec(2) + " "), std::string::npos);
    unlink((tmp / temporary[0]).c_str());

    struct Fault {
        const char *what;
        void (*arrange)();
        const char *table = nullptr; // the table's text when it is not the one above
        const char *warning = "cannot write";
    };
    const Fault faults[] = {
        {"a full disk",
         [] {
             signal(SIGXFSZ, SIG_IGN);
             struct rlimit limit = {1, 1};
             setrlimit(RLIMIT_FSIZE, &limit);
         }},
        {"a failed rename", [] { renameForAtomicWrite = FailRename; }},
        {"an unreadable table that cannot be moved aside",
         [] { renameForAtomicWrite = AsideRefused; }, "quarndel-scores 2\n", "nor move it aside"},
    };
    for (const Fault &f : faults) {
        WriteFile(tmp / "scores", f.table != nullptr ? f.table : before);
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        child = fork();
        if (child == 0) {
            f.arrange();
            FILE *err = fdopen(pipeFds[1], "w");
            int rank = EnterScore(tmp.Path(), Entry(0, 300, Rec(3)), "x\n", err);
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
        EXPECT_EQ(Slurp(tmp / "scores"), f.table != nullptr ? f.table : before) << f.what;
        EXPECT_EQ(Slurp(tmp / Rec(3)), "(none)") << f.what;
        EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1) << f.what << warnings;
        EXPECT_NE(warnings.find(f.warning), std::string::npos) << f.what << warnings;
        // Nothing else is left: no temporary file of any name, nothing aside.
        EXPECT_EQ(FilesStartingWith(tmp.Path(), ""),
                  (std::vector<std::string>{".", "..", Rec(1), Rec(2), "scores"}))
            << f.what;
    }
}

// --verify-scores replays only what the folder itself holds: a link out of
// it, a FIFO or a name not the game's own is refused, never followed.
TEST(ScoreTable, ARecordingIsReadOnlyFromARegularFileOfTheFolder) {
    TempDir tmp;
    WriteFile(tmp / "outside.qrp", "quarndel-replay 1\n");
    WriteFile(tmp / Rec(1), "quarndel-replay 1\n");
    ASSERT_EQ(symlink((tmp / "outside.qrp").c_str(), (tmp / Rec(2)).c_str()), 0);
    ASSERT_EQ(mkfifo((tmp / Rec(3)).c_str(), 0600), 0);
    struct Case {
        std::string name;
        PlayerRead read;
        const char *why;
    };
    const Case cases[] = {
        {Rec(1), PlayerRead::kRead, ""},
        {Rec(2), PlayerRead::kFailed, "a symbolic link"},
        {Rec(3), PlayerRead::kFailed, "not a regular file"},
        {Rec(4), PlayerRead::kMissing, ""},
        {"outside.qrp", PlayerRead::kFailed, "not a name the game gives"},
    };
    for (const Case &c : cases) {
        std::string text, why;
        EXPECT_EQ(ReadScoreRecording(tmp.Path(), c.name, text, why), c.read) << c.name;
        EXPECT_NE(why.find(c.why), std::string::npos) << c.name << ": " << why;
        EXPECT_EQ(text, c.read == PlayerRead::kRead ? "quarndel-replay 1\n" : "") << c.name;
    }
}

// --verify-scores fails an entry on every field that reaches its verdict:
// the stop line's score, level and difficulty against the entry's, the level
// set it was played with, and the replay's own end, a replay that dies by a
// signal included.
TEST(ScoreTable, VerifyingFailsAnEntryOnEachFieldOfItsVerdict) {
    TempDir tmp;
    // Stands in for the game: it ends as the recording's name says.
    const std::string game = tmp / "game";
    WriteFile(game, "#!/bin/sh\ncase \"$2\" in\n*-2.qrp) exit 1 ;;\n*-3.qrp) kill -KILL $$ ;;\n"
                    "esac\nexit 0\n");
    ASSERT_EQ(chmod(game.c_str(), 0755), 0);
    const std::string ends = "differs: the recording ends with score ";
    const std::string replayDiffers = "differs: the replay does not end as recorded";
    struct Case {
        const char *what;
        int recording;    // Rec(n): 2 ends with status 1, 3 dies by a signal
        std::string last; // the recording's last line; "" for no recording
        std::string verdict;
    };
    const Case cases[] = {
        {"as recorded", 1, "stop 1 500 2 0", "verified"},
        {"the stop line's score", 1, "stop 1 501 2 0", ends + "501, level 2, difficulty 0"},
        {"the stop line's level", 1, "stop 1 500 3 0", ends + "500, level 3, difficulty 0"},
        {"the stop line's difficulty", 1, "stop 1 500 2 1", ends + "500, level 2, difficulty 1"},
        {"an end line, no stop line", 1, "end 500 1 2 00000000 1",
         ends + "0, level 0, difficulty 0"},
        {"a replay that ends otherwise", 2, "stop 1 500 2 0", replayDiffers},
        {"a replay that dies by a signal", 3, "stop 1 500 2 0", replayDiffers},
        {"no recording", 4, "", "the recording " + tmp / Rec(4) + " is missing"},
        {"the recording's level set", 1, "levels my_set\nstop 1 500 2 0",
         "differs: the recording was played with the level set my_set"},
    };
    for (const Case &c : cases) {
        WriteFile(tmp / "scores", std::string(kHeader) + "0 1 500 2 2026-01-01T10:00:00Z " +
                                      Rec(c.recording) + " alice\n");
        unlink((tmp / Rec(c.recording)).c_str());
        if (!c.last.empty()) {
            WriteFile(tmp / Rec(c.recording), kHeaderOfRun + c.last + "\n");
        }
        FILE *out = tmpfile();
        FILE *err = tmpfile();
        int status = VerifyScores(tmp.Path(), game.c_str(), QUARNDEL_SOURCE_DIR, out, err);
        EXPECT_EQ(status, c.verdict == "verified" ? 0 : 1) << c.what;
        EXPECT_EQ(ReadBack(out), "Easy 1: 500 level 2 alice: " + c.verdict + "\n") << c.what;
        fclose(out);
        fclose(err);
    }
}

// The game's loop enters a score without waiting: while another game holds
// the folder's lock it is told to try again, and nothing is touched.
TEST(ScoreTable, TryEnterScoreNeverWaitsForAnotherGamesLock) {
    TempDir tmp;
    FolderLock other;
    ASSERT_EQ(TryLockFolder(tmp.Path(), other), LockTaken::kLocked);
    EXPECT_EQ(TryEnterScore(tmp.Path(), Entry(0, 100, Rec(1)), "x\n", stderr), kScoreTryAgain);
    EXPECT_EQ(Slurp(tmp / "scores"), "(none)");
    EXPECT_EQ(Slurp(tmp / Rec(1)), "(none)");
    UnlockFolder(other);
    EXPECT_EQ(TryEnterScore(tmp.Path(), Entry(0, 100, Rec(1)), "x\n", stderr), 1);
    EXPECT_EQ(Slurp(tmp / Rec(1)), "x\n");
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
                if (EnterScore(tmp.Path(), Entry(0, score, Rec(score)), "x\n", stderr) < 0) {
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
    EXPECT_EQ(FilesStartingWith(tmp.Path(), "game-").size(), 10u);
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
    // Standard output carries the documented messages only.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
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
        // Begun as --record's recordings are: the SDL that drew it follows the seed.
        std::string head = "quarndel-replay 1\nseed 7\nsdl " + SdlLibraryText(RunningSdl()) + "\n";
        EXPECT_EQ(recording.compare(0, head.size(), head), 0) << recording;
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

// A game that ends while another game holds the table's lock never stalls
// the loop: it enters on a later iteration, once the lock is free.
TEST_F(ScoreKeepingRun, AGameEndingWhileTheTableIsLockedEntersOnceItIsFree) {
    std::string folder = tmp / "scores";
    ASSERT_TRUE(MakeFolders(folder));
    FolderLock other;
    ASSERT_EQ(TryLockFolder(folder, other), LockTaken::kLocked);
    testing::internal::CaptureStderr();
    Start(folder);
    Play(2, 40, true);
    EXPECT_EQ(Slurp(folder + "/scores"), "(none)");
    UnlockFolder(other);
    EndReplayIteration(false);
    NoteScoreIteration();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Score 40 takes rank 1 of 10 in the Easy high scores\n");
}

// The score keeper's copy of the run is the recorder's second output: kept
// in memory, so a run makes nothing in the player's folders until a game
// enters the table; recorded the same way whatever the environment; and
// when it outgrows its bound, told at once and once.
class KeptRun : public ScoreKeepingRun {
  protected:
    // Spins until SDL's millisecond clock moves on (at most a millisecond).
    static void WaitForTheClock() {
        Uint32 now = SDL_GetTicks();
        while (SDL_GetTicks() == now) {
        }
    }
    static std::vector<std::string> Names(const std::string &dir) {
        std::vector<std::string> names = FilesStartingWith(dir, "");
        names.erase(std::remove_if(names.begin(), names.end(),
                                   [](const std::string &n) { return n == "." || n == ".."; }),
                    names.end());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(KeptRun, NothingIsMadeUntilAGameEntersTheTable) {
    std::string folder = tmp / "data/quarndel";
    Start(folder);
    Play(4, 0, true); // a game over without a score
    EXPECT_EQ(Names(tmp.Path()), std::vector<std::string>{}) << "made before a score";
    Play(2, 30, true);
    std::vector<std::string> names = Names(folder);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].compare(0, 5, "game-"), 0) << names[0];
    EXPECT_EQ(names[1], "scores");
}

TEST_F(KeptRun, TheClockStandsStillPerIterationWithoutHomeToo) {
    std::string home = getenv("HOME") != nullptr ? getenv("HOME") : "";
    std::string dataHome = getenv("XDG_DATA_HOME") != nullptr ? getenv("XDG_DATA_HOME") : "";
    unsetenv("HOME");
    unsetenv("XDG_DATA_HOME");
    options = Options();
    StartReplays(ReplayChoicesOf(options));
    StartScoreKeeping(options); // no folder for the table can be named
    ReplaySeed(7);
    Uint32 first = GetTicks();
    WaitForTheClock();
    Uint32 later = GetTicks();
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    EXPECT_EQ(later, first);
}

TEST_F(KeptRun, ACopyPastItsBoundIsToldWhenItStopsAndOnce) {
    std::string folder = tmp / "scores";
    Start(folder);
    KeepRunInMemory(kMaxReplayLine + 400); // room for a few minutes of idle iterations
    testing::internal::CaptureStderr();
    Play(10000, 0, false); // idle lines: a "*100" line a second
    std::string told = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
    EXPECT_NE(told.find("the run is no longer kept for the high scores: the recording reached "
                        "the most a run keeps in memory"),
              std::string::npos)
        << told;
    testing::internal::CaptureStderr();
    Play(2, 40, true);
    Play(2, 50, true);
    EndScoreKeeping();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(Slurp(folder + "/scores"), "(none)");
}

// --verify-scores with no data folder to replay in says so, and how to
// name one, instead of blaming every recording.
TEST_F(KeptRun, VerifyingWithoutADataFolderSaysSoBeforeReplaying) {
    std::string installed = std::string(InstalledDataFolder()) + "/data/level_1";
    struct stat info;
    if (stat(installed.c_str(), &info) == 0) {
        GTEST_SKIP() << "an installed data folder is found: " << installed;
    }
    Start(tmp / "scores");
    Play(2, 40, true);
    EndScoreKeeping();
    char *start = getcwd(nullptr, 0);
    ASSERT_NE(start, nullptr);
    ASSERT_EQ(chdir(tmp.Path().c_str()), 0); // no data/ here
    FILE *out = tmpfile();
    FILE *err = tmpfile();
    int status = VerifyScores(tmp / "scores", QUARNDEL_EXE, nullptr, out, err);
    EXPECT_EQ(chdir(start), 0);
    free(start);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ReadBack(out), "");
    std::string said = ReadBack(err);
    EXPECT_NE(said.find("no data folder found"), std::string::npos) << said;
    EXPECT_NE(said.find("--data-dir"), std::string::npos) << said;
    fclose(out);
    fclose(err);
}
