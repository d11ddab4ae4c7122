// Loads the whole shipped data tree the way the game does and fails on any
// missing or unreadable file.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>

#include "game/game.h"
#include "sound/effects.h"
#include "sound/music.h"
#include "sound/wav_check.h"
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

TEST_F(ShippedDataTest, EffectsLoadStartAndEndInSilenceAndTogetherStayUnderOneMegabyte) {
    ASSERT_EQ(FSOUND_Init(44100, 32, 0), 1) << SDL_GetError();
    testing::internal::CaptureStdout();
    LoadEffects(false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    size_t total = 0;
    for (const char *name : {"shot", "enemy_hit", "enemy_destroyed", "boss_hit", "boss_destroyed",
                             "ship_hit", "game_over", "new_game", "menu_move", "menu_choose"}) {
        std::string path = std::string("data/sounds/") + name + ".wav";
        std::ifstream in(path, std::ios::binary);
        std::string wav((std::istreambuf_iterator<char>(in)), {});
        const uint8_t *bytes = (const uint8_t *)wav.data();
        ASSERT_TRUE(PlainPcmWav(bytes, wav.size())) << path;
        total += wav.size();
        // 16-bit mono at 44100 Hz with the data right after the format:
        // the samples start at byte 44.
        EXPECT_EQ(wav.substr(20, 16),
                  std::string("\1\0\1\0\x44\xac\0\0\x88\x58\x01\0\2\0\x10\0", 16))
            << path;
        ASSERT_EQ(wav.substr(36, 4), "data") << path;
        size_t samples = (wav.size() - 44) / 2;
        EXPECT_LE(samples, 44100u * 2) << path << " lasts over two seconds";
        auto sample = [&](size_t i) {
            return (int16_t)(bytes[44 + 2 * i] | bytes[45 + 2 * i] << 8);
        };
        EXPECT_EQ(sample(0), 0) << path << " starts with a click";
        EXPECT_EQ(sample(samples - 1), 0) << path << " ends with a click";
    }
    EXPECT_LT(total, 1000000u);
    for (int i = 0; i < kGameEventCount; ++i) {
        EXPECT_NE(EffectChunk((GameEvent)i), nullptr) << "effect of event " << i;
    }
    FreeEffects();
}

} // namespace
