// Frame-list files whose count, header or frames do not make the set they
// seem to describe.
#include "tests/levelcheck/test_tree.h"

namespace {

struct SetCase {
    const char *name;
    const char *dir;  // the set rewritten, its frames f0.bmp and f1.bmp of 72x52
    const char *info; // its new frame-list file
    const char *path;
    int line;
    Severity severity;
    const char *message;
};

// Failure messages name the case rather than dump its bytes.
void PrintTo(const SetCase &c, std::ostream *os) {
    *os << c.name;
}

const SetCase kSetCases[] = {
    {"MoreAnnouncedThanListed", "data/ship", "FILES: 3\nf0.bmp 100 0 0 0\nf1.bmp 100 0 0 0\n",
     "data/ship/info", 1, Severity::Error,
     "FILES announces 3 frames but the file lists 2: frame 2 draws nothing"},
    {"FewerAnnouncedThanListed", "data/ship",
     "FILES: 1\n# one\nf0.bmp 100 0 0 0\nf1.bmp 100 0 0 0\n", "data/ship/info", 4, Severity::Error,
     "the game stops before this line and never reads it"},
    {"HeaderAfterComment", "data/ship", "# ship\nFILES: 2\nf0.bmp 100 0 0 0\nf1.bmp 100 0 0 0\n",
     "data/ship/info", 2, Severity::Error, "the FILES line must be the very first line"},
    {"FramesOfTwoSizes", "data/ship", "FILES: 2\nf0.bmp 100 0 0 0\nwide.bmp 100 0 0 0\n",
     "data/ship/info", 3, Severity::Error, "\"wide.bmp\" is 80x52 but frame 0 is 72x52"},
    {"MissingFrameBitmap", "data/bullet", "FILES: 2\nf0.bmp 100 0 0 0\nnone.bmp 100 0 0 0\n",
     "data/bullet/info", 3, Severity::Error,
     "frame 1: \"none.bmp\" is missing: the game stops loading this set here"},
    {"FrameLineShort", "data/ship", "FILES: 2\nf0.bmp 100\nf1.bmp 100 0 0 0\n", "data/ship/info", 2,
     Severity::Warning, "gives 2 of its 5 values: the game takes 0 for the red, green, blue"},
    {"BlanksRepeatAFrame", "data/ship", "FILES: 2\nf0.bmp 100 0 0 0\n   \n", "data/ship/info", 3,
     Severity::Warning, "a line of blanks is not skipped"},
    {"OneEnemyFrame", "data/enemy", "FILES: 1\nf0.bmp 100 0 0 0\n", "data/enemy/info", 0,
     Severity::Error, "the enemies need 2"},
};

class SpriteSetTest : public CheckedTree, public ::testing::WithParamInterface<SetCase> {};

TEST_P(SpriteSetTest, ReportsTheSetOnce) {
    const SetCase &c = GetParam();
    WriteSpriteSet(At(c.dir), 2, 72, 52);
    WriteBmp(At(std::string(c.dir) + "/wide.bmp"), 80, 52, 1, 2, 3);
    WriteFile(At(std::string(c.dir) + "/info"), c.info);
    Report report = Check();
    EXPECT_EQ(report.findings.size(), 1u) << Describe(report);
    EXPECT_TRUE(HasFinding(report, c.path, c.line, c.severity, c.message));
}

INSTANTIATE_TEST_SUITE_P(Sets, SpriteSetTest, ::testing::ValuesIn(kSetCases),
                         [](const ::testing::TestParamInfo<SetCase> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(CheckedTree, MissingSetFolderIsReportedAtTheLineThatNamesIt) {
    int line = EditLevel(1, "BOSS:", "BOSS: data/no_boss");
    Report report = Check();
    EXPECT_TRUE(HasFinding(report, "data/level_1/leveldata", line, Severity::Error,
                           "BOSS folder \"data/no_boss\" has no readable frame-list file"));
}

TEST_F(CheckedTree, LaterShipOfAnotherSizeKeepsTheFirstHitBox) {
    WriteSpriteSet(At("data/ship2"), 2, 80, 60);
    int line = EditLevel(2, "SHIP:", "SHIP: data/ship2");
    Report report = Check();
    EXPECT_EQ(report.findings.size(), 1u) << Describe(report);
    EXPECT_TRUE(HasFinding(report, "data/level_2/leveldata", line, Severity::Warning,
                           "the SHIP frames are 80x60, but the game keeps the hit box of the "
                           "first SHIP set it loaded (72x52"));
}

} // namespace
