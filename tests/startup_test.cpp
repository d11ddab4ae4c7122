#include <unistd.h>

#include "game/seams.h"
#include "tests/game_fixtures.h"
#include "window/sdl_library.h"

namespace {

TEST(StartupFailure, NoVideoDevicePrintsTheMessageAndExitsWithOne) {
    std::string out;
    int status = RunCommand("SDL_VIDEODRIVER=no_such_driver " QUARNDEL_EXE, &out);
    EXPECT_EQ(status, 1);
    // The classic library refuses an unknown driver in SDL_Init; sdl12-compat
    // may accept it there and fail at the video mode. Both messages are the
    // game's documented start-up failures.
    std::string message = "Unable to init SDL: ";
    if (RunningSdl().compat && out.rfind(message, 0) != 0) {
        message = "Unable to set 640x480 video: ";
    }
    EXPECT_EQ(out.rfind(message, 0), 0u) << out;
    EXPECT_NE(out.find('\n'), std::string::npos);
    EXPECT_GT(out.size(), message.size() + 1); // SDL's reason follows
}

TEST(StartupFailure, NoDataStillReachesTheTitleWithoutCrashing) {
    // The title loop ends on the window close SDL sends on SIGTERM; the
    // missing pictures are reported and the program ends normally.
    TempDir empty;
    std::string out;
    int status = RunCommand("cd " + empty.Path() +
                                " && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "
                                "timeout --preserve-status -s TERM 1 " QUARNDEL_EXE,
                            &out);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("ERROR opening file data/titlescreen.bmp\n\n"), std::string::npos) << out;
    EXPECT_NE(out.find("ERROR opening file data/font\n\n"), std::string::npos);
    EXPECT_NE(out.find("ERROR opening file data/cursor/info\n\n"), std::string::npos);
    EXPECT_NE(out.find("ERROR opening file data/level_1/leveldata\n\n"), std::string::npos);
}

TEST(StartupFailure, ATreeWithoutSoundsStartsWithoutAWord) {
    // The data tree as documented has no sounds/ folder: the effects stay
    // silent and nothing is printed. An oversize tune, though, is reported.
    TempDir tree;
    std::string out;
    ASSERT_EQ(RunCommand("cp -r " QUARNDEL_SOURCE_DIR "/data " + tree.Path() + " && rm -r " +
                             (tree / "data/sounds"),
                         nullptr),
              0);
    const std::string run = "cd " + tree.Path() +
                            " && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "
                            "timeout --preserve-status -s TERM 1 " QUARNDEL_EXE;
    EXPECT_EQ(RunCommand(run, &out), 0);
    EXPECT_EQ(out, "");
    ASSERT_EQ(truncate((tree / "data/music/title_screen.mid").c_str(), 256 * 1024 + 1), 0);
    EXPECT_EQ(RunCommand(run, &out), 0);
    EXPECT_EQ(out, "ERROR opening file data/music/title_screen.mid\n\n");
}

using StartupTest = DataTreeFixture;

TEST_F(StartupTest, InitOpensTheWindowAndLoadsTheStartupAssets) {
    game.Init();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->w, 640);
    EXPECT_EQ(screen->h, 480);
    EXPECT_EQ(screen->format->BitsPerPixel, 32);
    EXPECT_FALSE(screen->flags & SDL_FULLSCREEN);
    char *title = nullptr;
    char *icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    EXPECT_STREQ(title, "Quarndel");
    EXPECT_STREQ(icon, "icon.ico");
    EXPECT_EQ(game.quit, 1);
    EXPECT_EQ(game.paused, 0);
    EXPECT_EQ(game.gameOver, 1);
    EXPECT_EQ(game.titleRunning, 1);
    EXPECT_EQ(ship.lives, 1);
    EXPECT_EQ(difficulty, 0);
    ASSERT_NE(gameOverImage, nullptr);
    EXPECT_TRUE(gameOverImage->flags & SDL_SRCCOLORKEY);
    ASSERT_NE(pausedImage, nullptr);
    EXPECT_TRUE(pausedImage->flags & SDL_SRCCOLORKEY);
    ASSERT_NE(game.titleImage, nullptr);
    EXPECT_FALSE(game.titleImage->flags & SDL_SRCCOLORKEY);
    for (SDL_Surface *d : game.difficultyImage) {
        EXPECT_NE(d, nullptr);
    }
    EXPECT_NE(font, nullptr);
    EXPECT_NE(game.keys, nullptr);
    EXPECT_EQ(game.cursorSet.frameCount, 2);
    EXPECT_EQ(game.cursor.GetX(), 70.0f);
    EXPECT_EQ(game.cursor.GetY(), 318.0f);
    EXPECT_EQ(game.cursor.animating, 1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
}

TEST_F(StartupTest, FullscreenOptionAsksForAFullscreenMode) {
    launch.fullscreen = true;
    game.Init();
    launch = LaunchChoices();
    ASSERT_NE(screen, nullptr);
    // The window is fullscreen; the game draws into its 640x480 picture.
    EXPECT_TRUE(SDL_GetVideoSurface()->flags & SDL_FULLSCREEN);
    EXPECT_EQ(screen->w, 640);
    EXPECT_EQ(screen->h, 480);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
}

TEST_F(StartupTest, EscapeOnTheTitleEndsWithoutAPlayFrame) {
    game.Init();
    PushKey(SDLK_ESCAPE);
    game.RunTitle();
    EXPECT_EQ(game.titleRunning, 0);
    EXPECT_EQ(game.quit, 1);
    game.EnterPlay();
    EXPECT_EQ(level.levelNumber, 1); // the first level is still loaded
    EXPECT_EQ(game.showLevelImage, 1);
    game.RunPlay(); // returns at once
    EXPECT_EQ(game.fps, 0.0f);
    EXPECT_EQ(ship.distance, 0);
    EXPECT_EQ(game.scrollOffset, 0.0f);
}

// On sdl12-compat a window is presented without OpenGL unless the player
// chose otherwise; on the classic library nothing is set.
TEST(Presentation, TheCheapOneIsChosenOnlyOnSdl12CompatAndNeverOverTheirs) {
    const char *names[] = {"SDL_RENDER_DRIVER", "SDL_FRAMEBUFFER_ACCELERATION",
                           "SDL12COMPAT_WINDOW_SCALING"};
    auto clear = [&] {
        for (const char *name : names) {
            unsetenv(name);
        }
    };
    auto value = [](const char *name) {
        const char *set = getenv(name);
        return std::string(set != nullptr ? set : "unset");
    };
    auto driver = [&] { return value(names[0]); };
    bool compat = RunningSdl().compat;
    clear();
    ChooseCheapPresentation(false);
    EXPECT_EQ(driver(), compat ? "software" : "unset");
    EXPECT_EQ(value(names[1]), compat ? "0" : "unset");
    clear();
    ChooseCheapPresentation(true); // fullscreen: a graphics card scales for less
    EXPECT_EQ(driver(), "unset");
    for (const char *name : names) {
        clear();
        setenv(name, name == names[0] ? "opengl" : "1", 1);
        ChooseCheapPresentation(false);
        EXPECT_EQ(driver(), name == names[0] ? "opengl" : "unset") << name;
        EXPECT_EQ(value(names[1]), name == names[1] ? "1" : "unset") << name;
    }
    clear();
}

} // namespace
