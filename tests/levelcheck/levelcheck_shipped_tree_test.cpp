// The real quarndel-check executable: the shipped data tree passes clean, and
// the exit status tells errors and bad usage apart.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "level/level_info.h"
#include "sprites/data_file.h"
#include "tests/levelcheck/test_tree.h"

namespace {

// Runs the checker in dir, after the shell command limits (such as a ulimit)
// when given; a file grown past a limit fails to write rather than ending it.
std::string RunChecker(const std::string &dir, const std::string &args, int *status,
                       const std::string &limits = "true") {
    std::string output;
    *status = RunCommand("cd '" + dir + "' && (trap '' XFSZ; " + limits + " && '" +
                             QUARNDEL_CHECK_EXE "' " + args + ")",
                         &output);
    return output;
}

TEST(LevelCheckExecutable, ShippedTreeHasNoErrorsAndNoWarnings) {
    int status = -1;
    std::string output = RunChecker(QUARNDEL_SOURCE_DIR, "", &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output, "quarndel-check: 3 levels, 0 errors, 0 warnings\n");
}

TEST(LevelCheckExecutable, ExitStatusTellsErrorsFromBadUsage) {
    TempDir empty;
    struct {
        const char *dir;
        const char *args;
        int status;
    } cases[] = {{QUARNDEL_SOURCE_DIR, "--help", 0},
                 {QUARNDEL_SOURCE_DIR, "data/level_2", 0},
                 {QUARNDEL_SOURCE_DIR, "data/level_1 data/level_2", 2},
                 {QUARNDEL_SOURCE_DIR, "--strict", 2},
                 {empty.Path().c_str(), "", 1}};
    for (const auto &c : cases) {
        int status = -1;
        std::string output = RunChecker(c.dir, c.args, &status);
        EXPECT_EQ(status, c.status) << c.dir << " " << c.args << "\n" << output;
    }
}

// A starter level from --new-level: beside the shipped levels, in a data
// folder whose entries lead to the shipped ones.
TEST(LevelCheckExecutable, NewLevelPassesCleanHasACommentOverEveryKeyAndIsNeverRewritten) {
    TempDir tree;
    MakeDirs(tree / "data");
    for (const char *entry : {"level_1", "ship", "bullet", "enemy", "cursor", "font", "music",
                              "difficulty", "titlescreen.bmp", "paused.bmp", "gameover.bmp"}) {
        ASSERT_EQ(symlink((std::string(QUARNDEL_SOURCE_DIR) + "/data/" + entry).c_str(),
                          (tree / "data/" + entry).c_str()),
                  0);
    }
    // A disk that fills half way (files of at most 50 KB): nothing is left,
    // and the second try writes the level.
    int status = -1;
    std::string output = RunChecker(tree.Path(), "--new-level data/mine", &status, "ulimit -f 100");
    EXPECT_EQ(status, 1) << output;
    EXPECT_NE(output.find("could not write the whole level"), std::string::npos) << output;
    output.clear();
    RunCommand("ls -A '" + tree / "data" + "' | grep mine", &output);
    EXPECT_EQ(output, "") << "left behind";
    output = RunChecker(tree.Path(), "--new-level data/mine", &status);
    ASSERT_EQ(status, 0) << output;
    output = RunChecker(tree.Path(), "data/mine", &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output, "quarndel-check: 1 level, 0 errors, 0 warnings\n");

    std::ifstream file(tree / "data/mine/leveldata");
    std::string line, previous;
    int keys = 0;
    for (int n = 1; std::getline(file, line); ++n, previous = line) {
        if (n == 1 || line.empty() || line[0] == '#') {
            continue;
        }
        EXPECT_EQ(previous[0], '#') << "no comment over line " << n << ": " << line;
        ++keys;
    }
    EXPECT_EQ(keys, kLevelKeyCount);

    WriteFile(tree / "data/mine/leveldata", "LEVEL: 7\n");
    output = RunChecker(tree.Path(), "--new-level data/mine", &status);
    EXPECT_EQ(status, 1) << output;
    std::string kept;
    ReadRegularFile((tree / "data/mine/leveldata").c_str(), 100, kept);
    EXPECT_EQ(kept, "LEVEL: 7\n");

    // A folder path at the longest the game reads whole in every line of the
    // level file (231 characters: "LEVEL IMAGE: " + path + "/title.bmp" is
    // 254) makes a level that passes clean; one more is refused.
    for (size_t length : {231, 232}) {
        std::string dir = "data/" + std::string(120, 'd') + "/" +
                          std::string(length - 126, length == 231 ? 'a' : 'b');
        ASSERT_EQ(dir.size(), length);
        output = RunChecker(tree.Path(), "--new-level " + dir, &status);
        if (length == 231) {
            ASSERT_EQ(status, 0) << output;
            output = RunChecker(tree.Path(), dir, &status);
            EXPECT_EQ(status, 0) << output;
            EXPECT_EQ(output, "quarndel-check: 1 level, 0 errors, 0 warnings\n");
        } else {
            EXPECT_EQ(status, 1) << output;
            EXPECT_NE(output.find("must be one word of at most 231 characters"), std::string::npos)
                << output;
            struct stat info;
            EXPECT_NE(stat((tree / dir).c_str(), &info), 0) << "a refused level was made";
        }
    }
}

} // namespace
