// --watch: the level in play is read and set up again when one of its files
// is saved, in place, and what the checker finds in it is reported. The
// game's own loop drives it, on the fake clock; inotify reports a write as
// soon as the write returns, so nothing waits.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "app/shell.h"
#include "app/watch.h"
#include "app/watch_overlay.h"
#include "game/seams.h"
#include "sprites/data_file.h"
#include "tests/game_fixtures.h"

namespace {

class WatchTest : public DataTreeFixture {
  protected:
    void SetUp() override {
        DataTreeFixture::SetUp();
        Options watching;
        watching.watch = true;
        ApplyLaunchOptions(watching);
        game.Init();
        game.titleRunning = game.quit = game.gameOver = 0;
        game.EnterPlay();
        SetFakeTicks(0);
        game.PlayStep(); // takes in the level the game read
    }
    void TearDown() override {
        StopLevelWatch();
        SetLevelSetPlace("", "");
        ClearFakeTicks();
        DataTreeFixture::TearDown();
    }
    // Steps the play loop at t, t + 20, ... up to t + ms.
    void StepFor(Uint32 ms) {
        for (Uint32 end = now + ms; now < end;) {
            now += 20;
            SetFakeTicks(now);
            game.PlayStep();
        }
    }
    Uint32 BackgroundPixel() const { return ((Uint32 *)background->pixels)[0] & 0xffffff; }
    std::string Report() const {
        std::string text;
        for (const std::string &line : ShownWatchReport()) {
            text += line + "\n";
        }
        return text;
    }
    const std::string levelFile = "data/level_1/leveldata";
    Uint32 now = 0;
};

TEST_F(WatchTest, SavedPictureIsSetUpInPlaceKeepingShipScoreAndLives) {
    ASSERT_TRUE(LevelWatchRunning());
    EXPECT_GT(WatchedFileCount(), 5); // level file, pictures, frame lists, frames
    ship.sprite.SetPos(300.0f, 222.0f);
    ship.distance = 400;
    ship.score = 55;
    ship.lives = 2;
    WriteBmp("data/level_1/scene.bmp", 640, 480, 0, 200, 0);
    StepFor(100);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(BackgroundPixel(), SDL_MapRGB(background->format, 0, 200, 0) & 0xffffff);
    EXPECT_EQ(ship.sprite.GetX(), 300.0f);
    EXPECT_EQ(ship.sprite.GetY(), 222.0f);
    EXPECT_EQ(ship.distance, 400);
    EXPECT_EQ(ship.score, 55);
    EXPECT_EQ(ship.lives, 2);
    EXPECT_EQ(game.quit, 0);
    EXPECT_EQ(Report().rfind("quarndel: reloaded data/level_1: ", 0), 0u) << Report();
}

TEST_F(WatchTest, HalfWrittenThenRenamedLevelFileIsReadAgainAndItsBadLineReported) {
    std::string full;
    ASSERT_EQ(ReadRegularFile(levelFile.c_str(), 4096, full), FileRead::kRead);
    WriteFile(levelFile, full.substr(0, 30)); // an editor's first step
    StepFor(100);
    EXPECT_EQ(background, nullptr); // its SCENE line is not written yet
    // Gone for a moment, then the finished file, written beside and renamed
    // into place: only the folder's watch can see it come.
    ASSERT_EQ(unlink(levelFile.c_str()), 0);
    StepFor(100);
    WriteFile(levelFile + ".new", full + "Distance: 3\n");
    ASSERT_EQ(rename((levelFile + ".new").c_str(), levelFile.c_str()), 0);
    StepFor(100);
    EXPECT_NE(background, nullptr);
    EXPECT_NE(Report().find("data/level_1/leveldata:14: warning: "), std::string::npos) << Report();
}

// What happens to the level folder while the game plays, what standard error
// says, and whether the level is read again once it is back.
TEST_F(WatchTest, LevelFolderOrFileThatGoesAwayIsSaidAndFollowedWhenBack) {
    namespace fs = std::filesystem;
    fs::copy("data/level_1", "saved_level_1");
    testing::internal::CaptureStderr();
    // Deleted, and made again well after the 40 ms a save settles in: a new
    // folder that no watch of the old one follows.
    fs::remove_all("data/level_1");
    StepFor(100);
    fs::copy("saved_level_1", "data/level_1");
    WriteBmp("data/level_1/scene.bmp", 640, 480, 0, 200, 0);
    StepFor(100);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(BackgroundPixel(), SDL_MapRGB(background->format, 0, 200, 0) & 0xffffff);
    // A level file that became a FIFO is never opened, and is said.
    ASSERT_EQ(unlink(levelFile.c_str()), 0);
    ASSERT_EQ(mkfifo(levelFile.c_str(), 0600), 0);
    StepFor(100);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("quarndel: --watch: data/level_1 is gone: "), std::string::npos) << said;
    EXPECT_NE(said.find("quarndel: reloaded data/level_1: "), std::string::npos) << said;
    EXPECT_NE(said.find("--watch: data/level_1/leveldata is not a regular file: "),
              std::string::npos)
        << said;
    EXPECT_EQ(game.quit, 0);
}

// An installed set's level names its files data/NAME/..., which the game
// reads from the set's folder: that folder is where the author saves.
TEST_F(WatchTest, InstalledSetsPictureSavedInItsFolderIsSetUpAgain) {
    std::string installed = tmp.Path() + "/levels/myset";
    WriteLevel(installed, "LEVEL: 1\nNEXT LEVEL: none\nDISTANCE: 1\nSCENE: data/myset/scene.bmp\n"
                          "SHIP: data/ship\nBULLET: data/bullet\nENEMY 1: 0 1 0\n");
    WriteBmp(installed + "/scene.bmp", 640, 480, 90, 0, 0);
    SetLevelSetPlace("data/myset", installed);
    launch.firstLevel = "data/myset";
    game.EnterPlay();
    StepFor(100);
    ASSERT_NE(background, nullptr);
    ShowWatchReport({});
    WriteBmp(installed + "/scene.bmp", 640, 480, 0, 200, 0);
    StepFor(100);
    EXPECT_EQ(BackgroundPixel(), SDL_MapRGB(background->format, 0, 200, 0) & 0xffffff);
    EXPECT_EQ(Report().rfind("quarndel: reloaded " + installed + ": ", 0), 0u) << Report();
}

TEST_F(WatchTest, OtherFilesBesideTheLevelsAreNotWatched) {
    StepFor(100);
    ShowWatchReport({});
    WriteFile("data/level_1/notes.txt", "a boss with more teeth\n");
    WriteBmp("data/level_2/scene.bmp", 640, 480, 0, 200, 0);
    StepFor(100);
    EXPECT_TRUE(ShownWatchReport().empty()) << Report();
}

TEST(WatchOff, WithoutTheOptionNothingIsWatchedOrDrawn) {
    ResetGlobals();
    ApplyLaunchOptions(Options());
    EXPECT_FALSE(LevelWatchRunning());
    EXPECT_EQ(WatchedFileCount(), 0);
}

} // namespace
