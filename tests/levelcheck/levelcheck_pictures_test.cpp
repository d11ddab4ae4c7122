// Pictures the game cannot load, backgrounds that do not fill or wrap, and
// pictures that run off the screen where the game draws them.
#include <cstdio>
#include <functional>

#include "tests/levelcheck/test_tree.h"

namespace {

struct PictureCase {
    const char *name;
    std::function<void(const TempDir &)> breakIt;
    const char *path;
    int line;
    Severity severity;
    const char *message;
};

// Failure messages name the case rather than dump its bytes.
void PrintTo(const PictureCase &c, std::ostream *os) {
    *os << c.name;
}

const PictureCase kPictureCases[] = {
    {"MissingScene", [](const TempDir &t) { remove((t / "data/level_1/scene.bmp").c_str()); },
     "data/level_1/leveldata", 7, Severity::Error,
     "SCENE \"data/level_1/scene.bmp\" is missing: the game scrolls no background"},
    {"UndecodableLevelPicture",
     [](const TempDir &t) { WriteFile((t / "data/level_2/title.bmp"), "BM not really"); },
     "data/level_2/leveldata", 2, Severity::Error,
     "LEVEL IMAGE \"data/level_2/title.bmp\" is not a BMP picture the game can read"},
    {"SmallBackground",
     [](const TempDir &t) { WriteBmp((t / "data/level_1/scene.bmp"), 320, 240, 0, 0, 40); },
     "data/level_1/scene.bmp", 0, Severity::Error,
     "the background is 320x240, not 640x480: the scroll shows black"},
    {"SeamWhereTheBackgroundWraps",
     [](const TempDir &t) { WriteStripedBackground((t / "data/level_2/scene.bmp")); },
     "data/level_2/scene.bmp", 0, Severity::Error, "column 639 does not run on into column 0"},
    {"HalvesOfTwoColours",
     [](const TempDir &t) {
         WriteTwoColourBackground((t / "data/level_1/scene.bmp"), 0x102080, 0x802010, true);
     },
     "data/level_1/scene.bmp", 0, Severity::Error, "a seam crosses the screen"},
    {"LevelPictureTooWide",
     [](const TempDir &t) { WriteBmp((t / "data/level_1/title.bmp"), 500, 40, 9, 9, 9); },
     "data/level_1/title.bmp", 0, Severity::Error,
     "the level picture is 500x40: drawn at (200, 100) it runs 60 pixels past the right edge"},
    {"BossOffTheScreen", [](const TempDir &t) { WriteSpriteSet((t / "data/boss"), 2, 300, 400); },
     "data/boss/info", 0, Severity::Error,
     "the boss is 300x400: drawn at (420, 110) it runs 80 pixels past the right edge and 30 "
     "pixels past the bottom"},
    {"BossOverTheCredits", [](const TempDir &t) { WriteSpriteSet((t / "data/boss"), 2, 200, 360); },
     "data/boss/info", 0, Severity::Warning, "it hides the credits line at y = 460"},
    {"TitleScreenTooSmall",
     [](const TempDir &t) { WriteBmp((t / "data/titlescreen.bmp"), 320, 240, 1, 2, 3); },
     "data/titlescreen.bmp", 0, Severity::Error, "not 640x480"},
    {"MissingDifficultyPicture",
     [](const TempDir &t) { remove((t / "data/difficulty/1.bmp").c_str()); },
     "data/difficulty/1.bmp", 0, Severity::Error, "is missing"},
    {"GameOverOffTheScreen",
     [](const TempDir &t) { WriteBmp((t / "data/gameover.bmp"), 640, 50, 1, 2, 3); },
     "data/gameover.bmp", 0, Severity::Error, "runs 10 pixels past the right edge"},
    {"TitleTuneNotMidi",
     [](const TempDir &t) { WriteFile((t / "data/music/title_screen.mid"), "RIFF"); },
     "data/music/title_screen.mid", 0, Severity::Error, "is not a MIDI file"},
};

class PictureTest : public CheckedTree, public ::testing::WithParamInterface<PictureCase> {};

TEST_P(PictureTest, ReportsThePictureOnce) {
    GetParam().breakIt(tree);
    Report report = Check();
    EXPECT_EQ(report.findings.size(), 1u) << Describe(report);
    EXPECT_TRUE(HasFinding(report, GetParam().path, GetParam().line, GetParam().severity,
                           GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureTest, ::testing::ValuesIn(kPictureCases),
                         [](const ::testing::TestParamInfo<PictureCase> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(CheckedTree, BusyBackgroundThatWrapsHasNoSeam) {
    // Every column differs from its neighbour by as much as 639 from 0, so
    // the wrap is no worse than the picture itself.
    WriteTwoColourBackground(At("data/level_1/scene.bmp"), 0x000000, 0xffffff, false);
    Report report = Check();
    EXPECT_TRUE(report.findings.empty()) << Describe(report);
}

} // namespace
