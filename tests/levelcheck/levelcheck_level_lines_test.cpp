// Lines of a level file that the game ignores or reads otherwise than they
// look, and lines that look odd but read as meant; and the lines of a level
// set's description.
#include "tests/levelcheck/test_tree.h"

#include "levelsets/level_set.h"

namespace {

const char *const kLevel1 = "data/level_1/leveldata";

struct LineCase {
    const char *name;
    const char *replaces; // the complete level's line the case takes the place of
    std::string line;
    const char *message; // empty: the line reads as meant, nothing is reported
};

// Failure messages name the case rather than dump its bytes.
void PrintTo(const LineCase &c, std::ostream *os) {
    *os << c.name;
}

const LineCase kLineCases[] = {
    {"LowerCaseKey", "", "scene: data/level_1/scene.bmp", "its key is not in capitals"},
    {"BlankBeforeKey", "", " DISTANCE: 2",
     "it starts with a blank or tab, so it does not set DISTANCE"},
    {"TabBeforeKey", "", "\tBOSS_HP: 3", "it starts with a blank or tab"},
    {"BlankBeforeColon", "", "DISTANCE : 2", "a blank stands before the colon"},
    {"ColonMissing", "", "DISTANCE 3",
     "the game ignores this line: the colon after DISTANCE is missing, so it does not set "
     "DISTANCE"},
    {"NumberMissing", "", "DISTANCE: x", "DISTANCE has no number the game can read"},
    {"EnemyWithTwoNumbers", "ENEMY 2:", "ENEMY 2: 0 4",
     "ENEMY 2 gives 2 of its 3 numbers: the speed class keeps 0 (the game's starting value)"},
    {"ValueCutAtBlank", "BULLET:", "BULLET: data/bullet and more",
     "the value stops at the first blank: the game reads BULLET as \"data/bullet\" and ignores "
     "\"and more\""},
    {"TextAfterNumber", "BOSS_HP:", "BOSS_HP: 3 hits", "reads BOSS_HP as 3 and ignores \"hits\""},
    {"LevelAfterFirstLine", "", "LEVEL: 7", "ignores LEVEL lines after it"},
    {"UnknownKey", "", "SPEED: 4", "the game knows no key \"SPEED:\""},
    {"KeyRepeated", "", "DISTANCE: 5", "DISTANCE is set again: the value from line 4 is replaced"},
    {"LongLineTailSetsKey", "", "#" + std::string(253, 'x') + "SCENE: data/level_1/scene.bmp",
     "longer than 254 characters: the game cuts it and reads the text from column 255 on as a "
     "line of its own, which sets SCENE"},
    {"LongLineTailIgnored", "", "#" + std::string(300, 'x'),
     "from column 255 on as a line of its own, which it ignores"},
    {"KeyWithoutBlanks", "LEVEL IMAGE:", "LEVELIMAGE:data/level_1/title.bmp", ""},
    {"CarriageReturnLineEnd", "DISTANCE:", "DISTANCE:    2\r", ""},
    {"CommentedKey", "", "# SCENE: data/elsewhere.bmp", ""},
    {"BlanksOnly", "", "   ", ""},
    {"LineOfExactly254", "", "#" + std::string(253, 'x'), ""},
};

class LevelLineTest : public CheckedTree, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LevelLineTest, ReportsWhatTheGameMakesOfTheLine) {
    const LineCase &c = GetParam();
    int line = EditLevel(1, c.replaces, c.line);
    Report report = Check();
    EXPECT_EQ(report.Count(Severity::Error), 0) << Describe(report);
    if (c.message[0] == '\0') {
        EXPECT_EQ(report.Count(Severity::Warning), 0) << Describe(report);
    } else {
        EXPECT_EQ(report.Count(Severity::Warning), 1) << Describe(report);
        EXPECT_TRUE(HasFinding(report, kLevel1, line, Severity::Warning, c.message));
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, LevelLineTest, ::testing::ValuesIn(kLineCases),
                         [](const ::testing::TestParamInfo<LineCase> &info) {
                             return std::string(info.param.name);
                         });

struct FirstLineCase {
    const char *name;
    const char *line;
    const char *message;
};

// Failure messages name the case rather than dump its bytes.
void PrintTo(const FirstLineCase &c, std::ostream *os) {
    *os << c.name;
}

const FirstLineCase kFirstLineCases[] = {
    {"Comment", "# Level one",
     "the first line must be \"LEVEL: n\": the game reads the level "
     "number from line 1 only, so it stays 0"},
    {"KeyLine", "SCENE: data/level_1/scene.bmp", "it never reads this SCENE line"},
    {"TextAfterNumber", "LEVEL: 1 of 2", "reads the level number as 1 and ignores \"of 2\""},
};

class FirstLineTest : public CheckedTree, public ::testing::WithParamInterface<FirstLineCase> {};

TEST_P(FirstLineTest, OnlyLevelNumberIsReadOnLineOne) {
    SetFirstLine(GetParam().line);
    Report report = Check();
    EXPECT_EQ(report.findings.size(), 1u) << Describe(report);
    EXPECT_TRUE(HasFinding(report, kLevel1, 1, Severity::Warning, GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(Lines, FirstLineTest, ::testing::ValuesIn(kFirstLineCases),
                         [](const ::testing::TestParamInfo<FirstLineCase> &info) {
                             return std::string(info.param.name);
                         });

struct SetLineCase {
    const char *name;
    const char *line; // after "NAME: level_1" and "AUTHOR: A. Author"
    Severity severity;
    const char *message; // empty: the line reads as meant
    const char *firstLevel;
};

// Failure messages name the case rather than dump its bytes.
void PrintTo(const SetLineCase &c, std::ostream *os) {
    *os << c.name;
}

const SetLineCase kSetLineCases[] = {
    {"NameNotTheFolder", "NAME: other", Severity::Error,
     "NAME \"other\" is not the set's folder name \"level_1\"", "data/level_1"},
    {"FirstLevelOutsideTheSet", "FIRST LEVEL: data/level_2", Severity::Error,
     "FIRST LEVEL \"data/level_2\" is not data/level_1 or a folder inside it", "data/level_1"},
    {"FirstLevelClimbingOut", "FIRST LEVEL: data/level_1/../level_2", Severity::Error,
     "is not data/level_1 or a folder inside it", "data/level_1"},
    {"UnknownKey", "SPEED: 4", Severity::Warning, "unknown line", "data/level_1"},
    {"ColonMissing", "FIRST LEVEL data/level_1/bonus", Severity::Warning,
     "no colon after the key, so this line sets nothing", "data/level_1"},
    {"FirstLevelInside", "FIRST LEVEL:  data/level_1/bonus\r", Severity::Warning, "",
     "data/level_1/bonus"},
};

class SetLineTest : public CheckedTree, public ::testing::WithParamInterface<SetLineCase> {};

// The level folder data/level_1 as a set of its own, described.
TEST_P(SetLineTest, ReportsTheDescriptionLineWithItsNumber) {
    const SetLineCase &c = GetParam();
    std::string folder = At("data/level_1");
    WriteFile(folder + "/" + kLevelSetFile,
              std::string("# my levels\nNAME: level_1\nAUTHOR: A. Author\n") + c.line + "\n");
    LevelSet set;
    Report report;
    ReadLevelSet(folder, set, report);
    if (c.message[0] == '\0') {
        EXPECT_TRUE(report.findings.empty()) << Describe(report);
    } else {
        EXPECT_EQ(report.findings.size(), 1u) << Describe(report);
        EXPECT_TRUE(HasFinding(report, folder + "/levelset", 4, c.severity, c.message));
    }
    EXPECT_EQ(set.name, "level_1");
    EXPECT_EQ(set.author, "A. Author");
    EXPECT_EQ(set.firstLevel, c.firstLevel);
}

INSTANTIATE_TEST_SUITE_P(Lines, SetLineTest, ::testing::ValuesIn(kSetLineCases),
                         [](const ::testing::TestParamInfo<SetLineCase> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(CheckedTree, CompleteTreeHasNoFindings) {
    Report report = Check();
    EXPECT_TRUE(report.findings.empty()) << Describe(report);
    EXPECT_EQ(report.levels, 2);
    EXPECT_EQ(FormatSummary(report), "quarndel-check: 2 levels, 0 errors, 0 warnings");
}

} // namespace
