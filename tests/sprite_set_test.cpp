#include <gtest/gtest.h>

#include "game/game.h"
#include "sprites/image.h"
#include "tests/support.h"

namespace {

class SpriteSetTest : public ::testing::Test {
  protected:
    void SetUp() override { OpenTestScreen(); }
    TempDir tmp;

    // A set folder with frames a.bmp (32x48, red), b.bmp (16x16, green),
    // c.bmp, d.bmp, magenta.bmp (8x8 magenta) and the given info file.
    std::string MakeSet(const std::string &info) {
        std::string dir = tmp / "set";
        MakeDirs(dir);
        WriteBmp(dir + "/a.bmp", 32, 48, 255, 0, 0);
        WriteBmp(dir + "/b.bmp", 16, 16, 0, 255, 0);
        WriteBmp(dir + "/c.bmp", 16, 16, 0, 0, 255);
        WriteBmp(dir + "/d.bmp", 16, 16, 9, 9, 9);
        WriteBmp(dir + "/magenta.bmp", 8, 8, 255, 0, 255);
        WriteBmp(dir + "/black.bmp", 8, 8, 0, 0, 0);
        WriteFile(dir + "/info", info);
        return dir;
    }

    static bool KeyedOn(SDL_Surface *s, Uint8 r, Uint8 g, Uint8 b) {
        return (s->flags & SDL_SRCCOLORKEY) &&
               s->format->colorkey == SDL_MapRGB(s->format, r, g, b);
    }
};

TEST_F(SpriteSetTest, CountsOnlyFrameLinesAndStopsAtTheAnnouncedCount) {
    SpriteSet set;
    std::string dir = MakeSet("FILES: 3\n# a comment\n\na.bmp 10 0 0 0\r\n\r\nb.bmp 20\n"
                              "c.bmp 30 -1 0 0\nd.bmp 40 0 0 0\n");
    EXPECT_EQ(set.Load(dir.c_str()), 0);
    EXPECT_EQ(set.built, 1);
    ASSERT_EQ(set.frameCount, 3);
    EXPECT_EQ(set.frames[0].pause, 10);
    EXPECT_EQ(set.frames[1].pause, 20);
    EXPECT_EQ(set.frames[2].pause, 30);
    EXPECT_EQ(set.frames[2].image->w, 16);
    EXPECT_EQ(set.w, 32);
    EXPECT_EQ(set.h, 48);
}

TEST_F(SpriteSetTest, ColourKeysCarryOverAndWrapModulo256) {
    SpriteSet set;
    // Frame 0 ends after its pause: black is keyed. Frame 1 has no key.
    // Frame 2 keys magenta. Frame 3 repeats frame 2's numbers. Frame 4 keys
    // 511, 256, 767 = (255, 0, 255). A line of spaces repeats frame 4.
    std::string dir = MakeSet("FILES: 6\nblack.bmp 100\nb.bmp 100 -1 0 0\n"
                              "magenta.bmp 100 255 0 255\nc.bmp\nmagenta.bmp 5 511 256 767\n   \n");
    ASSERT_EQ(set.Load(dir.c_str()), 0);
    ASSERT_EQ(set.frameCount, 6);
    EXPECT_TRUE(KeyedOn(set.frames[0].image, 0, 0, 0));
    EXPECT_FALSE(set.frames[1].image->flags & SDL_SRCCOLORKEY);
    EXPECT_TRUE(KeyedOn(set.frames[2].image, 255, 0, 255));
    EXPECT_TRUE(KeyedOn(set.frames[3].image, 255, 0, 255));
    EXPECT_EQ(set.frames[3].pause, 100);
    EXPECT_TRUE(KeyedOn(set.frames[4].image, 255, 0, 255));
    EXPECT_EQ(set.frames[5].pause, 5);
    EXPECT_EQ(set.frames[5].image->w, 8);
}

TEST_F(SpriteSetTest, HeaderMustBeTheFirstLine) {
    SpriteSet set;
    set.frameCount = 0;
    std::string dir = MakeSet("# frames\nFILES: 2\na.bmp 1\n");
    EXPECT_EQ(set.Load(dir.c_str()), 0);
    EXPECT_EQ(set.built, 1);
    EXPECT_EQ(set.frameCount, 0); // the header did not match: nothing loads
    EXPECT_EQ(set.w, 0);

    // Over a loaded set, a header that does not parse keeps the count of the
    // last load, and the lines after it are read as frames.
    ASSERT_EQ(set.Load(MakeSet("FILES: 2\na.bmp 1\nb.bmp 2\n").c_str()), 0);
    ASSERT_EQ(set.Load(MakeSet("FILES two\nc.bmp 5\nd.bmp 6\n").c_str()), 0);
    ASSERT_EQ(set.frameCount, 2);
    EXPECT_EQ(set.frames[0].pause, 5);
    EXPECT_EQ(set.frames[1].pause, 6);
}

TEST_F(SpriteSetTest, ReloadKeepsTheFirstSizeAndTakesTheNewFrames) {
    SpriteSet set;
    std::string first = MakeSet("FILES: 1\na.bmp 10\n");
    ASSERT_EQ(set.Load(first.c_str()), 0);
    std::string second = tmp / "second";
    WriteSpriteSet(second, 2, 64, 64);
    ASSERT_EQ(set.Load(second.c_str()), 0);
    EXPECT_EQ(set.frameCount, 2);
    EXPECT_EQ(set.frames[1].image->w, 64);
    EXPECT_EQ(set.w, 32);
    EXPECT_EQ(set.h, 48);
}

TEST_F(SpriteSetTest, MissingInfoPrintsOnceAndLeavesTheSetAlone) {
    SpriteSet set;
    std::string dir = tmp / "nothing";
    testing::internal::CaptureStdout();
    EXPECT_EQ(set.Load(dir.c_str()), -1);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "ERROR opening file " + dir + "/info\n\n");
    EXPECT_EQ(set.built, 0);
    EXPECT_EQ(set.frames, nullptr);
}

TEST_F(SpriteSetTest, FailingFrameStopsTheLoadWithTheEarlierFramesKept) {
    SpriteSet set;
    std::string dir = MakeSet("FILES: 3\na.bmp 10\nmissing.bmp 10\nb.bmp 10\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(set.Load(dir.c_str()), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), ""); // no message for a frame
    EXPECT_EQ(set.built, 1);
    EXPECT_EQ(set.frameCount, 3);
    EXPECT_NE(set.frames[0].image, nullptr);
    EXPECT_EQ(set.frames[1].image, nullptr);
    EXPECT_EQ(set.w, 32);
}

TEST_F(SpriteSetTest, PictureNamedAgainWithTheSameKeySharesOneSurface) {
    SpriteSet set;
    std::string dir = MakeSet("FILES: 4\nb.bmp 10\nb.bmp 20\nb.bmp 30 -1 0 0\nc.bmp 40\n");
    ASSERT_EQ(set.Load(dir.c_str()), 0);
    EXPECT_EQ(set.frames[0].image, set.frames[1].image);
    EXPECT_NE(set.frames[1].image, set.frames[2].image); // another colour key
    EXPECT_EQ(set.frames[1].pause, 20);
    // Loading again releases every frame once (the sanitizer build checks).
    ASSERT_EQ(set.Load(dir.c_str()), 0);
    EXPECT_EQ(set.frames[0].image->refcount, 2);
}

TEST_F(SpriteSetTest, HostileCountsAndLinesAreBounded) {
    SpriteSet set;
    std::string dir = MakeSet("FILES: 2000000000\na.bmp 10\n");
    EXPECT_EQ(set.Load(dir.c_str()), 0);
    EXPECT_EQ(set.frameCount, kMaxFrames);

    SpriteSet negative;
    dir = MakeSet("FILES: -5\na.bmp 10\n");
    EXPECT_EQ(negative.Load(dir.c_str()), 0);
    EXPECT_EQ(negative.frameCount, 0);
    EXPECT_EQ(negative.frames, nullptr);

    // A 300-character comment: its tail is read as a line of its own, which
    // names no loadable frame.
    SpriteSet longLine;
    dir = MakeSet("FILES: 1\n#" + std::string(299, 'x') + "\na.bmp 10\n");
    EXPECT_EQ(longLine.Load(dir.c_str()), -1);

    // A first frame line of spaces has no name to repeat.
    SpriteSet blank;
    dir = MakeSet("FILES: 1\n   \n");
    EXPECT_EQ(blank.Load(dir.c_str()), -1);

    // A folder too long for the path buffer fails like a missing one.
    SpriteSet tooLong;
    std::string longDir(400, 'd');
    testing::internal::CaptureStdout();
    EXPECT_EQ(tooLong.Load(longDir.c_str()), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ERROR opening file " + longDir + "/info\n\n");
}

TEST_F(SpriteSetTest, LoadImageRefusesBrokenPictures) {
    std::string dir = tmp.Path();
    EXPECT_EQ(LoadImage((dir + "/none.bmp").c_str()), nullptr);
    WriteFile(dir + "/text.bmp", "this is not a picture");
    EXPECT_EQ(LoadImage((dir + "/text.bmp").c_str()), nullptr);
    // A header announcing a 100000 x 100000 picture is refused before SDL
    // allocates anything.
    std::string huge = "BM" + std::string(12, '\0') + std::string("\x28\0\0\0", 4) +
                       std::string("\xa0\x86\x01\0\xa0\x86\x01\0", 8) +
                       std::string("\1\0\x18\0", 4) + std::string(24, '\0');
    WriteFile(dir + "/huge.bmp", huge);
    EXPECT_EQ(LoadImage((dir + "/huge.bmp").c_str()), nullptr);
    WriteBmp(dir + "/ok.bmp", 3, 2, 1, 2, 3);
    SDL_Surface *ok = LoadImage((dir + "/ok.bmp").c_str());
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->format->BitsPerPixel, screen->format->BitsPerPixel);
    EXPECT_EQ(PixelAt(ok, 2, 1), 0x010203u);
    EXPECT_FALSE(ok->flags & SDL_SRCCOLORKEY);
}

} // namespace
