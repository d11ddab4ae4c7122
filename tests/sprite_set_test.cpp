#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/game.h"
#include "sprites/image.h"
#include "tests/support.h"
#include "web/fast_stdio.h"
#include "window/sdl_library.h"

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

    // A frame whose path is kPathSize - 1 characters long loads; one
    // character more and the path no longer fits.
    std::string room = MakeSet("");
    std::string name = std::string(kPathSize - 1 - room.size() - 1 - 4, 'n') + ".bmp";
    WriteBmp(room + "/" + name, 8, 8, 1, 2, 3);
    WriteBmp(room + "/n" + name, 8, 8, 1, 2, 3);
    WriteFile(room + "/info", "FILES: 1\n" + name + " 10\n");
    SpriteSet fits;
    EXPECT_EQ(fits.Load(room.c_str()), 0);
    WriteFile(room + "/info", "FILES: 1\nn" + name + " 10\n");
    SpriteSet over;
    EXPECT_EQ(over.Load(room.c_str()), -1);
}

// sscanf as the browser build has it: web/'s fast reader, and the C
// library's where that one leaves the text to it.
int BrowserSscanf(const char *text, const char *format, ...) {
    va_list args;
    va_start(args, format);
    int result = FastOrLibraryScan(text, format, args);
    va_end(args);
    return result;
}

// The browser build reads the data files with a sscanf of its own; every
// value stored, every value left as it was and the count must be what the C
// library's sscanf makes of the same line.
TEST(FastScan, ReadsAsSscanfDoes) {
    const std::string lines[] = {
        "a.bmp 10 1 2 3",
        "  a.bmp\t10\v1\f2\r3\n",
        "a.bmp",
        "",
        "   \n",
        "a.bmp x",
        "a.bmp 10 -1 +2 -0",
        "a.bmp - 5",
        "a.bmp -",
        "a.bmp +-5",
        "a.bmp 10 2x 3",
        "a.bmp 12abc 4",
        "a.bmp 0010 007 000000001",
        "a.bmp 999999999 -999999999",
        "a.bmp 1234567890 1",
        "a.bmp 10 -2147483648 2147483647",
        "a.bmp 99999999999999999999 5",
        "a.bmp 10 20 30 40 50 60",
        "a\x01b.bmp 5",
        "\xc3\xa9.bmp\xa0 5",
        std::string(254, 'n'),
        std::string(253, 'n') + " 5",
        std::string(300, 'n') + " 5",
        std::string(254, 'n') + "7 5",
    };
    const char *keys[] = {"ENEMY 2: ", "ENEMY 2:", "ENEMY  2 :", "ENEMY",       "ENEMY 3: ",
                          "ENEMY2: ",  "",         " ENEMY 2: ", "ENEMY 2: 1 2"};
    for (const std::string &line : lines) {
        char name[kLineSize + 64] = "old";
        int v[4] = {7, 8, 9, 10};
        char expectedName[kLineSize + 64] = "old";
        int e[4] = {7, 8, 9, 10};
        int n = BrowserSscanf(line.c_str(), kFrameLineFormat, name, &v[0], &v[1], &v[2], &v[3]);
        int expected =
            sscanf(line.c_str(), kFrameLineFormat, expectedName, &e[0], &e[1], &e[2], &e[3]);
        EXPECT_EQ(n, expected) << line;
        EXPECT_STREQ(name, expectedName) << line;
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(v[i], e[i]) << line << " value " << i;
        }
        // The same numbers after a key: the key's characters and blanks
        // must match as sscanf matches them.
        for (const char *key : keys) {
            std::string keyed = key + line.substr(line.find_first_of(" \t") == std::string::npos
                                                      ? line.size()
                                                      : line.find_first_of(" \t"));
            int k[3] = {1, 2, 3};
            int ek[3] = {1, 2, 3};
            EXPECT_EQ(BrowserSscanf(keyed.c_str(), "ENEMY 2: %d %d %d", &k[0], &k[1], &k[2]),
                      sscanf(keyed.c_str(), "ENEMY 2: %d %d %d", &ek[0], &ek[1], &ek[2]))
                << keyed;
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(k[i], ek[i]) << keyed << " value " << i;
            }
        }
    }
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

// The fields of a BMP file the pre-check reads, and how the file is cut.
struct BmpSpec {
    const char *name;
    bool loads; // whether LoadBmp gives a picture
    int bits = 24;
    int width = 3;
    int height = 2; // below 0 for a top-down file
    Uint32 compression = 0;
    Uint32 colorsUsed = 0;
    bool masks = false; // three masks after the info header
    Uint32 mask[3] = {0, 0, 0};
    int infoSize = 40;
    int palette = -1; // palette entries written; -1: what the file declares
    long cut = 0;     // bytes taken off the end
    Uint8 pixel = 1;  // the value of every pixel byte
};

std::string Le(Uint32 v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) {
        s += (char)((v >> (8 * i)) & 0xff);
    }
    return s;
}

std::string MakeBmp(const BmpSpec &b) {
    int entries = b.palette >= 0 ? b.palette
                  : b.bits > 8   ? 0
                  : b.colorsUsed ? (int)b.colorsUsed
                                 : 1 << b.bits;
    int entrySize = b.infoSize == 12 ? 3 : 4;
    std::string info = Le(b.infoSize, 4);
    if (b.infoSize == 12) {
        info += Le(b.width, 2) + Le(b.height, 2) + Le(1, 2) + Le(b.bits, 2);
    } else {
        info += Le(b.width, 4) + Le((Uint32)b.height, 4) + Le(1, 2) + Le(b.bits, 2) +
                Le(b.compression, 4) + Le(0, 4) + Le(2835, 4) + Le(2835, 4) + Le(b.colorsUsed, 4) +
                Le(0, 4);
    }
    std::string tables;
    if (b.masks) {
        tables = Le(b.mask[0], 4) + Le(b.mask[1], 4) + Le(b.mask[2], 4);
    }
    for (int i = 0; i < entries; ++i) {
        tables += std::string(1, (char)(i * 7)) + std::string(entrySize - 1, (char)i);
    }
    long offset = 14 + (long)info.size() + (long)tables.size();
    long pitch = ((long)b.width * b.bits + 31) / 32 * 4;
    std::string pixels(pitch * std::abs(b.height), (char)b.pixel);
    std::string file =
        "BM" + Le(offset + pixels.size(), 4) + Le(0, 4) + Le(offset, 4) + info + tables + pixels;
    return file.substr(0, file.size() - b.cut);
}

// What SDL decodes correctly loads as SDL decodes it; what it mishandles
// (masks its blitters shift by wrongly, a file ending before the data SDL
// reads) never reaches it.
TEST_F(SpriteSetTest, BmpPreCheckLetsThroughWhatSdlDecodesSoundly) {
    const Uint32 k565[3] = {0xf800, 0x07e0, 0x001f};
    const Uint32 k888[3] = {0xff0000, 0xff00, 0xff};
    std::vector<BmpSpec> cases;
    auto add = [&](BmpSpec b) { cases.push_back(b); };
    add({"24-bit", true});
    add({"24-bit top-down", true, 24, 3, -2});
    add({"32-bit", true, 32});
    add({"16-bit", true, 16});
    add({"1-bit", true, 1, 9, 2});
    add({"4-bit", true, 4, 5, 2});
    add({"8-bit", true, 8});
    add({"8-bit with a short palette", true, 8, 3, 2, 0, 16});
    add({"12-byte header", true, 24, 3, 2, 0, 0, false, {}, 12});
    add({"12-byte header, 8-bit", true, 8, 3, 2, 0, 0, false, {}, 12});
    add({"16-bit 5-6-5 bit fields", true, 16, 3, 2, 3, 0, true, {k565[0], k565[1], k565[2]}});
    add({"32-bit 8-8-8 bit fields", true, 32, 3, 2, 3, 0, true, {k888[0], k888[1], k888[2]}});
    add({"32-bit masks after the header", true, 32, 3, 2, 0, 0, true, {k888[0], k888[1], k888[2]}});
    add({"zero mask", false, 16, 3, 2, 3, 0, true, {0, k565[1], k565[2]}});
    add({"mask not one run", false, 16, 3, 2, 3, 0, true, {0xf00f, 0x00f0, 0x0f00}});
    add({"overlapping masks", false, 16, 3, 2, 3, 0, true, {0xf800, 0x0fe0, 0x001f}});
    add({"mask beyond 16 bits", false, 16, 3, 2, 3, 0, true, {0x1f0000, k565[1], k565[2]}});
    add({"mask wider than 8 bits", false, 32, 3, 2, 3, 0, true, {0x3ff00000, 0xffc00, 0x3ff}});
    add({"masks exactly 8 bits wide", true, 16, 3, 2, 3, 0, true, {0xff00, 0x00f0, 0x000f}});
    add({"one mask 9 bits wide", false, 32, 3, 2, 3, 0, true, {0x1ff0000, 0xff00, 0xff}});
    // Uncompressed, but the pixels start after the header: SDL reads masks
    // there all the same.
    add({"wide masks after the header", false, 32, 3, 2, 0, 0, true, {0x3ff00000, 0xffc00, 0x3ff}});
    BmpSpec maskCut = {"file ends in the masks", false, 16, 3, 2, 3, 0, true, {}};
    maskCut.cut = 2 * 8 + 6; // two 8-byte rows and half the masks
    add(maskCut);
    add({"run-length compression", false, 8, 3, 2, 1});
    add({"palette beyond the depth", false, 1, 3, 2, 0, 3});
    // SDL would load this one: only the padding of the last row is missing.
    BmpSpec shortRows = {"one byte of pixels missing", false, 1, 9, 2};
    shortRows.cut = 1;
    add(shortRows);
    BmpSpec shortPalette = {"palette cut", false, 8, 1, 1, 0, 0, false, {}, 40, 10};
    add(shortPalette);
    BmpSpec header = {"file ends in the header", false};
    header.cut = 2 * 12 + 10; // two 12-byte rows and 10 bytes of the header
    add(header);

    for (const BmpSpec &b : cases) {
        std::string path = tmp / "case.bmp";
        WriteFile(path, MakeBmp(b));
        SDL_Surface *ours = LoadBmp(path.c_str());
        // sdl12-compat decodes with SDL 2, which refuses 16-bit masks 8 bits
        // wide: that picture is missing there, as SDL decides.
        bool refusedBySdl2 = b.bits == 16 && b.mask[0] == 0xff00 && RunningSdl().compat;
        EXPECT_EQ(ours != nullptr, b.loads && !refusedBySdl2) << b.name;
        if (ours != nullptr) {
            SDL_Surface *sdl = SDL_LoadBMP(path.c_str());
            ASSERT_NE(sdl, nullptr) << b.name;
            EXPECT_EQ(ours->w, sdl->w) << b.name;
            EXPECT_EQ(ours->h, sdl->h) << b.name;
            EXPECT_EQ(ours->format->BitsPerPixel, sdl->format->BitsPerPixel) << b.name;
            EXPECT_EQ(memcmp(ours->pixels, sdl->pixels, (size_t)sdl->pitch * sdl->h), 0) << b.name;
            SDL_FreeSurface(sdl);
            SDL_FreeSurface(ours);
        }
    }

    // The pixel budget: a picture is refused beyond the budget it is given,
    // and beyond 2048 x 2048 pixels whatever its sides.
    std::string path = tmp / "wide.bmp";
    WriteFile(path, MakeBmp({"3x2", true}));
    EXPECT_EQ(LoadBmp(path.c_str(), 5), nullptr);
    SDL_Surface *fits = LoadBmp(path.c_str(), 6);
    EXPECT_NE(fits, nullptr);
    SDL_FreeSurface(fits);
    BmpSpec huge = {"4096 x 4096 1-bit", false, 1, 4096, 4096};
    WriteFile(path, MakeBmp(huge));
    EXPECT_EQ(LoadImage(path.c_str()), nullptr);
}

// One load of a set decodes at most kSetPixelBudget pixels: one 1024x1024
// picture named with three colour keys decodes twice, and the third frame
// fails like a missing picture. The same key again costs nothing.
TEST_F(SpriteSetTest, OneLoadDecodesWithinTheSetBudget) {
    std::string dir = MakeSet("FILES: 3\nbig.bmp 10 1 0 0\nbig.bmp 10 2 0 0\nbig.bmp 10 3 0 0\n");
    WriteBmp(dir + "/big.bmp", 1024, 1024, 1, 0, 0);
    SpriteSet set;
    EXPECT_EQ(set.Load(dir.c_str()), -1);
    EXPECT_NE(set.frames[0].image, nullptr);
    EXPECT_NE(set.frames[1].image, nullptr);
    EXPECT_EQ(set.frames[2].image, nullptr);
    WriteFile(dir + "/info", "FILES: 3\nbig.bmp 10 1 0 0\nbig.bmp 10 1 0 0\nbig.bmp 10 1 0 0\n");
    EXPECT_EQ(set.Load(dir.c_str()), 0);
    // Each load has its own budget.
    WriteFile(dir + "/info", "FILES: 2\nbig.bmp 10 1 0 0\nbig.bmp 10 2 0 0\n");
    EXPECT_EQ(set.Load(dir.c_str()), 0);
}

// FIFOs, devices and folders fail like missing files, at once and with the
// message of a missing file; a symbolic link to a regular file is read.
TEST_F(SpriteSetTest, OnlyRegularFilesAreRead) {
    std::string dir = MakeSet("FILES: 1\na.bmp 10\n");
    std::string info = dir + "/info";
    std::string linked = tmp / "linked";
    MakeDirs(linked);
    ASSERT_EQ(symlink(info.c_str(), (linked + "/info").c_str()), 0);
    ASSERT_EQ(symlink((dir + "/a.bmp").c_str(), (linked + "/a.bmp").c_str()), 0);
    SpriteSet set;
    EXPECT_EQ(set.Load(linked.c_str()), 0);
    EXPECT_NE(set.Image(0), nullptr);

    remove(info.c_str());
    ASSERT_EQ(mkfifo(info.c_str(), 0644), 0);
    for (const std::string &folder : {dir, std::string("")}) {
        SpriteSet other;
        testing::internal::CaptureStdout();
        EXPECT_EQ(other.Load(folder.c_str()), -1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "ERROR opening file " + folder + "/info\n\n");
        EXPECT_EQ(other.built, 0);
    }
    remove(info.c_str());
    ASSERT_EQ(symlink("/dev/zero", info.c_str()), 0);
    EXPECT_EQ(set.Load(dir.c_str()), -1);
    EXPECT_EQ(set.frameCount, 1); // the set stays as it was

    std::string fifo = tmp / "fifo.bmp";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    for (const std::string &path :
         {fifo, std::string("/dev/ptmx"), std::string("/dev/zero"), tmp.Path(), std::string("")}) {
        EXPECT_EQ(LoadImage(path.c_str()), nullptr) << path;
    }
    remove(info.c_str());
    WriteFile(info, "FILES: 1\n../fifo.bmp 10\n");
    EXPECT_EQ(set.Load(dir.c_str()), -1);
}

} // namespace
