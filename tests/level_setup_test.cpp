#include <gtest/gtest.h>

#include "game/game.h"
#include "tests/support.h"

namespace {

class LevelSetupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        OpenTestScreen();
        ResetGlobals();
        WriteTestDataTree(tmp.Path());
    }
    void LoadAndSetup(const char *dir) {
        level.Load(dir);
        level.Setup();
    }
    TempDir tmp;
    WorkingDir cwd{tmp.Path()};
};

TEST_F(LevelSetupTest, PutsEverythingIntoItsStartState) {
    ship.sprite.SetSpeed(1.0f); // protected from an earlier hit
    ship.lives = 2;
    ship.score = 77;
    shots.activeA[3] = 1;
    shots.activeC[80] = 1;
    enemies.active[5] = 1;
    enemies.hp[5] = 4;
    boss.active = 1;
    boss.defeated = 1;
    boss.hp = 6;
    ship.distance = 3;
    LoadAndSetup("data/level_1");

    ASSERT_NE(background, nullptr);
    ASSERT_NE(levelImage, nullptr);
    EXPECT_TRUE(levelImage->flags & SDL_SRCCOLORKEY);
    EXPECT_EQ(levelImage->format->colorkey, SDL_MapRGB(levelImage->format, 0, 0, 0));
    EXPECT_FALSE(background->flags & SDL_SRCCOLORKEY);
    EXPECT_EQ(ship.sprite.GetX(), 80.0f);
    EXPECT_EQ(ship.sprite.GetY(), 140.0f);
    EXPECT_EQ(ship.sprite.animating, 0);
    EXPECT_EQ(ship.sprite.GetSpeed(), 1.0f); // protection is left alone
    EXPECT_EQ(ship.distance, 0);
    EXPECT_EQ(ship.lives, 2);
    EXPECT_EQ(ship.score, 77);
    EXPECT_EQ(shots.activeA[3], 0);
    EXPECT_EQ(shots.activeC[80], 0);
    EXPECT_EQ(enemies.active[5], 0);
    EXPECT_EQ(enemies.hp[5], 4);
    EXPECT_EQ(boss.active, 0);
    EXPECT_EQ(boss.defeated, 0);
    EXPECT_EQ(boss.hp, 6);
    // Three separate copies of the bullet frames, all bound.
    EXPECT_NE(shots.setA.frames, shots.setB.frames);
    EXPECT_EQ(shots.laneC[89].set, &shots.setC);
    EXPECT_EQ(shots.setC.w, 16);
    EXPECT_EQ(enemies.sprites[9].set, &enemies.set);
    EXPECT_EQ(enemies.set.w, 48);
    EXPECT_EQ(boss.set.w, 200);
    EXPECT_EQ(boss.sprite.target, screen);
}

TEST_F(LevelSetupTest, EnemiesAlwaysComeFromTheFixedSet) {
    WriteSpriteSet("data/other_enemy", 1, 20, 20);
    WriteLevel("data/odd", "LEVEL: 9\nSCENE: data/level_2/scene.bmp\n");
    LoadAndSetup("data/level_1");
    LoadAndSetup("data/odd");
    EXPECT_EQ(enemies.set.frameCount, 2);
    EXPECT_EQ(enemies.set.w, 48);
}

TEST_F(LevelSetupTest, FailedLoadRestartsTheSameLevel) {
    LoadAndSetup("data/level_1");
    boss.defeated = 1;
    ship.sprite.SetPos(300, 300);
    testing::internal::CaptureStdout();
    LoadAndSetup("data/no_such_level");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ERROR opening file data/no_such_level/leveldata\n\n");
    EXPECT_EQ(level.levelNumber, 1);
    EXPECT_EQ(boss.defeated, 0);
    EXPECT_EQ(ship.sprite.GetX(), 80.0f);
    EXPECT_NE(background, nullptr);
}

TEST_F(LevelSetupTest, MissingDataTreeDoesNotCrash) {
    WorkingDir empty{"/"};
    ResetGlobals();
    testing::internal::CaptureStdout();
    LoadAndSetup("data/level_1");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("ERROR opening file data/level_1/leveldata\n\n"), std::string::npos);
    EXPECT_NE(out.find("ERROR opening file data/enemy/info\n\n"), std::string::npos);
    EXPECT_EQ(background, nullptr);
    EXPECT_EQ(levelImage, nullptr);
    EXPECT_EQ(ship.set.built, 0);
    ship.sprite.Draw();
    game.DrawPlay(); // nothing loaded: a black screen, no crash
}

TEST_F(LevelSetupTest, ShipKeepsItsFirstSizeAcrossLevelsAndFramesStayInRange) {
    LoadAndSetup("data/level_1");
    ship.sprite.SetFrame(1);
    WriteSpriteSet("data/bigship", 1, 90, 90);
    WriteLevel("data/big", "LEVEL: 3\nSHIP: data/bigship\n");
    LoadAndSetup("data/big");
    EXPECT_EQ(ship.set.w, 72);
    EXPECT_EQ(ship.set.h, 52);
    ship.sprite.Draw(); // frame 1 no longer exists
    EXPECT_EQ(ship.sprite.frame, 0);
}

// A level that names no SCENE or LEVEL IMAGE has no picture to report.
TEST_F(LevelSetupTest, UnnamedPicturesAreNotReported) {
    WriteLevel("data/level_1", "LEVEL: 1\nSHIP: data/ship\n");
    testing::internal::CaptureStdout();
    LoadAndSetup("data/level_1");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("ERROR opening file \n"), std::string::npos) << out;
    EXPECT_EQ(background, nullptr);
    EXPECT_EQ(levelImage, nullptr);
}

} // namespace
