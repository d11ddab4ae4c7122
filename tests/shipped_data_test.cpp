// Loads the whole shipped data tree the way the game does and fails on any
// missing or unreadable file.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>

#include "game/game.h"
#include "sprites/image.h"
#include "tests/support.h"

namespace {

// The frame lines an "info" file lists after its header.
int CountFrameLines(const std::string &dir) {
    std::ifstream in(dir + "/info");
    std::string line;
    std::getline(in, line);
    int count = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] != '#' && line[0] != '\r') {
            ++count;
        }
    }
    return count;
}

void ExpectSetLoads(const std::string &dir) {
    SpriteSet set;
    testing::internal::CaptureStdout();
    EXPECT_EQ(set.Load(dir.c_str()), 0) << dir;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << dir;
    EXPECT_GT(set.frameCount, 0) << dir;
    EXPECT_EQ(set.frameCount, CountFrameLines(dir)) << dir;
    for (int i = 0; i < set.frameCount; ++i) {
        ASSERT_NE(set.frames[i].image, nullptr) << dir << " frame " << i;
        EXPECT_EQ(set.frames[i].image->w, set.w) << dir << " frame " << i;
        EXPECT_EQ(set.frames[i].image->h, set.h) << dir << " frame " << i;
    }
}

SDL_Surface *ExpectPicture(const std::string &path) {
    SDL_Surface *image = LoadImage(path.c_str());
    EXPECT_NE(image, nullptr) << path;
    return image;
}

class ShippedDataTest : public ::testing::Test {
  protected:
    void SetUp() override { OpenTestScreen(); }
    WorkingDir cwd{QUARNDEL_SOURCE_DIR};
};

TEST_F(ShippedDataTest, StartupPicturesSetsFontAndTuneAreReadable) {
    for (const char *path :
         {"data/titlescreen.bmp", "data/difficulty/0.bmp", "data/difficulty/1.bmp",
          "data/difficulty/2.bmp", "data/paused.bmp", "data/gameover.bmp"}) {
        ExpectPicture(path);
    }
    ExpectSetLoads("data/cursor");
    ExpectSetLoads("data/enemy");
    BitmapFont *f = LoadFont("data/font");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->size, 256);
    EXPECT_GT(TextWidth(f, "Score: %d", 1234), 40);
    FreeFont(f);
    std::ifstream tune("data/music/title_screen.mid", std::ios::binary);
    char magic[4] = {};
    tune.read(magic, 4);
    EXPECT_EQ(std::string(magic, 4), "MThd");
}

TEST_F(ShippedDataTest, EveryLevelOfTheChainLoadsWhole) {
    std::set<std::string> seen;
    std::string dir = "data/level_1";
    LevelInfo info;
    while (dir != "none") {
        ASSERT_TRUE(seen.insert(dir).second) << "the level chain loops at " << dir;
        testing::internal::CaptureStdout();
        info.Load(dir.c_str());
        ASSERT_EQ(testing::internal::GetCapturedStdout(), "") << dir;
        EXPECT_EQ(info.levelNumber, (int)seen.size()) << dir;
        EXPECT_GT(info.distance, 0) << dir;
        SDL_Surface *scene = ExpectPicture(info.scene);
        if (scene != nullptr) {
            EXPECT_EQ(scene->w, 640) << info.scene;
            EXPECT_EQ(scene->h, 480) << info.scene;
        }
        ExpectPicture(info.levelImage);
        ExpectSetLoads(info.ship);
        ExpectSetLoads(info.bullet);
        ExpectSetLoads(info.boss);
        dir = info.nextLevel;
    }
    EXPECT_GE(seen.size(), 3u);
}

} // namespace
