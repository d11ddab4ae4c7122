// The NEXT LEVEL chain and the values a level keeps from the level before.
#include "tests/levelcheck/test_tree.h"

namespace {

struct ChainCase {
    const char *name;
    int level;            // the level file edited
    const char *replaces; // its line taken out
    const char *line;     // the line put at its end (none when empty)
    const char *path;     // where the finding is
    int findingLine;      // -1: the edited line
    Severity severity;
    const char *message;
};

// Failure messages name the case rather than dump its bytes.
void PrintTo(const ChainCase &c, std::ostream *os) {
    *os << c.name;
}

const ChainCase kChainCases[] = {
    {"LoopBackToFirstLevel", 2, "NEXT LEVEL:", "NEXT LEVEL: data/level_1", "data/level_2/leveldata",
     -1, Severity::Error, "leads back to a level played before"},
    {"LoopBySecondSpelling", 2, "NEXT LEVEL:", "NEXT LEVEL: ./data/../data/level_1",
     "data/level_2/leveldata", -1, Severity::Error, "leads back to a level played before"},
    {"MissingNextLevel", 2, "NEXT LEVEL:", "NEXT LEVEL: data/level_9", "data/level_2/leveldata", -1,
     Severity::Error, "\"data/level_9\" has no readable leveldata file"},
    {"KeyKeptFromPreviousLevel", 2, "BOSS:", "", "data/level_2/leveldata", 0, Severity::Warning,
     "no BOSS line: BOSS keeps the previous level's value \"data/boss\""},
    {"EnemyKeptFromPreviousLevel", 2, "ENEMY 3:", "", "data/level_2/leveldata", 0,
     Severity::Warning, "no ENEMY 3 line: ENEMY 3 keeps the previous level's value 0 2 1"},
    {"FirstLevelStartsFromZero", 1, "DISTANCE:", "", "data/level_1/leveldata", 0, Severity::Warning,
     "no DISTANCE line: DISTANCE keeps the game's starting value 0"},
    {"FirstLevelWithoutScene", 1, "SCENE:", "", "data/level_1/leveldata", 0, Severity::Error,
     "no SCENE line in this level or one before it: the game scrolls no background"},
    {"NextLevelKeptLeadsBackToItself", 2, "NEXT LEVEL:", "", "data/level_2/leveldata", 0,
     Severity::Error, "\"data/level_2\" leads back to a level played before"},
    {"SetMissingInLaterLevel", 2, "BOSS:", "BOSS: data/gone", "data/level_2/leveldata", -1,
     Severity::Error,
     "no readable frame-list file \"info\": the game shows the BOSS of \"data/boss\" again"},
    {"DistanceZero", 1, "DISTANCE:", "DISTANCE: 0", "data/level_1/leveldata", -1, Severity::Warning,
     "the boss comes as soon as the level starts"},
    {"BossHpBeyondTheBound", 1, "BOSS_HP:", "BOSS_HP: 2147483647", "data/level_1/leveldata", -1,
     Severity::Warning,
     "BOSS_HP 2147483647 lies beyond -1000000 to 1000000: the game counts it as 1000000"},
    {"EnemyHpBeyondTheBound", 2, "ENEMY 1:", "ENEMY 1: 0 -1000001 0", "data/level_2/leveldata", -1,
     Severity::Warning, "the hit points of ENEMY 1 -1000001 lies beyond"},
    {"EnemySpeedBeyondTheBound", 2, "ENEMY 2:", "ENEMY 2: 0 1 1000001", "data/level_2/leveldata",
     -1, Severity::Warning, "the speed class of ENEMY 2 1000001 lies beyond"},
    {"NoBossInTheFirstLevel", 1, "BOSS:", "BOSS: data/gone", "data/level_1/leveldata", -1,
     Severity::Error,
     "no readable frame-list file \"info\": the boss counts as destroyed as soon as it would "
     "come, for no score"},
};

class ChainTest : public CheckedTree, public ::testing::WithParamInterface<ChainCase> {};

TEST_P(ChainTest, ReportsWhereTheChainGoesWrong) {
    const ChainCase &c = GetParam();
    int line = EditLevel(c.level, c.replaces, c.line);
    Report report = Check();
    EXPECT_TRUE(HasFinding(report, c.path, c.findingLine < 0 ? line : c.findingLine, c.severity,
                           c.message));
    EXPECT_EQ(report.levels, 2);
}

INSTANTIATE_TEST_SUITE_P(Chain, ChainTest, ::testing::ValuesIn(kChainCases),
                         [](const ::testing::TestParamInfo<ChainCase> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(CheckedTree, LevelsAfterAnIgnoredLineKeepTheValueBefore) {
    // The misspelt line leaves level 2 with level 1's value, which both the
    // line and the whole-file warning name.
    int line = EditLevel(2, "BOSS_HP:", "BOSS_HP : 9");
    Report report = Check();
    EXPECT_TRUE(HasFinding(report, "data/level_2/leveldata", line, Severity::Warning,
                           "a blank stands before the colon, so it does not set BOSS_HP"));
    EXPECT_TRUE(HasFinding(report, "data/level_2/leveldata", 0, Severity::Warning,
                           "BOSS_HP keeps the previous level's value 3"));
}

TEST_F(CheckedTree, BossSetWithoutAPictureIsAnError) {
    MakeDirs(At("data/noboss"));
    WriteFile(At("data/noboss/info"), "FILES: 1\nmissing.bmp 10\n");
    int line = EditLevel(2, "BOSS:", "BOSS: data/noboss");
    Report report = Check();
    EXPECT_TRUE(HasFinding(report, "data/level_2/leveldata", line, Severity::Error,
                           "BOSS folder \"data/noboss\" gives the game no boss picture: the boss "
                           "counts as destroyed as soon as it would come, for no score"));
}

TEST_F(CheckedTree, MissingFirstLevelReadsNoLevel) {
    Report report = Check("data/level_5");
    EXPECT_TRUE(
        HasFinding(report, "data/level_5/leveldata", 0, Severity::Error, "cannot be opened"));
    EXPECT_EQ(report.levels, 0);
}

TEST_F(CheckedTree, CheckingFromTheSecondLevelStartsFromZero) {
    EditLevel(2, "SHIP:", "");
    Report report = Check("data/level_2");
    EXPECT_EQ(report.levels, 1);
    EXPECT_TRUE(HasFinding(report, "data/level_2/leveldata", 0, Severity::Error,
                           "no SHIP line in this level or one before it"));
}

} // namespace
