#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <set>
#include <string>

#include "game/game.h"
#include "sprites/data_file.h"
#include "tests/support.h"

namespace {

class LevelLoadTest : public ::testing::Test {
  protected:
    // Loads text as a level file into a fresh record (or the given one).
    LevelInfo Load(const std::string &text, LevelInfo start = LevelInfo()) {
        WriteLevel(tmp / "lvl", text);
        start.Load((tmp / "lvl").c_str());
        return start;
    }
    TempDir tmp;
};

struct ScanCase {
    const char *name;
    const char *text;
    int distance;      // expected distance
    const char *scene; // expected scene
};

// Each case's file starts with "LEVEL: 1"; the record starts with distance 0
// and an empty scene.
const ScanCase kScanCases[] = {
    {"plain", "DISTANCE: 5\nSCENE: a.bmp\n", 5, "a.bmp"},
    {"no blank after colon", "DISTANCE:5\nSCENE:a.bmp\n", 5, "a.bmp"},
    {"many blanks and tabs", "DISTANCE: \t  5\nSCENE:   a.bmp\n", 5, "a.bmp"},
    {"blank before the key", " DISTANCE: 5\n\tSCENE: a.bmp\n", 0, ""},
    {"lower case key", "distance: 5\nScene: a.bmp\n", 0, ""},
    {"blank before the colon", "DISTANCE : 5\nSCENE : a.bmp\n", 0, ""},
    {"missing value", "DISTANCE: \nSCENE:\n", 0, ""},
    {"malformed number", "DISTANCE: x5\n", 0, ""},
    {"number followed by text", "DISTANCE: 12abc\n", 12, ""},
    {"signed number", "DISTANCE: -3\n", -3, ""},
    {"value cut at a blank", "SCENE: my scene.bmp\n", 0, "my"},
    {"crlf line ends", "DISTANCE: 7\r\nSCENE: b.bmp\r\n\r\n", 7, "b.bmp"},
    {"last repeated key wins", "DISTANCE: 1\nDISTANCE: 2\n", 2, ""},
    {"comments and blanks skipped", "# DISTANCE: 9\n\n\r\nDISTANCE: 3\n", 3, ""},
    {"level line after the first ignored", "LEVEL: 9\nDISTANCE: 4\n", 4, ""},
};

TEST_F(LevelLoadTest, KeyScanningFollowsFormattedInputRules) {
    for (const ScanCase &c : kScanCases) {
        LevelInfo info = Load(std::string("LEVEL: 1\n") + c.text);
        EXPECT_EQ(info.distance, c.distance) << c.name;
        EXPECT_STREQ(info.scene, c.scene) << c.name;
        EXPECT_EQ(info.levelNumber, 1) << c.name;
    }
    // A NUL byte ends the text of its line for the scanners.
    LevelInfo info = Load(std::string("LEVEL: 1\nDISTANCE: 6\nSCENE: x\0y.bmp\n", 36));
    EXPECT_EQ(info.distance, 6);
    EXPECT_STREQ(info.scene, "x");
}

TEST_F(LevelLoadTest, EveryKeyFillsItsField) {
    LevelInfo info =
        Load("LEVEL: 4\nLEVEL IMAGE: img.bmp\nNEXTLEVEL: data/level_5\n"
             "DISTANCE: 8\nBOSS: data/boss\nBOSS_HP: 12\nSCENE: s.bmp\nSHIP: data/ship\n"
             "BULLET: data/bullet\nENEMY 1: 1 2 3\nENEMY 2: 4 5 6\nENEMY 3: 7 8 9\n");
    EXPECT_EQ(info.levelNumber, 4);
    EXPECT_STREQ(info.levelImage, "img.bmp");
    EXPECT_STREQ(info.nextLevel, "data/level_5"); // the blank may be left out
    EXPECT_EQ(info.distance, 8);
    EXPECT_STREQ(info.boss, "data/boss");
    EXPECT_EQ(info.bossHp, 12);
    EXPECT_STREQ(info.scene, "s.bmp");
    EXPECT_STREQ(info.ship, "data/ship");
    EXPECT_STREQ(info.bullet, "data/bullet");
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(info.enemyParam[k], 1 + 3 * k);
        EXPECT_EQ(info.enemyHp[k], 2 + 3 * k);
        EXPECT_EQ(info.enemySpeed[k], 3 + 3 * k);
    }
}

TEST_F(LevelLoadTest, FirstLineIsAlwaysTheLevelNumberLine) {
    LevelInfo before;
    before.levelNumber = 3;
    LevelInfo info = Load("# comment\nDISTANCE: 2\n", before);
    EXPECT_EQ(info.levelNumber, 3);
    EXPECT_EQ(info.distance, 2);
    info = Load("SCENE: first.bmp\nDISTANCE: 2\n");
    EXPECT_STREQ(info.scene, "");
    info = Load("");
    EXPECT_EQ(info.levelNumber, 0);
}

TEST_F(LevelLoadTest, EnemyValuesStoreLeftToRightUntilOneIsMissing) {
    LevelInfo before;
    before.enemySpeed[1] = 77;
    LevelInfo info = Load("LEVEL: 1\nENEMY 2: 4 5\nENEMY 1: 1 x 3\n", before);
    EXPECT_EQ(info.enemyParam[1], 4);
    EXPECT_EQ(info.enemyHp[1], 5);
    EXPECT_EQ(info.enemySpeed[1], 77);
    EXPECT_EQ(info.enemyParam[0], 1);
    EXPECT_EQ(info.enemyHp[0], 0);
    EXPECT_EQ(info.enemySpeed[0], 0);
}

TEST_F(LevelLoadTest, LongLinesAreReadInPiecesOf254) {
    // The comment's first 254 characters are skipped; its last 46 form a key
    // line of their own.
    std::string tail = "DISTANCE: 42";
    std::string comment = "#" + std::string(253, 'x') + tail + std::string(46 - tail.size(), ' ');
    LevelInfo info = Load("LEVEL: 1\n" + comment + "\n");
    EXPECT_EQ(info.distance, 42);
    // A value can never overflow its field, whatever the line holds.
    info = Load("LEVEL: 1\nSCENE: " + std::string(600, 'y') + "\n");
    EXPECT_EQ(strlen(info.scene), 254u - strlen("SCENE: "));
}

TEST_F(LevelLoadTest, ChainKeepsWhatTheNextLevelLeavesOut) {
    WriteLevel(tmp / "one", "LEVEL: 1\nBOSS_HP: 5\nNEXT LEVEL: " + (tmp / "two") + "\nSCENE: a\n");
    WriteLevel(tmp / "two", "LEVEL: 2\nSCENE: b\n");
    LevelInfo info;
    info.Load((tmp / "one").c_str());
    info.Load(info.nextLevel); // overwrites its own argument while reading
    EXPECT_EQ(info.levelNumber, 2);
    EXPECT_EQ(info.bossHp, 5);
    EXPECT_STREQ(info.scene, "b");
    EXPECT_EQ(std::string(info.nextLevel), tmp / "two");
}

TEST_F(LevelLoadTest, UnreadableFileLeavesTheRecordAndSaysSo) {
    LevelInfo info;
    info.distance = 9;
    std::string dir = tmp / "missing";
    testing::internal::CaptureStdout();
    info.Load(dir.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ERROR opening file " + dir + "/leveldata\n\n");
    EXPECT_EQ(info.distance, 9);

    std::string longDir(300, 'L');
    testing::internal::CaptureStdout();
    info.Load(longDir.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ERROR opening file " + longDir + "/leveldata\n\n");
    EXPECT_EQ(info.distance, 9);
}

// A level file that is a FIFO, a folder or a link to an endless device fails
// like a missing one, at once; a huge file is read up to its first MiB.
TEST_F(LevelLoadTest, OnlyRegularLevelFilesAreReadAndOnlyTheirFirstMegabyte) {
    std::string fifo = tmp / "fifo";
    std::string folder = tmp / "folder";
    std::string zero = tmp / "zero";
    MakeDirs(fifo);
    MakeDirs(folder + "/leveldata");
    MakeDirs(zero);
    ASSERT_EQ(mkfifo((fifo + "/leveldata").c_str(), 0644), 0);
    ASSERT_EQ(symlink("/dev/zero", (zero + "/leveldata").c_str()), 0);
    for (const std::string &dir : {fifo, folder, zero, std::string("")}) {
        LevelInfo info;
        info.distance = 9;
        testing::internal::CaptureStdout();
        info.Load(dir.c_str());
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "ERROR opening file " + dir + "/leveldata\n\n");
        EXPECT_EQ(info.distance, 9);
    }
    std::string big = tmp / "big";
    std::string filler(kMaxTextFileBytes, '#');
    WriteLevel(big, "LEVEL: 3\nDISTANCE: 4\n" + filler + "\nBOSS_HP: 5\n");
    LevelInfo info;
    info.Load(big.c_str());
    EXPECT_EQ(info.levelNumber, 3);
    EXPECT_EQ(info.distance, 4);
    EXPECT_EQ(info.bossHp, 0); // beyond byte kMaxTextFileBytes
}

// Both readers of data files at their bound and one byte past it: the text
// reader gives exactly its first kMaxTextFileBytes bytes, line by line; the
// whole-file reader reads a file of exactly maxBytes and calls one byte more
// too large, keeping the first maxBytes (also where the bound is one read
// buffer).
TEST_F(LevelLoadTest, ReadersStopExactlyAtTheirBound) {
    struct Case {
        bool text; // ReadTextLine, else ReadRegularFile with maxBytes
        long maxBytes;
        long fileBytes;
        FileRead result; // of ReadRegularFile (the text reader has no verdict)
    } cases[] = {
        {true, kMaxTextFileBytes, kMaxTextFileBytes, FileRead::kRead},
        {true, kMaxTextFileBytes, kMaxTextFileBytes + 1, FileRead::kRead},
        {false, 100, 100, FileRead::kRead},
        {false, 100, 101, FileRead::kTooLarge},
        {false, 65536, 65536, FileRead::kRead},
        {false, 65536, 65537, FileRead::kTooLarge},
    };
    for (const Case &c : cases) {
        std::string bytes;
        for (long i = 0; i < c.fileBytes; ++i) {
            bytes += i % 200 == 199 ? '\n' : (char)('a' + i % 26);
        }
        std::string path = tmp / "file";
        WriteFile(path, bytes);
        std::string read;
        if (c.text) {
            FILE *file = OpenRegularFile(path.c_str(), "r");
            ASSERT_NE(file, nullptr);
            char line[256];
            while (ReadTextLine(line, sizeof line, file) != nullptr) {
                read += line;
            }
            fclose(file);
        } else {
            EXPECT_EQ(ReadRegularFile(path.c_str(), c.maxBytes, read), c.result)
                << "whole-file reader, " << c.fileBytes << " bytes";
        }
        const char *reader = c.text ? "text reader, " : "whole-file reader, ";
        EXPECT_EQ(read.size(), (size_t)c.maxBytes) << reader << c.fileBytes << " bytes";
        EXPECT_TRUE(read == bytes.substr(0, (size_t)c.maxBytes)) << reader << c.fileBytes;
    }
}

// The key a scan format starts with: "ENEMY 1" for "ENEMY 1: %d %d %d".
std::string KeyOfFormat(const char *format) {
    return std::string(format, strcspn(format, ":"));
}

// The manual page quarndel-level(5) names each key in a tagged paragraph
// (.TP or .TQ) whose tag reads .BI "KEY: " value.
std::set<std::string> KeysOfManualPage(const std::string &path) {
    std::set<std::string> keys;
    std::ifstream page(path);
    std::string line;
    bool tag = false;
    while (std::getline(page, line)) {
        if (tag && line.rfind(".BI \"", 0) == 0 && line.find(':') != std::string::npos) {
            keys.insert(line.substr(5, line.find(':') - 5));
        }
        tag = line == ".TP" || line == ".TQ";
    }
    return keys;
}

TEST(LevelManualPage, NamesExactlyTheKeysTheReadersKnow) {
    std::set<std::string> known = {KeyOfFormat(kLevelNumberFormat), KeyOfFormat(kFrameListHeader)};
    for (const LevelKey &key : kLevelKeys) {
        known.insert(KeyOfFormat(key.format));
    }
    std::set<std::string> documented =
        KeysOfManualPage(std::string(QUARNDEL_SOURCE_DIR) + "/man/quarndel-level.5");
    for (const std::string &key : known) {
        EXPECT_EQ(documented.count(key), 1u) << "the manual page does not name " << key;
    }
    for (const std::string &key : documented) {
        EXPECT_EQ(known.count(key), 1u)
            << "the manual page names " << key << ", which no reader knows";
    }
}

} // namespace
