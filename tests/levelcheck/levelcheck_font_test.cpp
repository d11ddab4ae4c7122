// Font files whose sizes do not make the sheet and width table the game reads.
#include "tests/levelcheck/test_tree.h"

namespace {

struct FontCase {
    const char *name;
    std::string ini;
    long rawBytes;
    long datBytes; // -1: no font.dat
    const char *path;
    Severity severity;
    const char *message;
};

// Failure messages name the case rather than dump its bytes.
void PrintTo(const FontCase &c, std::ostream *os) {
    *os << c.name;
}

const FontCase kFontCases[] = {
    {"SideTooSmall", "8\n", 64, 256, "data/font/font.ini", Severity::Error,
     "a whole number from 16 to 4096: the game loads no font"},
    {"SideNotANumber", "big\n", 65536, 256, "data/font/font.ini", Severity::Error,
     "a whole number from 16 to 4096"},
    {"SideNoMultipleOf16", "100\n", 10000, 256, "data/font/font.ini", Severity::Warning,
     "the sheet side 100 is no multiple of 16: the glyph cells are 6 pixels"},
    {"SideWithText", "256 pixels\n", 65536, 256, "data/font/font.ini", Severity::Warning,
     "reads the sheet side as 256 and ignores what follows it"},
    {"RawShort", "256\n", 65535, 256, "data/font/font.raw", Severity::Error,
     "holds 65535 bytes but a 256x256 sheet needs 65536"},
    {"RawLong", "256\n", 70000, 256, "data/font/font.raw", Severity::Warning,
     "the game never reads the last 4464"},
    {"WidthsShort", "256\n", 65536, 200, "data/font/font.dat", Severity::Error,
     "a width of 255 pixels"},
    {"WidthsMissing", "256\n", 65536, -1, "data/font/font.dat", Severity::Error,
     "is missing: every character gets the cell side less 2"},
};

class FontTest : public CheckedTree, public ::testing::WithParamInterface<FontCase> {};

TEST_P(FontTest, ReportsTheFontFileOnce) {
    const FontCase &c = GetParam();
    WriteFile(At("data/font/font.ini"), c.ini);
    WriteFile(At("data/font/font.raw"), std::string(c.rawBytes, '\x80'));
    remove(At("data/font/font.dat").c_str());
    if (c.datBytes >= 0) {
        WriteFile(At("data/font/font.dat"), std::string(c.datBytes, '\x08'));
    }
    Report report = Check();
    EXPECT_EQ(report.findings.size(), 1u) << Describe(report);
    EXPECT_TRUE(HasFinding(report, c.path, 0, c.severity, c.message));
}

INSTANTIATE_TEST_SUITE_P(Font, FontTest, ::testing::ValuesIn(kFontCases),
                         [](const ::testing::TestParamInfo<FontCase> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
