#include "files/settings.h"
#include "tests/game_fixtures.h"
#include "window/input.h"

namespace {

class TitleTest : public DataTreeFixture {
  protected:
    void SetUp() override {
        DataTreeFixture::SetUp();
        game.Init();
    }
    // Presses keys and runs one title iteration.
    void Press(std::initializer_list<SDLKey> keys) {
        for (SDLKey k : keys) {
            PushKey(k);
        }
        game.TitleStep();
    }
    float CursorY() { return game.cursor.GetY(); }
};

TEST_F(TitleTest, ArrowsMoveTheCursorWithWrapAround) {
    Press({SDLK_UP});
    EXPECT_EQ(CursorY(), 390.0f);
    Press({SDLK_UP});
    EXPECT_EQ(CursorY(), 356.0f);
    Press({SDLK_UP});
    EXPECT_EQ(CursorY(), 318.0f);
    Press({SDLK_DOWN, SDLK_DOWN});
    EXPECT_EQ(CursorY(), 390.0f);
    Press({SDLK_DOWN});
    EXPECT_EQ(CursorY(), 318.0f);
    EXPECT_EQ(game.cursor.GetX(), 70.0f);
    EXPECT_EQ(game.titleRunning, 1);
    ExpectEffects({{GameEvent::MenuMove, 6}});
}

TEST_F(TitleTest, EnterOnDifficultyCyclesAndThePictureFollows) {
    const Uint32 colours[3] = {0xc80000u, 0x00c800u, 0x0000c8u};
    Press({SDLK_DOWN});
    EXPECT_EQ(PixelAt(screen, 350, 370), colours[0]);
    for (int i = 1; i <= 3; ++i) {
        Press({SDLK_RETURN});
        EXPECT_EQ(difficulty, i % 3);
        EXPECT_EQ(PixelAt(screen, 350, 370), colours[i % 3]);
    }
    EXPECT_EQ(game.titleRunning, 1);
    ExpectEffects({{GameEvent::MenuMove, 1}, {GameEvent::MenuChoose, 3}});
}

TEST_F(TitleTest, TitleFrameShowsPictureDifficultyAndCursor) {
    game.TitleStep();
    EXPECT_EQ(PixelAt(screen, 5, 5), 0x0a141eu);     // title picture
    EXPECT_EQ(PixelAt(screen, 300, 362), 0xc80000u); // difficulty 0
    EXPECT_EQ(PixelAt(screen, 299, 362), 0x0a141eu);
    Uint32 cursor = PixelAt(screen, 70, 318);
    EXPECT_TRUE(cursor == 0x285078u || cursor == 0x295078u); // one of its frames
    EXPECT_EQ(PixelAt(screen, 69, 318), 0x0a141eu);
}

TEST_F(TitleTest, StartLetsThePlayPhaseRun) {
    Press({SDLK_RETURN});
    EXPECT_EQ(game.titleRunning, 0);
    EXPECT_EQ(game.quit, 0);
    EXPECT_EQ(game.gameOver, 0);
}

TEST_F(TitleTest, QuitEscapeAndCloseLeaveWithoutPlaying) {
    Press({SDLK_UP, SDLK_RETURN});
    EXPECT_EQ(game.titleRunning, 0);
    EXPECT_EQ(game.quit, 1);
    EXPECT_EQ(game.gameOver, 1);

    game.titleRunning = 1;
    Press({SDLK_ESCAPE});
    EXPECT_EQ(game.titleRunning, 0);
    EXPECT_EQ(game.quit, 1);

    game.titleRunning = 1;
    PushQuit();
    game.TitleStep();
    EXPECT_EQ(game.titleRunning, 0);
    EXPECT_EQ(game.quit, 1);
}

TEST_F(TitleTest, GamepadMovesAndChoosesLikeTheKeys) {
    PushHat(SDL_HAT_DOWN);
    game.TitleStep();
    EXPECT_EQ(CursorY(), 356.0f);
    EXPECT_EQ(game.keys[SDLK_DOWN], 1);
    PushHat(SDL_HAT_CENTERED);
    PushAxis(1, -32768); // stick up
    game.TitleStep();
    EXPECT_EQ(CursorY(), 318.0f);
    EXPECT_EQ(game.keys[SDLK_DOWN], 0);
    PushAxis(1, kStickDeadZone); // resting just inside the dead zone
    PushAxis(1, 32767);
    game.TitleStep();
    EXPECT_EQ(CursorY(), 356.0f);
    PushAxis(1, 0);
    PushButton(kButtonChoose, true);
    PushButton(kButtonChoose, false);
    PushButton(kButtonFire, true); // Space: nothing on the title screen
    game.TitleStep();
    EXPECT_EQ(difficulty, 1);
    EXPECT_EQ(CursorY(), 356.0f);
    EXPECT_EQ(game.titleRunning, 1);
    ExpectEffects({{GameEvent::MenuMove, 3}, {GameEvent::MenuChoose, 1}});
    SetFakeTicks(5000);
    PushButton(kButtonBack, true); // held a second: Escape
    game.TitleStep();
    SetFakeTicks(5000 + kQuitHoldMs - 1);
    game.TitleStep();
    EXPECT_EQ(game.titleRunning, 1);
    SetFakeTicks(5000 + kQuitHoldMs);
    game.TitleStep();
    EXPECT_EQ(game.titleRunning, 0);
    EXPECT_EQ(game.quit, 1);
    ClearFakeTicks();
}

TEST_F(TitleTest, MuteAndFullscreenKeysLeaveTheMenuAlone) {
    Press({SDLK_m});
    EXPECT_TRUE(Muted());
    Press({SDLK_F11});
    PushKeyWith(SDLK_RETURN, KMOD_LALT); // fullscreen, not the menu's Enter
    game.TitleStep();
    EXPECT_EQ(game.titleRunning, 1);
    EXPECT_EQ(game.quit, 1);
    EXPECT_EQ(CursorY(), 318.0f);
    EXPECT_EQ(screen->w, 640);
    Press({SDLK_m});
    EXPECT_FALSE(Muted());
    ExpectEffects({});

    // F11 and Alt+Enter each write the state they leave in the settings file.
    LoadSettings("settings.ini", stderr);
    auto written = [] {
        EXPECT_EQ(WritePendingSettings(stderr, 1), SettingsWrite::kWritten);
        FILE *file = fopen("settings.ini", "rb");
        std::string text = file != nullptr ? ReadBack(file) : "(none)";
        if (file != nullptr) {
            fclose(file);
        }
        return text;
    };
    Press({SDLK_F11});
    EXPECT_EQ(written(), "fullscreen = on\n");
    PushKeyWith(SDLK_RETURN, KMOD_LALT);
    game.TitleStep();
    EXPECT_EQ(written(), "fullscreen = off\n");
    PushKeyWith(SDLK_RETURN, KMOD_RALT);
    game.TitleStep();
    EXPECT_EQ(written(), "fullscreen = on\n");
    Press({SDLK_F11});
    EXPECT_EQ(written(), "fullscreen = off\n");
    EXPECT_EQ(game.titleRunning, 1);
    ForgetSettings();
}

} // namespace
