#include <gtest/gtest.h>

#include <vector>

#include "app/loop_shell.h"
#include "files/settings.h"
#include "game/seams.h"
#include "tests/game_fixtures.h"
#include "window/scaler.h"
#include "window/window.h"

namespace {

TEST(Scaler, AutoPicksTheLargestFactorThatLeavesRoomForPanels) {
    struct Case {
        int w, h, want;
    };
    const Case cases[] = {
        {0, 0, 1},
        {800, 600, 1},
        {1280, 1024, 2},
        {1366, 768, 1},
        {1920, 1080, 2},
        {1920, 1200, 2},
        {2560, 1440, 2},
        {2560, 1600, 3},
        {3840, 2160, 4},
        {7680, 4320, 4},
        // Scale 4 at its bounds: 1920 rows and 64 for panels, 2560 columns.
        {2560, 1984, 4},
        {2560, 1983, 3},
        {2559, 1984, 3},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(AutoScale(c.w, c.h), c.want) << c.w << "x" << c.h;
    }
    // Where sdl12-compat enlarges its own window, the game does not again.
    EXPECT_EQ(OwnWindowScale(kScaleAuto, false), kScaleAuto);
    EXPECT_EQ(OwnWindowScale(3, false), 3);
    EXPECT_EQ(OwnWindowScale(3, true), 1);
}

TEST(Scaler, FullscreenCentresTheLargestPictureThatFits) {
    struct Case {
        int w, h, factor, x, y;
    };
    const Case cases[] = {
        {640, 480, 1, 0, 0},     {800, 600, 1, 80, 60},     {1920, 1080, 2, 320, 60},
        {2560, 1440, 3, 320, 0}, {1280, 1024, 2, 0, 32},    {3840, 2160, 4, 640, 120},
        {600, 400, 1, 0, 0}, // smaller than the picture: at least 1, from the corner
        {2560, 1920, 4, 0, 0},   {2559, 1920, 3, 319, 240}, {2560, 1919, 3, 320, 239},
    };
    for (const Case &c : cases) {
        int factor = FullscreenScale(c.w, c.h);
        EXPECT_EQ(factor, c.factor) << c.w << "x" << c.h;
        SDL_Rect r = CentredPicture(c.w, c.h, factor);
        EXPECT_EQ(r.x, c.x) << c.w << "x" << c.h;
        EXPECT_EQ(r.y, c.y) << c.w << "x" << c.h;
        EXPECT_EQ(r.w, 640 * factor);
        EXPECT_EQ(r.h, 480 * factor);
    }
}

// Every pixel of the picture its own colour.
Uint32 Pattern(int x, int y) {
    return (Uint32)(x * 7919 + y * 104729) & 0xFFFFFF;
}

void DrawPattern(SDL_Surface *picture) {
    for (int y = 0; y < 480; ++y) {
        Uint32 *row = (Uint32 *)((Uint8 *)picture->pixels + y * picture->pitch);
        for (int x = 0; x < 640; ++x) {
            row[x] = SDL_MapRGB(picture->format, Pattern(x, y) >> 16, (Pattern(x, y) >> 8) & 255,
                                Pattern(x, y) & 255);
        }
    }
}

// fullscreen_fit = fill: the largest 4:3 area, centred, on wide and tall
// screens alike.
TEST(Scaler, FillTakesTheLargestFourByThreeAreaCentred) {
    struct Case {
        int w, h, x, y, fw, fh;
    };
    const Case cases[] = {
        {1366, 768, 171, 0, 1024, 768},
        {1920, 1080, 240, 0, 1440, 1080},
        {1280, 1024, 0, 32, 1280, 960},
        {640, 480, 0, 0, 640, 480},
    };
    for (const Case &c : cases) {
        SDL_Rect r = FilledPicture(c.w, c.h);
        EXPECT_EQ(std::vector<int>({r.x, r.y, r.w, r.h}), std::vector<int>({c.x, c.y, c.fw, c.fh}))
            << c.w << "x" << c.h;
    }
}

class WindowTest : public DataTreeFixture {};

TEST_F(WindowTest, AtScaleOneTheGameDrawsIntoTheWindowItself) {
    PrepareWindow(1);
    game.Init();
    EXPECT_EQ(screen, SDL_GetVideoSurface());
    EXPECT_EQ(screen->w, 640);
    EXPECT_EQ(WindowFactor(), 1);
}

TEST_F(WindowTest, EveryWindowPixelIsThePicturePixelItEnlarges) {
    for (int factor : {2, 3, kMaxWindowScale}) {
        PrepareWindow(factor);
        game.Init();
        SDL_Surface *video = SDL_GetVideoSurface();
        ASSERT_NE(screen, video);
        ASSERT_EQ(screen->w, 640);
        ASSERT_EQ(screen->h, 480);
        ASSERT_EQ(video->w, 640 * factor);
        ASSERT_EQ(video->h, 480 * factor);
        DrawPattern(screen);
        PresentFrame();
        int wrong = 0;
        for (int y = 0; y < video->h; ++y) {
            for (int x = 0; x < video->w; ++x) {
                wrong += PixelAt(video, x, y) != Pattern(x / factor, y / factor);
            }
        }
        EXPECT_EQ(wrong, 0) << "factor " << factor;
        ResetWindow();
    }
}

TEST_F(WindowTest, FullscreenFromScaleOneMovesTheDrawingAndLeavingKeepsIt) {
    PrepareWindow(1);
    game.Init();
    game.EnterPlay();
    SDL_Surface *window = screen;
    DrawPattern(screen);
    EXPECT_TRUE(ToggleWindowFullscreen());
    // The game now draws into a picture of its own holding what was shown,
    // and every sprite with it.
    ASSERT_NE(screen, SDL_GetVideoSurface());
    EXPECT_EQ(screen->w, 640);
    EXPECT_EQ(PixelAt(screen, 321, 123), Pattern(321, 123));
    EXPECT_EQ(ship.sprite.target, screen);
    EXPECT_EQ(game.cursor.target, screen);
    EXPECT_EQ(shots.laneC[0].target, screen);
    EXPECT_EQ(enemies.sprites[0].target, screen);
    EXPECT_NE(screen, window);
    // Every sprite of every pool, the last of each included, and the boss.
    int left = boss.sprite.target != screen;
    auto count = [&](const Sprite *sprites, int n) {
        for (int i = 0; i < n; ++i) {
            left += sprites[i].target != screen;
        }
    };
    count(enemies.sprites, kEnemyCount);
    count(shots.laneA, kLaneASize);
    count(shots.laneB, kLaneBSize);
    count(shots.laneC, kLaneCSize);
    EXPECT_EQ(left, 0) << "sprites still drawing into the window";
    EXPECT_FALSE(ToggleWindowFullscreen());
    SDL_Surface *video = SDL_GetVideoSurface();
    EXPECT_EQ(video->w, 640);
    EXPECT_FALSE(WindowFullscreen());
    PresentFrame();
    EXPECT_EQ(PixelAt(video, 321, 123), Pattern(321, 123));
}

} // namespace

namespace {

TEST_F(WindowTest, TheSettingsVolumesReachTheMixerWithTheFirstFrame) {
    WriteFile("volumes.ini", "music_volume = 25\neffects_volume = 50\n");
    LoadSettings("volumes.ini", stderr);
    game.Init();
    if (Mix_QuerySpec(nullptr, nullptr, nullptr) == 0) {
        GTEST_SKIP() << "no audio device";
    }
    EXPECT_EQ(Mix_Volume(0, -1), MIX_MAX_VOLUME);
    PresentFrame();
    EXPECT_EQ(Mix_Volume(0, -1), MIX_MAX_VOLUME / 2);
    EXPECT_EQ(Mix_VolumeMusic(-1), MIX_MAX_VOLUME / 4);
    Mix_Volume(-1, MIX_MAX_VOLUME);
    Mix_VolumeMusic(MIX_MAX_VOLUME);
}

// What a program hands the loop shell in place of the desktop's window: the
// page's parts, counted.
struct PartCalls {
    int polls = 0, polled = 0, shown = 0, finished = 0;
    bool unseen = false;
    std::vector<bool> written;
};
PartCalls calls;

TEST_F(WindowTest, TheLoopShellCallsAProgramsOwnParts) {
    calls = PartCalls();
    ShellParts parts;
    parts.show = [](SDL_Surface *) { ++calls.shown; };
    parts.framesUnseen = [] { return calls.unseen; };
    parts.beforePoll = [] { ++calls.polls; };
    parts.polled = [] { ++calls.polled; };
    parts.iterationWritten = [](bool written) { calls.written.push_back(written); };
    parts.finished = [] { ++calls.finished; };
    InstallShell(parts);
    game.Init();
    SDL_Event event;
    event.type = SDL_USEREVENT;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
    int polls = 1;
    while (hooks.pollEvent(&event) != 0) {
        ++polls;
    }
    EXPECT_EQ(calls.polls, polls);
    EXPECT_EQ(calls.polled, 1) << "once the loop took every event";
    calls.unseen = true;
    PresentFrame();
    EXPECT_EQ(calls.shown, 0) << "a frame no one sees is shown";
    calls.unseen = false;
    PresentFrame();
    EXPECT_EQ(calls.shown, 1);
    LoadSettings("shell.ini", stderr);
    hooks.iterationEnded(true);
    ASSERT_TRUE(ChangeSetting("mute", "on"));
    hooks.iterationEnded(true);
    EXPECT_EQ(calls.written, std::vector<bool>({false, true}));
    FinishShell();
    EXPECT_EQ(calls.finished, 1);
}

} // namespace
