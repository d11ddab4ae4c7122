// The real quarndel-check executable: the shipped data tree passes clean, and
// the exit status tells errors and bad usage apart.
#include "tests/levelcheck/test_tree.h"

namespace {

std::string RunChecker(const std::string &dir, const std::string &args, int *status) {
    std::string output;
    *status = RunCommand("cd '" + dir + "' && '" QUARNDEL_CHECK_EXE "' " + args, &output);
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

} // namespace
