#include <climits>
#include <cstdarg>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "game/game.h"
#include "tests/support.h"
#include "web/fast_stdio.h"

namespace {

class FontTest : public ::testing::Test {
  protected:
    void SetUp() override { OpenTestScreen(); }

    // A 256-pixel sheet whose coverage is full only in cell-local columns 4,
    // 5 and 13 (a glyph of width 7 is cut from columns 5..13), every width 7
    // except code 200, which is 3.
    std::string MakeFont(const std::string &ini = "256", bool withWidths = true) {
        std::string dir = tmp / "font";
        MakeDirs(dir);
        WriteFile(dir + "/font.ini", ini);
        std::string raw(256 * 256, '\0');
        for (int y = 0; y < 256; ++y) {
            for (int x = 0; x < 256; ++x) {
                int local = x % 16;
                if (local == 5 || local == 13 || local == 4) {
                    raw[y * 256 + x] = (char)255;
                }
            }
        }
        WriteFile(dir + "/font.raw", raw);
        if (withWidths) {
            std::string widths(256, 7);
            widths[200] = 3;
            WriteFile(dir + "/font.dat", widths);
        }
        return dir;
    }
    bool Lit(int x, int y) { return (PixelAt(screen, x, y) >> 16) > 200; }

    TempDir tmp;
};

TEST_F(FontTest, GlyphWindowIsCentredOnItsCellAndThePenMovesByTheWidth) {
    BitmapFont *f = LoadFont(MakeFont().c_str());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->size, 256);
    EXPECT_EQ(f->cell, 16);
    SDL_FillRect(screen, nullptr, 0);
    DrawText(screen, f, 100, 50, "A%c", 'A');
    // Window of 'A' = cell columns 5..13, drawn at 100..108; column 4 is not
    // part of it.
    EXPECT_TRUE(Lit(100, 50));
    EXPECT_TRUE(Lit(108, 65));
    EXPECT_FALSE(Lit(99, 50));
    EXPECT_FALSE(Lit(101, 50));
    // The second glyph starts 7 pixels further on.
    EXPECT_TRUE(Lit(107, 50));
    EXPECT_TRUE(Lit(115, 50));
    EXPECT_FALSE(Lit(116, 50));
    EXPECT_FALSE(Lit(100, 66)); // one cell high
    EXPECT_EQ(TextWidth(f, "A%s", "A"), 14);
    FreeFont(f);
}

TEST_F(FontTest, HighCodesUseTheLowerHalfOfTheSheet) {
    BitmapFont *f = LoadFont(MakeFont().c_str());
    ASSERT_NE(f, nullptr);
    SDL_FillRect(screen, nullptr, 0);
    // Code 200 (column 8, row 12) of width 3: window from 8 - 1 = 7, 5 wide,
    // so it holds none of the lit columns.
    DrawText(screen, f, 10, 10, "\xc8");
    for (int x = 8; x < 20; ++x) {
        EXPECT_FALSE(Lit(x, 10)) << x;
    }
    EXPECT_EQ(TextWidth(f, "\xc8\xc8"), 6);
    EXPECT_EQ(TextWidth(f, "%s", ""), 0);
    FreeFont(f);
}

TEST_F(FontTest, SheetSideAndMissingFiles) {
    BitmapFont *odd = LoadFont(MakeFont("250").c_str());
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->cell, 15);
    FreeFont(odd);

    for (const char *bad : {"0", "-16", "15", "4097", "99999999999", "abc", ""}) {
        EXPECT_EQ(LoadFont(MakeFont(bad).c_str()), nullptr) << bad;
    }
    EXPECT_EQ(LoadFont((tmp / "nowhere").c_str()), nullptr);
    std::string dir = MakeFont();
    remove((dir + "/font.raw").c_str());
    EXPECT_EQ(LoadFont(dir.c_str()), nullptr);
    // Font paths are kept below 100 characters.
    EXPECT_EQ(LoadFont(std::string(120, 'f').c_str()), nullptr);
}

TEST_F(FontTest, ShortFilesCountAsFullAndMissingWidthsFillOneCell) {
    std::string dir = MakeFont("256", false);
    WriteFile(dir + "/font.raw", std::string(10, '\0'));
    BitmapFont *f = LoadFont(dir.c_str());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->pixels[3], 0);            // first pixel read from the file
    EXPECT_EQ(f->pixels[10 * 4 + 3], 255); // past the end: full coverage
    EXPECT_EQ(f->widths[65], 14);
    FreeFont(f);

    WriteFile(dir + "/font.dat", std::string(3, '\x05'));
    f = LoadFont(dir.c_str());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->widths[2], 5);
    EXPECT_EQ(f->widths[3], 255);
    FreeFont(f);
}

TEST_F(FontTest, ColourFactorsAreTruncatedToWholeNumbers) {
    std::string dir = MakeFont();
    WriteFile(dir + "/font.raw", std::string(4, '\xc8'));
    BitmapFont *f = LoadFont(dir.c_str(), 1.0f, 0.9f, 2.0f, 0.5f);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->pixels[0], 255);
    EXPECT_EQ(f->pixels[1], 0);
    EXPECT_EQ(f->pixels[2], (510 & 0xff));
    EXPECT_EQ(f->pixels[3], 100);
    FreeFont(f);
}

TEST_F(FontTest, NullFontAndOverlongTextAreSafe) {
    DrawText(screen, nullptr, 0, 0, "Score: %d", 5);
    EXPECT_EQ(TextWidth(nullptr, "abc"), 0);
    FreeFont(nullptr);
    BitmapFont *f = LoadFont(MakeFont().c_str());
    ASSERT_NE(f, nullptr);
    std::string longText(5000, 'A');
    DrawText(screen, f, -20, 470, "%s", longText.c_str());
    EXPECT_EQ(TextWidth(f, "%s", longText.c_str()), 1023 * 7);
    EXPECT_EQ(TextWidth(f, (longText + "%d").c_str(), 5), 1023 * 7);
    FreeFont(f);
}

// Numbers drawn from %d look exactly as printf writes them: with widths that
// differ from digit to digit, a digit out of place moves the glyphs after it.
TEST_F(FontTest, NumbersAreDrawnAsPrintfWritesThem) {
    std::string dir = MakeFont();
    std::string widths(256, 0);
    for (int c = 0; c < 256; ++c) {
        widths[c] = (char)(1 + c % 11);
    }
    WriteFile(dir + "/font.dat", widths);
    BitmapFont *f = LoadFont(dir.c_str());
    ASSERT_NE(f, nullptr);
    auto row = [] {
        std::vector<Uint32> pixels;
        for (int x = 0; x < 640; ++x) {
            pixels.push_back(PixelAt(screen, x, 2));
        }
        return pixels;
    };
    for (int v : {0, 7, -7, 120, -3401, 2147483647, INT_MIN}) {
        char want[64];
        snprintf(want, sizeof want, "Lives: %d of %d", v, 21);
        SDL_FillRect(screen, nullptr, 0);
        DrawText(screen, f, 3, 0, "%s", want);
        std::vector<Uint32> expected = row();
        SDL_FillRect(screen, nullptr, 0);
        DrawText(screen, f, 3, 0, "Lives: %d of %d", v, 21);
        EXPECT_EQ(row(), expected) << want;
        EXPECT_EQ(TextWidth(f, "Lives: %d of %d", v, 21), TextWidth(f, "%s", want)) << want;
    }
    FreeFont(f);
}

// vsnprintf as the browser build has it: web/'s fast writer, and the C
// library's where that one leaves the line to it.
int BrowserSnprintf(char *text, size_t size, const char *format, ...) {
    va_list args;
    va_start(args, format);
    int result = FastOrLibraryFormat(text, size, format, args, vsnprintf);
    va_end(args);
    return result;
}

// The browser build writes the game's lines with a vsnprintf of its own:
// every byte of the buffer and the count as the C library's, cut or not. A
// row's format takes (word, word) when it has %s, else (number, number).
TEST(FastFormat, WritesAsSnprintfDoes) {
    struct Row {
        size_t size;
        const char *format;
        int number;
        const char *word;
    };
    const Row rows[] = {
        {32, "Quarndel: %d", 60, nullptr},  {32, "Lives: %d", INT_MIN, nullptr},
        {32, "%d.%d", -7, nullptr},         {5, "Quarndel: %d", 60, nullptr},
        {12, "Quarndel: %d", -60, nullptr}, {1, "Quarndel", 0, nullptr},
        {0, "Quarndel", 0, nullptr},        {32, "%s/%s", 0, "level_1"},
        {9, "%s/%s", 0, "level_1"},         {32, "%s", 0, nullptr},
        {32, "100%% %d", 3, nullptr},       {32, "%5d", 3, nullptr},
    };
    for (const Row &row : rows) {
        char got[40];
        char want[40];
        memset(got, '#', sizeof got);
        memset(want, '#', sizeof want);
        bool words = strstr(row.format, "%s") != nullptr;
        int n = words ? BrowserSnprintf(got, row.size, row.format, row.word, row.word)
                      : BrowserSnprintf(got, row.size, row.format, row.number, row.number);
        int expected = words ? snprintf(want, row.size, row.format, row.word, row.word)
                             : snprintf(want, row.size, row.format, row.number, row.number);
        EXPECT_EQ(n, expected) << row.format << " in " << row.size;
        EXPECT_EQ(std::string(got, sizeof got), std::string(want, sizeof want))
            << row.format << " in " << row.size;
    }
}

// A font.ini that is a FIFO fails like a missing one, at once; without
// font.dat a sheet whose cells are 1 pixel gives widths of 0, not -1.
TEST_F(FontTest, OnlyRegularFilesAndNoNegativeFallbackWidth) {
    std::string dir = MakeFont();
    remove((dir + "/font.ini").c_str());
    ASSERT_EQ(mkfifo((dir + "/font.ini").c_str(), 0644), 0);
    EXPECT_EQ(LoadFont(dir.c_str()), nullptr);
    remove((dir + "/font.ini").c_str());
    const struct {
        const char *side;
        int width;
    } kCases[] = {{"16", 0}, {"31", 0}, {"47", 0}, {"48", 1}};
    for (const auto &c : kCases) {
        dir = MakeFont(c.side, false);
        remove((dir + "/font.dat").c_str());
        BitmapFont *f = LoadFont(dir.c_str());
        ASSERT_NE(f, nullptr) << c.side;
        EXPECT_EQ(f->widths[65], c.width) << c.side;
        EXPECT_EQ(TextWidth(f, "AB"), 2 * c.width) << c.side;
        FreeFont(f);
    }
}

} // namespace
